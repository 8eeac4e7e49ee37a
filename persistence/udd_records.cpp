#include "persistence/udd_records.h"

#include "host/disasm_view.h"

DecodedRecord decode_record(uint32_t tag, uint32_t size, const void* data)
{
    DecodedRecord record = {RECORD_FOREIGN, 0};
    if (tag == RECORD_TAG_OWN) {
        if (!data || size < RECORD_OWN_SIZE) {
            record.kind = RECORD_OWN_DAMAGED;
        } else {
            record.kind = RECORD_OWN;
            record.address = read_le32(data, 0);
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
    buffer[0] = static_cast<unsigned char>(address);
    buffer[1] = static_cast<unsigned char>(address >> 8);
    buffer[2] = static_cast<unsigned char>(address >> 16);
    buffer[3] = static_cast<unsigned char>(address >> 24);
}
