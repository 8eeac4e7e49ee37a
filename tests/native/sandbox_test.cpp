// The sandbox host's own text and file formats: the menu descriptions it
// takes from plug-ins, its project file, and the sample program it shows, at
// the base it is linked at and at others.
#include <gtest/gtest.h>

#include <stdio.h>

#include <algorithm>
#include <set>

#include "host/host_api.h"
#include "sandbox/app/debugger_keys.h"
#include "sandbox/app/menu_text.h"
#include "sandbox/app/project_file.h"
#include "sandbox/app/sample_program.h"

namespace {

struct MenuCase {
    const char* description;
    size_t items;       // 0: rejected
    const char* error;  // the start of the reason when rejected
};

TEST(SandboxMenuText, AcceptsWellFormedDescriptionsAndRejectsTheRest)
{
    const MenuCase cases[] = {
        {"0 Show/Hide | 1 Clear Bookmarks | 2 Settings | 3 Korvantis v1.2", 4, ""},
        {"0 Show/Hide | 4 Bookmark list | 1 Clear Bookmarks | 2 Settings | 3 Korvantis v1.6", 5, ""},
        {"0 Toggle Bookmark \t+[00401000]", 1, ""},
        {"255 Last", 1, ""},
        {"", 0, "empty"},
        {"Show | 1 Hide", 0, "item 1: no action code"},
        {"0 Show |1 Hide", 0, "item 2: no blank after '|'"},
        {"0 Show| 1 Hide", 0, "item 1: no blank before '|'"},
        {"0Show", 0, "item 1: no blank after the code"},
        {"0 ", 0, "item 1: no text"},
        {"0 Show | ", 0, "item 2: no action code"},
        {"256 Too high", 0, "item 1: action code above 255"},
        {"99999999999 Overflow", 0, "item 1: action code above 255"},
    };
    for (const MenuCase& c : cases) {
        std::vector<MenuItem> items;
        std::string error;
        const bool ok = parse_menu_description(c.description, &items, &error);
        EXPECT_EQ(ok, c.items != 0) << c.description;
        EXPECT_EQ(items.size(), c.items) << c.description;
        if (!ok) {
            EXPECT_EQ(error.rfind(c.error, 0), 0u) << c.description << " -> " << error;
        }
    }
}

struct KeyCase {
    int key, ctrl, alt, shift;  // the keys held; alt reaches the table as the debugger reports it
    const char* command;        // nullptr: offered to the plug-ins
};

TEST(SandboxDebuggerKeys, KeepsTheKeysTheDebuggerKeepsAndOffersTheRest)
{
    const KeyCase cases[] = {
        {0x71, 0, 0, 0, "Toggle breakpoint"},  // F2
        {0x71, 1, 0, 0, "Restart program"},    // Ctrl+F2
        {0x77, 0, 0, 0, "Step over"},          // F8
        {0x47, 1, 0, 0, "Go to expression"},   // Ctrl+G
        {0x20, 0, 0, 0, "Assemble"},           // Space
        {0x28, 1, 1, 1, "Line down"},          // Down, whatever the modifiers
        // Ctrl+letter commands ignore Shift; Ctrl+Shift+A is the exception.
        {0x42, 1, 0, 0, "Binary search"},      // Ctrl+B
        {0x42, 1, 0, 1, "Binary search"},      // Ctrl+Shift+B
        {0x42, 1, 1, 0, "Binary search"},      // Ctrl+Alt+B
        {0x53, 1, 0, 1, "Find sequence of commands"},  // Ctrl+Shift+S
        {0x41, 1, 0, 0, "Analyse code"},       // Ctrl+A
        {0x41, 1, 0, 1, nullptr},              // Ctrl+Shift+A
        {0x4D, 0, 1, 0, "Window or menu"},     // Alt+M
        {0x74, 1, 0, 1, "Ctrl+Shift+F5"},
        {0x7A, 1, 0, 1, "Ctrl+Shift+F11"},
        {0x72, 0, 0, 1, "Shift+F3"},
        {0x7A, 1, 0, 0, "Trace into"},         // Ctrl+F11
        {0x7A, 1, 1, 0, "Trace into"},         // Ctrl+Alt+F11, reported as Ctrl+F11
        {0xBA, 0, 0, 1, "Label"},              // ':' (Shift+VK_OEM_1)
        {0xBA, 0, 0, 0, "Comment"},            // ';'
        // Offered to the plug-ins.
        {0x44, 1, 0, 0, nullptr},              // Ctrl+D
        {0x44, 1, 0, 1, nullptr},              // Ctrl+Shift+D
        {0x44, 1, 1, 0, nullptr},              // Ctrl+Alt+D, reported as Ctrl+D
        {0x7A, 0, 1, 0, nullptr},              // Alt+F11, reported with alt 1
        {0xBA, 1, 0, 1, nullptr},              // Ctrl+Shift+;
        {0xBC, 1, 0, 1, nullptr},              // Ctrl+Shift+comma
        {0xBE, 1, 0, 1, nullptr},              // Ctrl+Shift+period
        {0x72, 1, 0, 0, nullptr},              // Ctrl+F3
        {0x7A, 0, 0, 1, nullptr},              // Shift+F11
        {0x75, 0, 1, 0, nullptr},              // Alt+F6
        {0x71, 1, 0, 1, nullptr},              // Ctrl+Shift+F2
        {0x47, 0, 0, 0, nullptr},              // G alone
        {0x2D, 0, 0, 0, nullptr},              // Insert
        {0x71, 2, 0, 0, nullptr},              // a modifier passed as 2 is not "held"
    };
    for (const KeyCase& c : cases) {
        const char* command = debugger_key_command(c.key, c.ctrl, host_alt_flag(c.ctrl, c.alt != 0), c.shift);
        EXPECT_STREQ(command, c.command) << std::hex << c.key << " ctrl=" << c.ctrl << " alt=" << c.alt
                                         << " shift=" << c.shift;
    }
}

TEST(SandboxMenuText, KeepsCodesAndTextsInOrder)
{
    std::vector<MenuItem> items;
    std::string error;
    ASSERT_TRUE(parse_menu_description("3 About | 0 Show/Hide | 12 A-B", &items, &error));
    ASSERT_EQ(items.size(), 3u);
    EXPECT_EQ(items[0].code, 3);
    EXPECT_EQ(items[0].text, "About");
    EXPECT_EQ(items[1].code, 0);
    EXPECT_EQ(items[2].code, 12);
    EXPECT_EQ(items[2].text, "A-B");
}

std::vector<ProjectRecord> three_records()
{
    return {{0x4C4D430A, {0x00, 0x10, 0x40, 0x00}}, {0x236D420A, {1, 2, 3, 4, 5, 6, 7, 8}}, {0x12345678, {}}};
}

TEST(SandboxProjectFile, RoundTripsRecordsInOrder)
{
    const std::vector<uint8_t> file = encode_project(three_records());
    EXPECT_EQ(file.size(), 8u + (8 + 4) + (8 + 8) + 8);
    std::vector<ProjectRecord> read;
    std::string damage;
    ASSERT_TRUE(decode_project(file, &read, &damage)) << damage;
    ASSERT_EQ(read.size(), 3u);
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(read[i].tag, three_records()[i].tag);
        EXPECT_EQ(read[i].bytes, three_records()[i].bytes);
    }
}

