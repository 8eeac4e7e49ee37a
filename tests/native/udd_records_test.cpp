#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "persistence/udd_records.h"

namespace {

using Bytes = std::vector<unsigned char>;

// A heap copy of exactly bytes.size() bytes, so that the sanitizer or
// valgrind reports any read past its end.
std::unique_ptr<unsigned char[]> exact_copy(const Bytes& bytes)
{
    std::unique_ptr<unsigned char[]> copy(new unsigned char[bytes.size()]);
    std::copy(bytes.begin(), bytes.end(), copy.get());
    return copy;
}

DecodedRecord decode(uint32_t tag, const Bytes& bytes)
{
    auto data = exact_copy(bytes);
    return decode_record(tag, uint32_t(bytes.size()), data.get());
}

TEST(DecodeRecord, TakesTheAddressFromEitherKnownLayout)
{
    const struct {
        uint32_t tag;
        Bytes bytes;
        RecordKind kind;
        uint32_t address;
    } cases[] = {
        {RECORD_TAG_OWN, {0x00, 0x10, 0x40, 0x00}, RECORD_OWN, 0x401000},
        {RECORD_TAG_OWN, {0x78, 0x56, 0x34, 0x12}, RECORD_OWN, 0x12345678},
        {RECORD_TAG_OWN, {0xFF, 0xFF, 0xFF, 0xFF}, RECORD_OWN, 0xFFFFFFFF},
        {RECORD_TAG_OWN, {0x00, 0x20, 0x40, 0x00, 0xAA, 0xBB}, RECORD_OWN, 0x402000},  // longer: still taken
        {RECORD_TAG_OLD, {0xAA, 0xBB, 0xCC, 0xDD, 0x00, 0x10, 0x40, 0x00}, RECORD_OLD, 0x401000},
        {RECORD_TAG_OLD, {0, 0, 0, 0, 0x78, 0x56, 0x34, 0x12, 0xEE, 0xEE, 0xEE, 0xEE}, RECORD_OLD, 0x12345678},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << std::hex << "tag 0x" << c.tag << std::dec << ", " << c.bytes.size() << " bytes");
        const DecodedRecord record = decode(c.tag, c.bytes);
        EXPECT_EQ(c.kind, record.kind);
        EXPECT_EQ(c.address, record.address);
    }
}

TEST(DecodeRecord, ShortOrMissingDataOfOurTagsIsDamagedAndNotReadPastItsEnd)
{
    const struct {
        uint32_t tag;
        uint32_t too_short;  // every smaller size is damaged
        RecordKind kind;
    } tags[] = {
        {RECORD_TAG_OWN, RECORD_OWN_SIZE, RECORD_OWN_DAMAGED},
        {RECORD_TAG_BASE, RECORD_BASE_SIZE, RECORD_BASE_DAMAGED},
        {RECORD_TAG_OLD, RECORD_OLD_MIN_SIZE, RECORD_OLD_DAMAGED},
    };
    for (const auto& t : tags) {
        for (uint32_t size = 0; size < t.too_short; ++size) {
            SCOPED_TRACE(::testing::Message() << std::hex << "tag 0x" << t.tag << std::dec << ", size " << size);
            EXPECT_EQ(t.kind, decode(t.tag, Bytes(size, 0x5A)).kind);
        }
        for (uint32_t size : {0u, 4u, 8u, 0xFFFFFFFFu}) {
            SCOPED_TRACE(::testing::Message() << std::hex << "tag 0x" << t.tag << std::dec << ", null data, size " << size);
            EXPECT_EQ(t.kind, decode_record(t.tag, size, nullptr).kind);
        }
    }
}

TEST(DecodeRecord, OtherTagsAreForeign)
{
    const Bytes eight = {0x00, 0x10, 0x40, 0x00, 0x00, 0x10, 0x40, 0x00};
    for (uint32_t tag : {0u, 0x4C4D430Cu, 0x0B434D4Cu, 0x0A434D4Cu, 0x236D420Bu, 0x0A426D23u, 0xFFFFFFFFu}) {
        SCOPED_TRACE(::testing::Message() << std::hex << "tag 0x" << tag);
        EXPECT_EQ(RECORD_FOREIGN, decode(tag, eight).kind);
        EXPECT_EQ(RECORD_FOREIGN, decode(tag, {}).kind);
        EXPECT_EQ(RECORD_FOREIGN, decode_record(tag, 8, nullptr).kind);
    }
}

