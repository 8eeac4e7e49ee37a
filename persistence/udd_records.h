// Bookmark records in the debugger's project (UDD) file. Decoding is plain
// code so that it can be exercised natively; the callbacks that use it live in
// persistence/project_records.cpp.
#pragma once

#include <stdint.h>

const uint32_t RECORD_TAG_OWN = 0x4C4D430A;  // one 4-byte little-endian address
const uint32_t RECORD_TAG_OLD = 0x236D420A;  // older plug-in: address in bytes 4 to 7
const uint32_t RECORD_OWN_SIZE = 4;
const uint32_t RECORD_OLD_MIN_SIZE = 8;

enum RecordKind {
    RECORD_FOREIGN,  // another tag: not ours
    RECORD_OWN,
    RECORD_OLD,
    RECORD_OWN_DAMAGED,  // our tag, but too short (or no data) to hold an address
    RECORD_OLD_DAMAGED,
};

struct DecodedRecord {
    RecordKind kind;
    uint32_t address;  // valid for RECORD_OWN and RECORD_OLD only
};

// Never reads beyond size bytes of data, and not at all when data is null.
DecodedRecord decode_record(uint32_t tag, uint32_t size, const void* data);

// Fills buffer with the own record of one address.
void encode_own_record(uint32_t address, unsigned char buffer[RECORD_OWN_SIZE]);
