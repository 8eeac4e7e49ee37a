// The host's record of the CPU disassembler pane. The plug-in reads two
// unaligned little-endian 32-bit fields of it and nothing else.
#pragma once

#include <stdint.h>

#include "persistence/little_endian.h"

const unsigned DISASM_VIEW_ACTIVE_OFFSET = 889;    // non-zero: the pane can offer the menu entry
const unsigned DISASM_VIEW_SELECTED_OFFSET = 901;  // address of the selected line

inline uint32_t disasm_view_active(const void* view)
{
    return read_le32(view, DISASM_VIEW_ACTIVE_OFFSET);
}

inline uint32_t disasm_view_selected_address(const void* view)
{
    return read_le32(view, DISASM_VIEW_SELECTED_OFFSET);
}
