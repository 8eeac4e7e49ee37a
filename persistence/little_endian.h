// Little-endian 32-bit values in byte buffers the host hands over or keeps:
// project-file records and the host's own records (the disassembler view, a
// module's descriptor). Byte-wise, so no alignment or aliasing assumptions.
#pragma once

#include <stdint.h>

inline uint32_t read_le32(const void* base, unsigned offset)
{
    const unsigned char* p = static_cast<const unsigned char*>(base) + offset;
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

inline void write_le32(void* base, unsigned offset, uint32_t value)
{
    unsigned char* p = static_cast<unsigned char*>(base) + offset;
    p[0] = static_cast<unsigned char>(value);
    p[1] = static_cast<unsigned char>(value >> 8);
    p[2] = static_cast<unsigned char>(value >> 16);
    p[3] = static_cast<unsigned char>(value >> 24);
}
