// The host's descriptor of a loaded module, which it hands to the project-file
// callbacks. The plug-in reads its first two 32-bit fields and nothing else:
// where the module is loaded now and how many bytes of memory it spans.
#pragma once

#include <stdint.h>

#include "persistence/little_endian.h"

const unsigned MODULE_BASE_OFFSET = 0;
const unsigned MODULE_SIZE_OFFSET = 4;

inline uint32_t module_base(const void* module)
{
    return read_le32(module, MODULE_BASE_OFFSET);
}

inline uint32_t module_size(const void* module)
{
    return read_le32(module, MODULE_SIZE_OFFSET);
}