TEST(SandboxProjectFile, EveryCutReadsTheWholeRecordsBeforeItAndNamesTheDamage)
{
    const std::vector<uint8_t> file = encode_project(three_records());
    const size_t record_ends[] = {8 + 12, 8 + 12 + 16, file.size()};
    for (size_t cut = 8; cut < file.size(); ++cut) {
        const std::vector<uint8_t> truncated(file.begin(), file.begin() + long(cut));
        std::vector<ProjectRecord> read;
        std::string damage;
        const bool intact = decode_project(truncated, &read, &damage);
        size_t whole = 0;
        while (whole < 3 && record_ends[whole] <= cut) ++whole;
        const bool on_boundary = cut == 8 || (whole > 0 && record_ends[whole - 1] == cut);
        EXPECT_EQ(intact, on_boundary) << "cut at " << cut;
        EXPECT_EQ(read.size(), whole) << "cut at " << cut;
        if (!intact) {
            EXPECT_FALSE(damage.empty());
        }
    }
}

TEST(SandboxProjectFile, AHugeClaimedSizeIsDamageNotAnAllocation)
{
    std::vector<uint8_t> file = encode_project({{0x4C4D430A, {1, 2, 3, 4}}});
    file[12] = file[13] = file[14] = file[15] = 0xFF;  // size 0xFFFFFFFF
    std::vector<ProjectRecord> read;
    std::string damage;
    EXPECT_FALSE(decode_project(file, &read, &damage));
    EXPECT_TRUE(read.empty());
    EXPECT_NE(damage.find("claims 4294967295 bytes, 4 left"), std::string::npos) << damage;
}

