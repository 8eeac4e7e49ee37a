#include "persistence/udd_records.h"

#include "persistence/little_endian.h"

DecodedRecord decode_record(uint32_t tag, uint32_t size, const void* data)
{
    DecodedRecord record = {RECORD_FOREIGN, 0, 0};
    if (tag == RECORD_TAG_OWN) {
        if (!data || size < RECORD_OWN_SIZE) {
            record.kind = RECORD_OWN_DAMAGED;
        } else {
            record.kind = RECORD_OWN;
            record.address = read_le32(data, 0);
        }
    } else if (tag == RECORD_TAG_BASE) {
        if (!data || size < RECORD_BASE_SIZE) {
            record.kind = RECORD_BASE_DAMAGED;
        } else {
            record.kind = RECORD_BASE;
            record.address = read_le32(data, 0);
            record.module_size = read_le32(data, 4);
        }
    } else if (tag == RECORD_TAG_OLD) {
        if (!data || size < RECORD_OLD_MIN_SIZE) {
            record.kind = RECORD_OLD_DAMAGED;
        } else {
            record.kind = RECORD_OLD;
            record.address = read_le32(data, 4);
        }
    }
    return record;
}

void encode_own_record(uint32_t address, unsigned char buffer[RECORD_OWN_SIZE])
{
    write_le32(buffer, 0, address);
}

void encode_base_record(uint32_t base, uint32_t size, unsigned char buffer[RECORD_BASE_SIZE])
{
    write_le32(buffer, 0, base);
    write_le32(buffer, 4, size);
}

uint32_t moved_address(const ModuleMove& move, uint32_t address)
{
    // Measured from the saved base, so a module that ends at 4 GiB needs no
    // sum beyond 32 bits.
    const uint32_t offset = address - move.saved_base;
    if (address < move.saved_base || offset >= move.saved_size) return address;
    return move.current_base + offset;
}
