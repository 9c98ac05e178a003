#pragma once

// The records a writer helper sends and the tests check: each one's size and bytes follow from
// its number, so that a lost, repeated, reordered or damaged record shows.

#include <SupportDefs.h>

#include <vector>

constexpr int32 kPatternRecords = 100;

inline std::vector<uint8> pattern_record(int32 index)
{
    size_t size = static_cast<size_t>(index * 37 % 1000);
    if (index == 50)
        size = 300000; // several packets on the wire
    if (index == 99)
        size = 0;
    std::vector<uint8> bytes(size);
    for (size_t i = 0; i < size; i++)
        bytes[i] = static_cast<uint8>(index * 31 + i * 7);
    return bytes;
}
