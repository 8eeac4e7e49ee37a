// Bookmark records in the debugger's project (UDD) file. Decoding is plain
// code so that it can be exercised natively; the callbacks that use it live in
// persistence/project_records.cpp.
#pragma once

#include <stdint.h>

const uint32_t RECORD_TAG_OWN = 0x4C4D430A;   // one 4-byte little-endian address
const uint32_t RECORD_TAG_BASE = 0x4C4D430B;  // the main module's base and size when saved
const uint32_t RECORD_TAG_OLD = 0x236D420A;   // older plug-in: address in bytes 4 to 7
const uint32_t RECORD_OWN_SIZE = 4;
const uint32_t RECORD_BASE_SIZE = 8;
const uint32_t RECORD_OLD_MIN_SIZE = 8;

enum RecordKind {
    RECORD_FOREIGN,  // another tag: not ours
    RECORD_OWN,
    RECORD_BASE,
    RECORD_OLD,
    RECORD_OWN_DAMAGED,  // our tag, but too short (or no data) to hold an address
    RECORD_BASE_DAMAGED,
    RECORD_OLD_DAMAGED,
};

struct DecodedRecord {
    RecordKind kind;
    uint32_t address;      // RECORD_OWN and RECORD_OLD: the bookmark; RECORD_BASE: the module's base
    uint32_t module_size;  // RECORD_BASE only
};

// Never reads beyond size bytes of data, and not at all when data is null.
DecodedRecord decode_record(uint32_t tag, uint32_t size, const void* data);

// Fills buffer with the own record of one address.
void encode_own_record(uint32_t address, unsigned char buffer[RECORD_OWN_SIZE]);
// Fills buffer with the base record of a module loaded at base, size bytes long.
void encode_base_record(uint32_t base, uint32_t size, unsigned char buffer[RECORD_BASE_SIZE]);

// Where the main module was when its bookmarks were saved, and where it is
// now. Windows may load a program at another base on each start; the code a
// bookmark marks moves with it.
struct ModuleMove {
    uint32_t saved_base;
    uint32_t saved_size;
    uint32_t current_base;
};

// The address as it is in the module's current place: moved by the same
// distance as the module when it lay inside the module as saved, unchanged
// otherwise (a bookmark in another module). Wraps around like the addresses do.
uint32_t moved_address(const ModuleMove& move, uint32_t address);
