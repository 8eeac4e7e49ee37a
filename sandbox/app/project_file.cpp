#include "sandbox/app/project_file.h"

#include <string.h>

const char PROJECT_MAGIC[8] = {'K', 'S', 'B', 'X', 'U', 'D', 'D', '1'};

namespace {

void put_le32(std::vector<uint8_t>* out, uint32_t value)
{
    for (int i = 0; i < 4; ++i) out->push_back(uint8_t(value >> (8 * i)));
}

uint32_t get_le32(const uint8_t* p)
{
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

}  // namespace

std::vector<uint8_t> encode_project(const std::vector<ProjectRecord>& records)
{
    std::vector<uint8_t> out(PROJECT_MAGIC, PROJECT_MAGIC + sizeof PROJECT_MAGIC);
    for (const ProjectRecord& record : records) {
        put_le32(&out, record.tag);
        put_le32(&out, uint32_t(record.bytes.size()));
        out.insert(out.end(), record.bytes.begin(), record.bytes.end());
    }
    return out;
}

bool decode_project(const std::vector<uint8_t>& file, std::vector<ProjectRecord>* records,
                    std::string* damage)
{
    records->clear();
    if (file.size() < sizeof PROJECT_MAGIC || memcmp(file.data(), PROJECT_MAGIC, sizeof PROJECT_MAGIC) != 0) {
        if (damage) *damage = "not a project file (no KSBXUDD1 header)";
        return false;
    }
    size_t at = sizeof PROJECT_MAGIC;
    while (at < file.size()) {
        const size_t left = file.size() - at;
        if (left < 8) {
            if (damage) *damage = "record header cut off at byte " + std::to_string(at);
            return false;
        }
        const uint32_t tag = get_le32(&file[at]);
        const uint32_t size = get_le32(&file[at + 4]);
        if (size > left - 8) {
            if (damage) {
                *damage = "record at byte " + std::to_string(at) + " claims " + std::to_string(size) +
                          " bytes, " + std::to_string(left - 8) + " left";
            }
            return false;
        }
        records->push_back({tag, std::vector<uint8_t>(file.begin() + long(at + 8), file.begin() + long(at + 8 + size))});
        at += 8 + size;
    }
    return true;
}
