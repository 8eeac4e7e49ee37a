// The CPU disassembler record the host hands to plug-ins (as the item of the
// origin-31 menu and action, and through host_get_value(53)), in the host's
// own layout: the "active" field at 889 and the selected line's address at
// 901, both unaligned and little-endian.
#pragma once

#include <stdint.h>

struct DisasmViewBuffer {
    unsigned char bytes[1024] = {};  // the record is at least 905 bytes long
    void set_active(uint32_t value) { put(889, value); }
    void set_selected(uint32_t value) { put(901, value); }
    void put(unsigned offset, uint32_t value)
    {
        for (int i = 0; i < 4; ++i) bytes[offset + i] = static_cast<unsigned char>(value >> (8 * i));
    }
};
