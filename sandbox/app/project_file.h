// The sandbox's project file: the plug-ins' tagged records for one program, in
// the order they were saved. Layout: the eight bytes "KSBXUDD1", then each
// record as its tag and its size (32-bit little-endian) followed by its bytes.
#pragma once

#include <stdint.h>

#include <string>
#include <vector>

struct ProjectRecord {
    uint32_t tag;
    std::vector<uint8_t> bytes;
};

extern const char PROJECT_MAGIC[8];

std::vector<uint8_t> encode_project(const std::vector<ProjectRecord>& records);

// Reads the records in order. A file that ends inside a record header or
// inside a record's bytes is damaged there: the records before the damage are
// kept, and false is returned with where and what in damage. A file without the
// magic yields no records.
bool decode_project(const std::vector<uint8_t>& file, std::vector<ProjectRecord>* records,
                    std::string* damage);