TEST(SandboxProjectFile, AFileWithoutTheHeaderGivesNothing)
{
    std::vector<ProjectRecord> read;
    std::string damage;
    EXPECT_FALSE(decode_project({'K', 'S', 'B', 'X'}, &read, &damage));
    EXPECT_FALSE(decode_project({'N', 'O', 'T', ' ', 'U', 'D', 'D', '1', 0, 0, 0, 0, 0, 0, 0, 0}, &read, &damage));
    EXPECT_TRUE(read.empty());
}

// Where the tests load the sample: where it is linked, the other base the
// sandbox offers, and the highest base a 32-bit process can give it.
const uint32_t TEST_BASES[] = {SAMPLE_LINKED_BASE, 0x00500000, 0x7FFE0000};

uint32_t le32_at(const std::vector<uint8_t>& bytes, size_t at)
{
    return uint32_t(bytes[at]) | uint32_t(bytes[at + 1]) << 8 | uint32_t(bytes[at + 2]) << 16 |
           uint32_t(bytes[at + 3]) << 24;
}

// Where an instruction of the sample holds an absolute address: MOV EAX,[a]
// and PUSH a after their opcode, CALL [a] after its two; 0 for none.
size_t absolute_address_at(const std::vector<uint8_t>& bytes)
{
    if (bytes.size() == 5 && (bytes[0] == 0xA1 || bytes[0] == 0x68)) return 1;
    if (bytes.size() == 6 && bytes[0] == 0xFF && bytes[1] == 0x15) return 2;
    return 0;
}

TEST(SandboxSampleProgram, LinesAreContiguousAndJumpsLandOnLines)
{
    for (uint32_t base : TEST_BASES) {
        SCOPED_TRACE(::testing::Message() << "base " << std::hex << base);
        const std::vector<CodeLine> lines = sample_program(base);
        ASSERT_GE(lines.size(), 300u);
        EXPECT_EQ(lines.front().address, base + SAMPLE_CODE_OFFSET);
        EXPECT_LE(lines.back().address + lines.back().bytes.size(), base + SAMPLE_IMAGE_SIZE);
        std::vector<uint32_t> starts;
        for (size_t i = 0; i < lines.size(); ++i) {
            ASSERT_FALSE(lines[i].bytes.empty()) << i;
            EXPECT_LE(lines[i].bytes.size(), 15u);
            if (i + 1 < lines.size()) {
                EXPECT_EQ(lines[i + 1].address, lines[i].address + lines[i].bytes.size()) << i;
            }
            starts.push_back(lines[i].address);
        }
        int jumps = 0, absolutes = 0;
        for (const CodeLine& line : lines) {
            uint32_t target = 0;
            const uint32_t after = line.address + uint32_t(line.bytes.size());
            if (const size_t at = absolute_address_at(line.bytes)) {
                // The data and import table it names lie in the image, past the code.
                ++absolutes;
                const uint32_t address = le32_at(line.bytes, at);
                EXPECT_GT(address, lines.back().address) << line.text;
                EXPECT_LT(address, base + SAMPLE_IMAGE_SIZE) << line.text;
                continue;
            }
            if (line.bytes.size() == 2 && (line.bytes[0] == 0xEB || (line.bytes[0] >= 0x70 && line.bytes[0] <= 0x7F))) {
                target = after + uint32_t(int32_t(int8_t(line.bytes[1])));
            } else if (line.bytes.size() == 5 && line.bytes[0] == 0xE8) {
                target = after + le32_at(line.bytes, 1);
            } else {
                continue;
            }
            ++jumps;
            EXPECT_TRUE(std::binary_search(starts.begin(), starts.end(), target)) << line.text;
            char hex[16];
            snprintf(hex, sizeof hex, "%08X", unsigned(target));
            EXPECT_NE(line.text.find(hex), std::string::npos) << line.text;
        }
        EXPECT_GT(jumps, 10);
        EXPECT_GT(absolutes, 10);
    }
}

TEST(SandboxSampleProgram, AtAnotherBaseEveryAddressMovesAndTheRestStays)
{
    const std::vector<CodeLine> linked = sample_program();
    for (uint32_t base : TEST_BASES) {
        SCOPED_TRACE(::testing::Message() << "base " << std::hex << base);
        const uint32_t moved = base - SAMPLE_LINKED_BASE;
        const std::vector<CodeLine> lines = sample_program(base);
        ASSERT_EQ(lines.size(), linked.size());
        for (size_t i = 0; i < lines.size(); ++i) {
            EXPECT_EQ(lines[i].address, linked[i].address + moved) << i;
            EXPECT_EQ(lines[i].comment, linked[i].comment) << i;
            ASSERT_EQ(lines[i].bytes.size(), linked[i].bytes.size()) << i;
            // Relocated: the absolute address alone; a relative jump or call keeps its bytes.
            std::vector<uint8_t> bytes = lines[i].bytes;
            if (const size_t at = absolute_address_at(bytes)) {
                EXPECT_EQ(le32_at(bytes, at), le32_at(linked[i].bytes, at) + moved) << lines[i].text;
                std::copy(linked[i].bytes.begin() + long(at), linked[i].bytes.begin() + long(at + 4), bytes.begin() + long(at));
            }
            EXPECT_EQ(bytes, linked[i].bytes) << i;
            // No text names an address of the image where it was linked.
            if (moved) {
                EXPECT_EQ(lines[i].text.find("sample.004"), std::string::npos) << lines[i].text;
                EXPECT_EQ(lines[i].text.find("DS:[40"), std::string::npos) << lines[i].text;
            }
        }
    }
}

