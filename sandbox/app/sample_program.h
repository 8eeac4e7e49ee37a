// The program the sandbox shows in its CPU pane when no debuggee is loaded: a
// few hundred lines of plausible 32-bit code from 0x00401000 upwards, each
// with the length and bytes a real instruction of that text would have.
#pragma once

#include <stdint.h>

#include <string>
#include <vector>

struct CodeLine {
    uint32_t address;
    std::vector<uint8_t> bytes;  // the instruction's encoding; its size is the length
    std::string text;            // mnemonic and operands, upper case as OllyDbg writes them
    std::string comment;         // empty, or what the debugger would note beside it
};

const uint32_t SAMPLE_PROGRAM_BASE = 0x00401000;

// The same lines on every call (a fixed pseudo-random sequence).
std::vector<CodeLine> sample_program();

// A name the user gave a line, as the debugger keeps it in the program's
// project: a label (NAME_LABEL) or a comment (NAME_COMMENT).
struct LineName {
    uint32_t address;
    int type;
    const char* text;
};

// The sample's own labels and comments, each on a line of sample_program().
std::vector<LineName> sample_names();
