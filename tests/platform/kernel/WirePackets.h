#pragma once

// Packets as a writer's process sends them to a port's owner, for the tests that play such a
// writer, well-behaved or not.

#include "PortWire.h"

#include <string>
#include <vector>

// An ask, a cancel, or a packet of any other kind, with its sequence number.
inline std::vector<uint8> wire_packet(uint32 kind, uint32 seq, uint32 flags = 0)
{
    std::vector<uint8> bytes(BPortWire::kAskSize);
    bytes.resize(BPortWire::make_short_packet(bytes.data(), kind, seq, flags));
    return bytes;
}

// The start of a record of size bytes, carrying the first of them.
inline std::vector<uint8> wire_record(uint32 seq, int32 code, uint32 size, const std::string& first)
{
    std::vector<uint8> bytes(BPortWire::kRecordHeaderSize);
    BPortWire::make_record_header(bytes.data(), seq, code, size);
    bytes.insert(bytes.end(), first.begin(), first.end());
    return bytes;
}