// At another base the lines move by the distance (above) and the names with
// them (below): checked where the program is linked.
TEST(SandboxSampleProgram, NamesSitOnLinesAndAreOnePerLineAndType)
{
    std::set<uint32_t> starts;
    for (const CodeLine& line : sample_program()) starts.insert(line.address);
    std::set<std::pair<uint32_t, int>> seen;
    int labels = 0, comments = 0;
    for (const LineName& name : sample_names()) {
        EXPECT_TRUE(starts.count(name.address)) << std::hex << name.address << " " << name.text;
        EXPECT_TRUE(name.type == NAME_LABEL || name.type == NAME_COMMENT) << name.text;
        EXPECT_NE(name.text[0], '\0') << std::hex << name.address;
        EXPECT_TRUE(seen.insert({name.address, name.type}).second) << std::hex << name.address;
        (name.type == NAME_LABEL ? labels : comments)++;
    }
    EXPECT_GT(labels, 0);
    EXPECT_GT(comments, 0);
}

TEST(SandboxSampleProgram, NamesInsideTheModuleMoveWithItAndTheOthersStay)
{
    const NameTable names = {
        {{0x0000FFFF, NAME_LABEL}, "below the module"},
        {{0x00400000, NAME_LABEL}, "first byte"},
        {{0x00401008, NAME_LABEL}, "my_label"},
        {{0x00401008, NAME_COMMENT}, "typed with ;"},
        {{0x00405FFF, NAME_COMMENT}, "last byte"},
        {{0x00406000, NAME_LABEL}, "just past it"},
        {{0x7C801D7B, NAME_LABEL}, "kernel32.LoadLibraryA"},
    };
    const struct {
        uint32_t to;
        uint32_t moved[7];  // the names' addresses afterwards, in the order above
    } cases[] = {
        {0x00500000, {0x0000FFFF, 0x00500000, 0x00501008, 0x00501008, 0x00505FFF, 0x00406000, 0x7C801D7B}},
        {0x00010000, {0x0000FFFF, 0x00010000, 0x00011008, 0x00011008, 0x00015FFF, 0x00406000, 0x7C801D7B}},
        {0x00400000, {0x0000FFFF, 0x00400000, 0x00401008, 0x00401008, 0x00405FFF, 0x00406000, 0x7C801D7B}},
    };
    for (const auto& c : cases) {
        const NameTable moved = names_moved(names, 0x00400000, c.to, SAMPLE_IMAGE_SIZE);
        EXPECT_EQ(moved.size(), names.size()) << std::hex << c.to;
        size_t i = 0;
        for (const auto& name : names) {
            auto found = moved.find({c.moved[i++], name.first.second});
            ASSERT_NE(found, moved.end()) << name.second << " to " << std::hex << c.to;
            EXPECT_EQ(found->second, name.second);
        }
    }
}

TEST(SandboxSampleProgram, ABaseIsReadInHexAndMustBeOneWindowsLoadsAt)
{
    const struct {
        const char* text;
        uint32_t base;  // 0: refused
    } cases[] = {
        {"0x500000", 0x00500000},
        {"500000", 0x00500000},
        {"0x10000", 0x00010000},
        {"0x7FFE0000", 0x7FFE0000},  // the image ends at 7FFE6000
        {"0x7FFF0000", 0},           // the image would reach past 7FFF0000
        {"0x501000", 0},             // not a multiple of 64 KiB
        {"0x100400000", 0},          // above 32 bits, 0x00400000 when cut
        {"", 0},
        {"-0x500000", 0},
        {"0x500000 ", 0},
        {"500000h", 0},
    };
    for (const auto& c : cases) {
        uint32_t base = 0x12345678;
        EXPECT_EQ(parse_load_address(c.text, &base), c.base != 0) << c.text;
        EXPECT_EQ(base, c.base ? c.base : 0x12345678u) << c.text;
    }
}

}  // namespace
