#pragma once

// A Standard MIDI File in memory: format, time base and tracks, read from and written to
// streams and files.

#include "SMFTrack.h"

#include <SupportDefs.h>

#include <memory>
#include <string>
#include <vector>

class BPositionIO;
struct entry_ref;

class TSMF {
public:
    TSMF() = default;
    ~TSMF() { Clear(); }

    TSMF(const TSMF&) = delete;
    TSMF& operator=(const TSMF&) = delete;

    void Clear();

    int32 Load(BPositionIO* stream);
    // The first part of Load: clears the file and reads the header, leaving the stream at
    // the first track chunk; trackCount gets the number of track chunks to read (at most one
    // for format 0). 0 or -1.
    int32 LoadHeader(BPositionIO* stream, unsigned short* trackCount);
    // 0, -1, or the error of opening the file.
    status_t Load(const entry_ref& ref);
    int32 Save(BPositionIO* stream) const;
    status_t Save(const entry_ref& ref) const;

    // Takes ownership of track.
    int32 AddTrack(TSMFTrack* track);
    int32 RemoveTrack(long index);
    TSMFTrack* TrackAt(long index) const { return fTracks[(size_t)index].get(); }
    int32 CountTracks() const { return (int32)fTracks.size(); }

    uint16 Format() const { return fFormat; }
    int32 SetFormat(unsigned short format);
    uint16 TimeBase() const { return fTimeBase; }
    int32 SetTimeBase(unsigned short timeBase);
    // True for a time-code division (bit 15 set) rather than ticks per quarter note.
    bool IsAbsoluteTimeBase() const { return (fTimeBase & 0x8000) != 0; }

    // Track names are not read: always -1, the string untouched.
    int32 GetTitle(std::string* title) const;

private:
    uint16 fFormat = 0;
    uint16 fTimeBase = 0;
    std::vector<std::unique_ptr<TSMFTrack>> fTracks;
};

// Big-endian integers. The readers leave the output untouched when the stream ends early.
int32 read_uint16(BPositionIO* stream, unsigned short* value);
int32 read_uint32(BPositionIO* stream, unsigned long* value);
int32 write_uint16(BPositionIO* stream, unsigned short value);
int32 write_uint32(BPositionIO* stream, unsigned long value);
