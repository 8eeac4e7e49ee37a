#include "sandbox/app/sample_program.h"

#include <stdio.h>

#include "host/host_api.h"

namespace {

// Deterministic, so the tour's screenshots and the tests see the same code.
struct Random {
    uint32_t state = 0x4B6F7276;  // "Korv"
    unsigned next(unsigned bound)
    {
        state = state * 1103515245u + 12345u;
        return (state >> 16) % bound;
    }
};

enum Kind { PLAIN, JUMP_SHORT, CALL_NEAR };

struct Pending {
    Kind kind;
    uint8_t opcode;         // JUMP_SHORT: the condition's opcode
    std::string mnemonic;   // JUMP_SHORT: "JE", ...
    size_t target_line;     // JUMP_SHORT: a later line of the same function
    size_t target_function; // CALL_NEAR: the callee's index
};

struct Body {
    const char* text;
    std::vector<uint8_t> bytes;
    const char* comment;
};

// Instructions whose encodings do not depend on where they sit.
const Body BODIES[] = {
    {"MOV EAX,DWORD PTR SS:[EBP+8]", {0x8B, 0x45, 0x08}, ""},
    {"MOV ECX,DWORD PTR SS:[EBP+C]", {0x8B, 0x4D, 0x0C}, ""},
    {"MOV DWORD PTR SS:[EBP-4],EAX", {0x89, 0x45, 0xFC}, ""},
    {"MOV EDX,DWORD PTR SS:[EBP-8]", {0x8B, 0x55, 0xF8}, ""},
    {"TEST EAX,EAX", {0x85, 0xC0}, ""},
    {"XOR EAX,EAX", {0x33, 0xC0}, ""},
    {"CMP EAX,ECX", {0x3B, 0xC1}, ""},
    {"INC ESI", {0x46}, ""},
    {"DEC ECX", {0x49}, ""},
    {"PUSH EAX", {0x50}, ""},
    {"PUSH 0", {0x6A, 0x00}, ""},
    {"PUSH ESI", {0x56}, ""},
    {"POP ECX", {0x59}, ""},
    {"ADD ESP,8", {0x83, 0xC4, 0x08}, ""},
    {"LEA EAX,DWORD PTR SS:[EBP-8]", {0x8D, 0x45, 0xF8}, ""},
    {"MOV DWORD PTR SS:[EBP-4],0", {0xC7, 0x45, 0xFC, 0x00, 0x00, 0x00, 0x00}, ""},
    {"MOV EAX,DWORD PTR DS:[403010]", {0xA1, 0x10, 0x30, 0x40, 0x00}, ""},
    {"PUSH sample.00403024", {0x68, 0x24, 0x30, 0x40, 0x00}, "ASCII \"Korvantis sandbox\""},
    {"CALL DWORD PTR DS:[<&KERNEL32.GetModuleHandleA>]", {0xFF, 0x15, 0x60, 0x50, 0x40, 0x00},
     "kernel32.GetModuleHandleA"},
    {"CALL DWORD PTR DS:[<&USER32.MessageBoxA>]", {0xFF, 0x15, 0xB8, 0x50, 0x40, 0x00},
     "user32.MessageBoxA"},
    {"MOV ESI,EAX", {0x8B, 0xF0}, ""},
    {"SHL EAX,2", {0xC1, 0xE0, 0x02}, ""},
    {"AND ECX,0FF", {0x81, 0xE1, 0xFF, 0x00, 0x00, 0x00}, ""},
    {"MOVZX EAX,BYTE PTR DS:[ESI]", {0x0F, 0xB6, 0x06}, ""},
};

const struct { uint8_t opcode; const char* mnemonic; } JUMPS[] = {
    {0x74, "JE"}, {0x75, "JNZ"}, {0x7C, "JL"}, {0x7F, "JG"}, {0xEB, "JMP"}};

void put_le32(std::vector<uint8_t>* bytes, uint32_t value)
{
    for (int i = 0; i < 4; ++i) bytes->push_back(uint8_t(value >> (8 * i)));
}

std::string hex_address(uint32_t address)
{
    char text[16];  // eight digits and the terminator
    snprintf(text, sizeof text, "%08X", unsigned(address));
    return text;
}

}  // namespace