TEST(DecodeRecord, BaseRecordGivesTheModulesBaseAndSizeFromItsFirstEightBytes)
{
    const Bytes saved = {0x00, 0x00, 0x40, 0x00, 0x00, 0x30, 0x00, 0x00, 0x99};
    DecodedRecord record = decode(RECORD_TAG_BASE, saved);
    EXPECT_EQ(RECORD_BASE, record.kind);
    EXPECT_EQ(0x400000u, record.address);
    EXPECT_EQ(0x3000u, record.module_size);

    unsigned char buffer[RECORD_BASE_SIZE];
    encode_base_record(0xFFFF0000, 0x12345678, buffer);
    EXPECT_EQ((Bytes{0x00, 0x00, 0xFF, 0xFF, 0x78, 0x56, 0x34, 0x12}), Bytes(buffer, buffer + RECORD_BASE_SIZE));
    record = decode(RECORD_TAG_BASE, Bytes(buffer, buffer + RECORD_BASE_SIZE));
    EXPECT_EQ(0xFFFF0000u, record.address);
    EXPECT_EQ(0x12345678u, record.module_size);
}

TEST(MovedAddress, MovesExactlyTheAddressesInsideTheModuleAsSaved)
{
    const struct {
        ModuleMove move;
        uint32_t address;
        uint32_t moved;
    } cases[] = {
        // The module's first and last bytes move; the bytes either side do not.
        {{0x400000, 0x3000, 0x500000}, 0x400000, 0x500000},
        {{0x400000, 0x3000, 0x500000}, 0x402FFF, 0x502FFF},
        {{0x400000, 0x3000, 0x500000}, 0x403000, 0x403000},
        {{0x400000, 0x3000, 0x500000}, 0x3FFFFF, 0x3FFFFF},
        {{0x400000, 0x3000, 0x500000}, 0x77E81234, 0x77E81234},  // a system DLL's line
        // Downwards, and no move at all.
        {{0x01000000, 0x10000, 0x00400000}, 0x0100FFFF, 0x0040FFFF},
        {{0x400000, 0x3000, 0x400000}, 0x401003, 0x401003},
        // A module running to the end of the address space: no overflow of base + size.
        {{0xFFFF0000, 0x10000, 0x00400000}, 0xFFFFFFFF, 0x0040FFFF},
        {{0xFFFF0000, 0x10000, 0x00400000}, 0xFFFEFFFF, 0xFFFEFFFF},
        // A size claiming more than the address space holds: all from the base move.
        {{0x80000000, 0xFFFFFFFF, 0x80010000}, 0xFFFFFFFF, 0x0000FFFF},  // wraps
        // A module of size 0 holds nothing.
        {{0x400000, 0, 0x500000}, 0x400000, 0x400000},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.moved, moved_address(c.move, c.address))
            << std::hex << "saved 0x" << c.move.saved_base << "+0x" << c.move.saved_size << " now 0x"
            << c.move.current_base << ", address 0x" << c.address;
    }
}

TEST(EncodeOwnRecord, WritesLittleEndianThatDecodesBack)
{
    const struct {
        uint32_t address;
        Bytes bytes;
    } cases[] = {
        {0x401000, {0x00, 0x10, 0x40, 0x00}},
        {0x12345678, {0x78, 0x56, 0x34, 0x12}},
        {0x80000000, {0x00, 0x00, 0x00, 0x80}},
        {0, {0, 0, 0, 0}},
    };
    for (const auto& c : cases) {
        unsigned char buffer[RECORD_OWN_SIZE];
        encode_own_record(c.address, buffer);
        EXPECT_EQ(c.bytes, Bytes(buffer, buffer + RECORD_OWN_SIZE)) << std::hex << c.address;
        const DecodedRecord record = decode(RECORD_TAG_OWN, c.bytes);
        EXPECT_EQ(RECORD_OWN, record.kind);
        EXPECT_EQ(c.address, record.address);
    }
}

}  // namespace
