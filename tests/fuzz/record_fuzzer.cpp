// libFuzzer target: a run of project-file records, as the host hands them
// over one by one, decoded and loaded into a fresh bookmark list.
//
// Input, repeated until it runs out:
//   selector byte: bits 0-1 the tag (own, older plug-in's, four bytes taken
//                  from the input, or own with null data), bit 2 allow_remove,
//                  bit 3 the base record's tag in place of the own one, bits
//                  4-7 where the module is now (that many 64 KiB from 0xFFF00000);
//   size byte:     the record's length; the record is that many of the bytes
//                  that follow (fewer at the end of the input), copied to a
//                  heap block of exactly that size. With null data the byte
//                  is the size the host claims.
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include <set>

#include "core/bookmark_list.h"
#include "persistence/little_endian.h"
#include "persistence/udd_records.h"

extern "C" void host_log(uint32_t, int, const char*, ...) {}

namespace {

struct Input {
    const uint8_t* data;
    size_t left;

    uint8_t byte()
    {
        if (!left) return 0;
        --left;
        return *data++;
    }
};

void check(bool condition)
{
    if (!condition) abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Input in = {data, size};
    BookmarkList list;
    std::set<uint32_t> expected;
    ModuleMove move = {0, 0, 0};
    bool moving = false;

    while (in.left) {
        const uint8_t selector = in.byte();
        const bool allow_remove = selector & 4;
        uint32_t tag = (selector & 8) ? RECORD_TAG_BASE : RECORD_TAG_OWN;
        if ((selector & 3) == 1) tag = RECORD_TAG_OLD;
        if ((selector & 3) == 2) {
            tag = 0;
            for (int i = 0; i < 4; ++i) tag = tag << 8 | in.byte();
        }
        uint32_t record_size = in.byte();
        unsigned char* record = nullptr;
        if ((selector & 3) != 3) {
            if (record_size > in.left) record_size = uint32_t(in.left);
            record = static_cast<unsigned char*>(malloc(record_size));  // ASan: never null, even for 0
            if (record_size) memcpy(record, in.data, record_size);
            in.data += record_size;
            in.left -= record_size;
        }

        const DecodedRecord decoded = decode_record(tag, record_size, record);
        if (tag == RECORD_TAG_OWN && record && record_size >= RECORD_OWN_SIZE) {
            check(decoded.kind == RECORD_OWN && decoded.address == read_le32(record, 0));
        } else if (tag == RECORD_TAG_OLD && record && record_size >= RECORD_OLD_MIN_SIZE) {
            check(decoded.kind == RECORD_OLD && decoded.address == read_le32(record, 4));
        } else if (tag == RECORD_TAG_BASE && record && record_size >= RECORD_BASE_SIZE) {
            check(decoded.kind == RECORD_BASE && decoded.address == read_le32(record, 0) &&
                  decoded.module_size == read_le32(record, 4));
        } else if (tag == RECORD_TAG_OWN) {
            check(decoded.kind == RECORD_OWN_DAMAGED);
        } else if (tag == RECORD_TAG_BASE) {
            check(decoded.kind == RECORD_BASE_DAMAGED);
        } else if (tag == RECORD_TAG_OLD) {
            check(decoded.kind == RECORD_OLD_DAMAGED);
        } else {
            check(decoded.kind == RECORD_FOREIGN);
        }
        free(record);

        if (decoded.kind == RECORD_BASE) {
            // Bases near the top of the address space, so moves wrap around too.
            move = {decoded.address, decoded.module_size, 0xFFF00000u + (uint32_t(selector >> 4) << 16)};
            moving = true;
        }
        if (decoded.kind == RECORD_OWN || decoded.kind == RECORD_OLD) {
            uint32_t address = decoded.address;
            if (decoded.kind == RECORD_OWN && moving) {
                address = moved_address(move, decoded.address);
                const uint64_t offset = uint64_t(decoded.address) - move.saved_base;
                const bool inside = decoded.address >= move.saved_base && offset < move.saved_size;
                check(address == (inside ? uint32_t(move.current_base + offset) : decoded.address));
            }
            const bool present = expected.count(address) != 0;
            check((list.toggle(address, allow_remove) == TOGGLE_ADDED) == !present);
            if (!present) expected.insert(address);
            else if (allow_remove) expected.erase(address);
        }
    }

    // Strictly ascending and exactly the expected addresses.
    auto want = expected.begin();
    for (const BookmarkNode* node = list.first(); node; node = node->next, ++want) {
        check(want != expected.end() && *want == node->address);
        check(!node->next || node->address < node->next->address);
    }
    check(want == expected.end() && list.count() == expected.size());
    return 0;
}