std::vector<CodeLine> sample_program()
{
    const size_t FUNCTIONS = 24;
    Random random;
    std::vector<CodeLine> lines;
    std::vector<Pending> pending;
    std::vector<size_t> function_start;

    auto add = [&](const char* text, std::vector<uint8_t> bytes, const char* comment = "") {
        lines.push_back({0, std::move(bytes), text, comment});
        pending.push_back({PLAIN, 0, "", 0, 0});
    };

    for (size_t f = 0; f < FUNCTIONS; ++f) {
        function_start.push_back(lines.size());
        add("PUSH EBP", {0x55});
        add("MOV EBP,ESP", {0x8B, 0xEC});
        add("SUB ESP,10", {0x83, 0xEC, 0x10});
        add("PUSH EBX", {0x53});
        add("PUSH ESI", {0x56});
        const size_t body_lines = 6 + random.next(10);
        const size_t body_start = lines.size();
        for (size_t i = 0; i < body_lines; ++i) {
            const unsigned pick = random.next(10);
            if (pick == 0 && i + 2 < body_lines) {
                const auto& jump = JUMPS[random.next(5)];
                add("", {});
                pending.back() = {JUMP_SHORT, jump.opcode, jump.mnemonic,
                                  body_start + i + 1 + random.next(unsigned(body_lines - i - 1)), 0};
            } else if (pick == 1) {
                add("", {});
                pending.back() = {CALL_NEAR, 0, "", 0, random.next(unsigned(FUNCTIONS))};
            } else {
                const Body& body = BODIES[random.next(sizeof BODIES / sizeof BODIES[0])];
                add(body.text, body.bytes, body.comment);
            }
        }
        add("POP ESI", {0x5E});
        add("POP EBX", {0x5B});
        add("MOV ESP,EBP", {0x8B, 0xE5});
        add("POP EBP", {0x5D});
        if (random.next(2)) {
            add("RETN", {0xC3});
        } else {
            add("RETN 8", {0xC2, 0x08, 0x00});
        }
        add("INT3", {0xCC});
    }

    // Lengths of jumps and calls are fixed (2 and 5), so addresses can be laid
    // out first and the displacements filled in afterwards.
    uint32_t address = SAMPLE_PROGRAM_BASE;
    for (size_t i = 0; i < lines.size(); ++i) {
        lines[i].address = address;
        address += pending[i].kind == JUMP_SHORT ? 2 : pending[i].kind == CALL_NEAR ? 5 : uint32_t(lines[i].bytes.size());
    }
    for (size_t i = 0; i < lines.size(); ++i) {
        const Pending& p = pending[i];
        const uint32_t after = lines[i].address + (p.kind == JUMP_SHORT ? 2 : 5);
        if (p.kind == JUMP_SHORT) {
            const uint32_t target = lines[p.target_line].address;
            lines[i].bytes = {p.opcode, uint8_t(target - after)};
            lines[i].text = p.mnemonic + " SHORT sample." + hex_address(target);
        } else if (p.kind == CALL_NEAR) {
            const uint32_t target = lines[function_start[p.target_function]].address;
            lines[i].bytes = {0xE8};
            put_le32(&lines[i].bytes, target - after);
            lines[i].text = "CALL sample." + hex_address(target);
        }
    }
    return lines;
}

std::vector<LineName> sample_names()
{
    // A small decryption routine as someone who worked through the code
    // would have named it: the entry, the key check and the loop.
    return {
        {0x00401000, NAME_LABEL, "main"},
        {0x0040100D, NAME_COMMENT, "key from argument 1"},
        {0x0040101B, NAME_COMMENT, "0: wrong key"},
        {0x0040102F, NAME_LABEL, "decrypt_string"},
        {0x00401037, NAME_LABEL, "decrypt_loop"},
        {0x00401037, NAME_COMMENT, "next byte of the text"},
        {0x00401040, NAME_COMMENT, "last byte done?"},
        {0x0040122D, NAME_LABEL, "init_key"},
        {0x004013C0, NAME_LABEL, "check_key"},
        {0x004013D4, NAME_COMMENT, "\"Wrong key\" box"},
    };
}
