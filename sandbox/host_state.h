// The stand-in debugger's side of the eleven host operations: what they answer
// and, unless built with STANDIN_NO_IO, a record of every call, in order.
// One codebase serves the recording test host, the no-I/O bench host and the
// interactive sandbox; they differ only in build options and in the hooks set.
#pragma once

#include <stdint.h>

#include <deque>
#include <map>
#include <string>
#include <vector>

enum class HostOp { Log, Notice, GetValue, ReadInt, SaveRecord, WriteInt, GotoCode, Beep, FindName,
                    FindModule, InsertName, RedrawDisassembler, COUNT };

struct HostCall {
    HostOp op;
    std::string text;          // Log: the formatted line; Notice: the text; Read/WriteInt: the key;
                               // InsertName: the name given
    uint32_t address = 0;      // Log, FindName, FindModule, InsertName: address; GotoCode: code
                               // address; SaveRecord: tag
    int emphasis = 0;          // Log: emphasis; GetValue: selector; Beep: beep type;
                               // FindName, InsertName: type
    int value = 0;             // ReadInt: default; WriteInt: value; FindName: 1 with a buffer
    int answer = 0;            // what the host answered (ReadInt, SaveRecord, FindName, InsertName);
                               // FindModule: 1 when a module holds the address
    void* instance = nullptr;  // Read/WriteInt: the module instance passed
    std::vector<uint8_t> data; // SaveRecord: the bytes; GotoCode: unused
    uint32_t goto_args[5] = {0, 0, 0, 0, 0};
};

// One module descriptor as host_find_module answers it: base and size at
// MODULE_BASE and MODULE_SIZE, the short name in MODULE_SHORT_NAME_BYTES bytes
// at MODULE_SHORT_NAME, the path at MODULE_PATH (host/host_api.h).
struct StandInModule {
    uint8_t bytes[0x50 + 260];  // up to the path and a path of MAX_PATH bytes
};

struct HostState {
    // Settings, per module instance and key.
    std::map<std::pair<void*, std::string>, int> settings;
    // What host_get_value(53) answers.
    void* disasm_view = nullptr;
    // Labels and comments by (address, type), as host_find_name answers them:
    // no length limit, like the debugger's.
    std::map<std::pair<uint32_t, int>, std::string> names;
    // The modules host_find_module knows, each a descriptor laid out as the
    // debugger's (see add_module); a deque keeps the descriptors where they are.
    std::deque<StandInModule> modules;
    // Records written through host_save_record (tag, bytes), when accepted.
    std::vector<std::pair<uint32_t, std::vector<uint8_t>>> saved_records;
    // Decides the answer of host_save_record; null accepts every record.
    int (*save_record_policy)(uint32_t tag, uint32_t size, const void* data) = nullptr;
    // Optional observers for a program that shows the calls (the sandbox).
    void (*on_log)(uint32_t address, int emphasis, const char* line) = nullptr;
    void (*on_notice)(const char* text) = nullptr;
    void (*on_goto)(uint32_t address) = nullptr;
    void (*on_redraw_disassembler)() = nullptr;
    // Read and write the settings through a store of the program's own.
    bool (*read_setting)(void* instance, const char* key, int* value) = nullptr;
    void (*write_setting)(void* instance, const char* key, int value) = nullptr;
    // Every call, in order (empty in the no-I/O build).
    std::vector<HostCall> calls;
    // When non-zero, only about the latest this many calls are kept: a program
    // that runs for hours (the sandbox) needs just the last few.
    size_t keep_calls = 0;
    // Calls per operation, kept in every build.
    unsigned counts[int(HostOp::COUNT)] = {};
};

extern HostState host_state;

// Forgets calls, records, settings, names and the view.
void reset_host_state();
// Calls of one kind, in order.
std::vector<HostCall> calls_of(HostOp op);
// A module of base and size with the debugger's short name for it: the first
// eight characters of name, zero-terminated only when shorter.
void add_module(uint32_t base, uint32_t size, const std::string& name, const std::string& path);
// Adds a beep to the record (the beep recorder's target).
void record_beep(unsigned type);
