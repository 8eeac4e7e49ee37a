// The program the sandbox shows in its CPU pane when no debuggee is loaded: a
// few hundred lines of plausible 32-bit code, each with the length and bytes a
// real instruction of that text would have, laid out as a small executable
// linked at 0x00400000 (code from its base + 0x1000, data from + 0x3000, the
// import table at + 0x5000). Loaded at another base it is what the Windows
// loader makes of it: every line, name and address moves by the same amount,
// relative jumps and calls keep their bytes, and the absolute addresses in the
// code are relocated.
#pragma once

#include <stdint.h>

#include <map>
#include <string>
#include <vector>

struct CodeLine {
    uint32_t address;
    std::vector<uint8_t> bytes;  // the instruction's encoding; its size is the length
    std::string text;            // mnemonic and operands, upper case as OllyDbg writes them
    std::string comment;         // empty, or what the debugger would note beside it
};

// Where the program is linked, where its code starts within it, and the
// image's size, which covers the code and the data and import table it names.
const uint32_t SAMPLE_LINKED_BASE = 0x00400000;
const uint32_t SAMPLE_CODE_OFFSET = 0x1000;
const uint32_t SAMPLE_IMAGE_SIZE = 0x6000;

// The same lines on every call (a fixed pseudo-random sequence), loaded at base.
std::vector<CodeLine> sample_program(uint32_t base = SAMPLE_LINKED_BASE);

// A name the user gave a line, as the debugger keeps it in the program's
// project: a label (NAME_LABEL) or a comment (NAME_COMMENT).
struct LineName {
    uint32_t address;
    int type;
    const char* text;
};

// The sample's own labels and comments, each on a line of sample_program()
// where the program is linked; names_moved places them at another base.
std::vector<LineName> sample_names();

// Names by (address, type), as the host's names table holds them.
typedef std::map<std::pair<uint32_t, int>, std::string> NameTable;

// The table as it reads once the module of size bytes at from is loaded at
// to: the names inside the module move with it, the others stay. The
// debugger keeps a module's names relative to its base, so they follow the code.
NameTable names_moved(const NameTable& names, uint32_t from, uint32_t to, uint32_t size);

// A base the program can be loaded at: a multiple of 64 KiB (the system's
// allocation granularity) above the first 64 KiB, with the whole image below
// 0x7FFF0000, where a 32-bit process's own memory ends.
bool is_load_address(uint32_t base);
// A base written in hex, with or without "0x" ("0x500000", "500000"); false,
// leaving *base alone, for anything else or an address is_load_address refuses.
bool parse_load_address(const char* text, uint32_t* base);
// The base "Restart at another base" moves the program to: 0x00500000 from
// the linked base, the linked base from anywhere else.
uint32_t other_load_address(uint32_t base);
