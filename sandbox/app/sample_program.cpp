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
    std::vector<uint8_t> bytes;  // as linked at SAMPLE_LINKED_BASE
    const char* comment;
    // Where an absolute address of the program sits in the bytes (0: none);
    // the text then shows it in place of its "%X".
    size_t address_at;
};

// Instructions that do not depend on where they sit, and a few naming an
// address of the program's data or import table, which the loader relocates.
const Body BODIES[] = {
    {"MOV EAX,DWORD PTR SS:[EBP+8]", {0x8B, 0x45, 0x08}, "", 0},
    {"MOV ECX,DWORD PTR SS:[EBP+C]", {0x8B, 0x4D, 0x0C}, "", 0},
    {"MOV DWORD PTR SS:[EBP-4],EAX", {0x89, 0x45, 0xFC}, "", 0},
    {"MOV EDX,DWORD PTR SS:[EBP-8]", {0x8B, 0x55, 0xF8}, "", 0},
    {"TEST EAX,EAX", {0x85, 0xC0}, "", 0},
    {"XOR EAX,EAX", {0x33, 0xC0}, "", 0},
    {"CMP EAX,ECX", {0x3B, 0xC1}, "", 0},
    {"INC ESI", {0x46}, "", 0},
    {"DEC ECX", {0x49}, "", 0},
    {"PUSH EAX", {0x50}, "", 0},
    {"PUSH 0", {0x6A, 0x00}, "", 0},
    {"PUSH ESI", {0x56}, "", 0},
    {"POP ECX", {0x59}, "", 0},
    {"ADD ESP,8", {0x83, 0xC4, 0x08}, "", 0},
    {"LEA EAX,DWORD PTR SS:[EBP-8]", {0x8D, 0x45, 0xF8}, "", 0},
    {"MOV DWORD PTR SS:[EBP-4],0", {0xC7, 0x45, 0xFC, 0x00, 0x00, 0x00, 0x00}, "", 0},
    {"MOV EAX,DWORD PTR DS:[%X]", {0xA1, 0x10, 0x30, 0x40, 0x00}, "", 1},
    {"PUSH sample.%08X", {0x68, 0x24, 0x30, 0x40, 0x00}, "ASCII \"Korvantis sandbox\"", 1},
    {"CALL DWORD PTR DS:[<&KERNEL32.GetModuleHandleA>]", {0xFF, 0x15, 0x60, 0x50, 0x40, 0x00},
     "kernel32.GetModuleHandleA", 2},
    {"CALL DWORD PTR DS:[<&USER32.MessageBoxA>]", {0xFF, 0x15, 0xB8, 0x50, 0x40, 0x00},
     "user32.MessageBoxA", 2},
    {"MOV ESI,EAX", {0x8B, 0xF0}, "", 0},
    {"SHL EAX,2", {0xC1, 0xE0, 0x02}, "", 0},
    {"AND ECX,0FF", {0x81, 0xE1, 0xFF, 0x00, 0x00, 0x00}, "", 0},
    {"MOVZX EAX,BYTE PTR DS:[ESI]", {0x0F, 0xB6, 0x06}, "", 0},
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

// The body's line in a program loaded at base: its absolute address moved
// by the distance from the linked base, in the bytes and in the text.
CodeLine placed(const Body& body, uint32_t base)
{
    CodeLine line = {0, body.bytes, body.text, body.comment};
    if (!body.address_at) return line;
    uint32_t address = base - SAMPLE_LINKED_BASE;
    for (size_t i = 0; i < 4; ++i) address += uint32_t(body.bytes[body.address_at + i]) << (8 * i);
    for (size_t i = 0; i < 4; ++i) line.bytes[body.address_at + i] = uint8_t(address >> (8 * i));
    char text[64];  // the longest body's text with eight digits
    snprintf(text, sizeof text, body.text, unsigned(address));
    line.text = text;
    return line;
}

}  // namespace

std::vector<CodeLine> sample_program(uint32_t base)
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
                lines.push_back(placed(BODIES[random.next(sizeof BODIES / sizeof BODIES[0])], base));
                pending.push_back({PLAIN, 0, "", 0, 0});
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
    uint32_t address = base + SAMPLE_CODE_OFFSET;
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

NameTable names_moved(const NameTable& names, uint32_t from, uint32_t to, uint32_t size)
{
    NameTable moved;
    for (const auto& name : names) {
        const uint32_t address = name.first.first;
        // One comparison: below from, the difference wraps above size.
        const uint32_t now = address - from < size ? address - from + to : address;
        moved[{now, name.first.second}] = name.second;
    }
    return moved;
}

bool is_load_address(uint32_t base)
{
    const uint32_t USER_SPACE_END = 0x7FFF0000;
    return base % 0x10000 == 0 && base >= 0x10000 && base <= USER_SPACE_END - SAMPLE_IMAGE_SIZE;
}

bool parse_load_address(const char* text, uint32_t* base)
{
    if (text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) text += 2;
    uint32_t value = 0;
    size_t digits = 0;
    for (; text[digits]; ++digits) {
        const char c = text[digits];
        const int digit = c >= '0' && c <= '9' ? c - '0'
                          : c >= 'A' && c <= 'F' ? c - 'A' + 10
                          : c >= 'a' && c <= 'f' ? c - 'a' + 10
                                                 : -1;
        if (digit < 0 || value > 0x0FFFFFFF) return false;
        value = value << 4 | uint32_t(digit);
    }
    if (!digits || !is_load_address(value)) return false;
    *base = value;
    return true;
}

uint32_t other_load_address(uint32_t base)
{
    return base == SAMPLE_LINKED_BASE ? 0x00500000 : SAMPLE_LINKED_BASE;
}
