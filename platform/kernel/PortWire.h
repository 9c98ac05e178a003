#pragma once

// The packets between a writer and a port's owner, on the socket of a named port.
//
// The socket is SOCK_SEQPACKET: each packet is one send, kept whole and in order. Numbers are
// little-endian; every packet starts with its four-byte kind.
//
//   writer -> owner
//     'ask '  kind, seq u32, flags u32       asks for a place in the queue for one record
//     'cncl'  kind, seq u32                  gives up ask seq, and the place if one was kept
//     'rec '  kind, seq u32, code i32, size u32, then the record's first bytes
//     'more'  kind, then the record's next bytes (at least one)
//   owner -> writer
//     'room'  kind, seq u32                  a place is kept for the record of ask seq
//     'full'  kind, seq u32                  no place now (only to an ask with kAnswerAtOnce)
//
// A write: the writer sends 'ask ' and waits for 'room' (a writer that gives up sends 'cncl'
// and ignores a late 'room' by its seq); then it sends 'rec ' and as many 'more' as the size
// needs, and the record takes the kept place. Without kAnswerAtOnce the owner answers only when
// a place is free, so the writer's wait is the wait for room; with it the owner answers at once.
// One ask is open per connection at a time. Anything else (an unknown kind, a packet of the
// wrong length or longer than kMaxPacket, a record without a kept place, a size above
// B_MAX_PORT_RECORD_SIZE, more bytes than the size) ends the connection, and a record cut
// short by the end of its connection is dropped: records of other connections go on.

#include <OS.h>

namespace BPortWire {

enum : uint32 {
    kAsk = 'ask ',
    kCancel = 'cncl',
    kRecord = 'rec ',
    kMore = 'more',
    kRoom = 'room',
    kFull = 'full',
};

// Flags of 'ask '.
enum : uint32 {
    kAnswerAtOnce = 1,
};

constexpr size_t kAskSize = 12;
constexpr size_t kCancelSize = 8;
constexpr size_t kReplySize = 8;
constexpr size_t kRecordHeaderSize = 16;
constexpr size_t kMoreHeaderSize = 4;
// A packet must fit in the socket send buffer; writers ask for kSendBuffer.
constexpr size_t kMaxPacket = 64 * 1024;
constexpr size_t kMaxRecordBytesPerPacket = kMaxPacket - kRecordHeaderSize;
constexpr size_t kMaxMoreBytesPerPacket = kMaxPacket - kMoreHeaderSize;
constexpr int kSendBuffer = 4 * kMaxPacket;

inline void put32(uint8* at, uint32 value)
{
    at[0] = static_cast<uint8>(value);
    at[1] = static_cast<uint8>(value >> 8);
    at[2] = static_cast<uint8>(value >> 16);
    at[3] = static_cast<uint8>(value >> 24);
}

inline uint32 get32(const uint8* at)
{
    return static_cast<uint32>(at[0]) | static_cast<uint32>(at[1]) << 8 |
           static_cast<uint32>(at[2]) << 16 | static_cast<uint32>(at[3]) << 24;
}

// 'ask ', 'cncl', 'room' and 'full': the kind, seq and, for 'ask ', the flags.
inline size_t make_short_packet(uint8* out, uint32 kind, uint32 seq, uint32 flags = 0)
{
    put32(out, kind);
    put32(out + 4, seq);
    if (kind != kAsk)
        return 8;
    put32(out + 8, flags);
    return kAskSize;
}

inline void make_record_header(uint8* out, uint32 seq, int32 code, uint32 size)
{
    put32(out, kRecord);
    put32(out + 4, seq);
    put32(out + 8, static_cast<uint32>(code));
    put32(out + 12, size);
}

} // namespace BPortWire
