#pragma once

// The layout of a resource blob, shared by the reader (BResources) and the writer
// (BPrivate::ResourceWriter). docs/resources.md is its definition; these constants follow it.

#include <SupportDefs.h>

namespace BPrivate {
namespace resource_format {

inline constexpr uint8 kMagic[4] = {0x89, 'B', 'R', 'S'};
inline constexpr uint16 kVersion = 1;
// magic, version, flags, total size, number of resources
inline constexpr size_t kHeaderSize = 16;
// type, id, name offset, name length, data offset, data size
inline constexpr size_t kEntrySize = 24;
// Resource data starts on a multiple of this, so that a reader may map records in place.
inline constexpr size_t kDataAlignment = 8;
inline constexpr size_t kMaxNameLength = 255;
// Offsets and sizes are 32-bit.
inline constexpr size_t kMaxBlobSize = 0xffffffffu;

inline void put16(uint8* out, uint16 value)
{
    out[0] = (uint8)value;
    out[1] = (uint8)(value >> 8);
}

inline void put32(uint8* out, uint32 value)
{
    for (int i = 0; i < 4; i++)
        out[i] = (uint8)(value >> (8 * i));
}

inline uint16 get16(const uint8* in)
{
    return (uint16)(in[0] | in[1] << 8);
}

inline uint32 get32(const uint8* in)
{
    return (uint32)in[0] | (uint32)in[1] << 8 | (uint32)in[2] << 16 | (uint32)in[3] << 24;
}

} // namespace resource_format
} // namespace BPrivate
