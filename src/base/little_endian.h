// Little-endian loads from byte buffers. On-disk and journal structures are read through
// these, never by casting a buffer to a struct: buffers may be unaligned, and the program
// must read the same values on any host.
#pragma once

#include <cstdint>

inline uint16_t LoadU16(const unsigned char* p)
{
    return static_cast<uint16_t>(p[0] | p[1] << 8);
}

inline uint32_t LoadU32(const unsigned char* p)
{
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
           static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}

inline uint64_t LoadU64(const unsigned char* p)
{
    return static_cast<uint64_t>(LoadU32(p)) | static_cast<uint64_t>(LoadU32(p + 4)) << 32;
}

inline int64_t LoadI64(const unsigned char* p)
{
    return static_cast<int64_t>(LoadU64(p));
}

inline void StoreU16(unsigned char* p, uint16_t v)
{
    p[0] = static_cast<unsigned char>(v);
    p[1] = static_cast<unsigned char>(v >> 8);
}

inline void StoreU32(unsigned char* p, uint32_t v)
{
    StoreU16(p, static_cast<uint16_t>(v));
    StoreU16(p + 2, static_cast<uint16_t>(v >> 16));
}

inline void StoreU64(unsigned char* p, uint64_t v)
{
    StoreU32(p, static_cast<uint32_t>(v));
    StoreU32(p + 4, static_cast<uint32_t>(v >> 32));
}
