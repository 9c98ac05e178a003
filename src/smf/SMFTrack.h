#pragma once

// One track: its events by absolute tick, decoded from a track chunk or written to one.

#include "EventMap.h"

#include <SupportDefs.h>

#include <string>
#include <vector>

class BPositionIO;

class TSMFTrack {
public:
    TSMFTrack() = default;

    TSMFTrack(const TSMFTrack&) = delete;
    TSMFTrack& operator=(const TSMFTrack&) = delete;

    // Reads one track chunk ("MTrk", length, events closed by FF 2F 00) and decodes it.
    int32 Load(BPositionIO* stream);
    // Reads one track chunk's events into data without decoding them: 0, or -1 where Load
    // fails.
    static int32 ReadChunk(BPositionIO* stream, std::vector<unsigned char>* data);
    // Writes the event map as one track chunk, without running status.
    int32 Save(BPositionIO* stream) const;

    // Decodes the events of a chunk's data and adds them to the map. Decoding never reads
    // past data + length: an event cut off by the end of the chunk is dropped and ends the
    // decoding.
    void CreateEventMap(unsigned char* data, unsigned long length);

    // The decoders take the end of the buffer they may read; each returns 0, or -1 when what
    // it had to read runs past that end, in which case the cursor stops at the end.
    int32 GetVNum(unsigned char** cursor, const unsigned char* end, unsigned long* value) const;
    int32 GetEvent(unsigned char** cursor, const unsigned char* end, unsigned char* runningStatus,
                   TMIDIEvent* event) const;
    int32 GetEventData(unsigned char** cursor, const unsigned char* end, unsigned long count,
                       TMIDIEvent* event) const;

    int32 SaveEvent(BPositionIO* stream, unsigned long delta, const TMIDIEvent& event) const;
    int32 SaveEventData(BPositionIO* stream, const TMIDIEvent& event) const;
    int32 SaveVNum(BPositionIO* stream, unsigned long value) const;

    // Track names are not read: always -1, the string untouched.
    int32 GetTrackName(std::string* name) const;

    TEventMap fEventMap;
};

// Decodes the events of one track chunk's data one after another, with their absolute ticks:
// the events that CreateEventMap adds to a map, in the order of the chunk.
class TTrackDecoder {
public:
    TTrackDecoder(unsigned char* data, unsigned long length) : fCursor(data), fEnd(data + length) {}

    // Fills entry with the next event: false at the end of the data, or at an event that the
    // end cuts off.
    bool Next(TTimedEvent* entry);

private:
    unsigned char* fCursor;
    const unsigned char* fEnd;
    unsigned char fRunningStatus = 0;
    uint32 fTick = 0;
};
