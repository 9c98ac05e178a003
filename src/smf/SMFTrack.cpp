#include "SMFTrack.h"

#include "SMF.h"
#include "StreamRead.h"

#include <DataIO.h>

#include <cstring>
#include <vector>

// The decoders behind GetVNum, GetEventData and GetEvent, shared with TTrackDecoder.

static int32 decode_vnum(unsigned char** cursor, const unsigned char* end, unsigned long* value)
{
    unsigned char* at = *cursor;
    if (at >= end) {
        return -1;
    }
    // Longer runs than the four bytes of the standard keep shifting; bits above 31 are lost.
    uint32 result = *at & 0x7F;
    while (*at & 0x80) {
        if (++at >= end) {
            *cursor = at;
            return -1;
        }
        result = (result << 7) | (*at & 0x7F);
    }
    *cursor = at + 1;
    *value = result;
    return 0;
}

static int32 decode_event_data(unsigned char** cursor, const unsigned char* end,
                               unsigned long count, TMIDIEvent* event)
{
    if (count > (unsigned long)(end - *cursor)) {
        *cursor = const_cast<unsigned char*>(end);
        return -1;
    }
    event->fData.assign(*cursor, count);
    *cursor += count;
    return 0;
}

static int32 decode_event(unsigned char** cursor, const unsigned char* end,
                          unsigned char* runningStatus, TMIDIEvent* event)
{
    if (*cursor >= end)
        return -1;
    unsigned char status = **cursor;
    if (status >= 0x80) {
        // Every status byte, system and meta ones included, becomes the running status.
        *runningStatus = status;
        ++*cursor;
    } else {
        status = *runningStatus;
    }
    event->fStatus = status & 0xF0;
    event->fChannel = status & 0x0F;
    event->fData.clear();

    switch (event->fStatus) {
    case 0x80:
    case 0x90:
    case 0xA0:
    case 0xB0:
    case 0xE0:
        return decode_event_data(cursor, end, 2, event);
    case 0xC0:
    case 0xD0:
        return decode_event_data(cursor, end, 1, event);
    case 0xF0: {
        unsigned long length;
        if (event->fChannel == 0x00) {
            if (decode_vnum(cursor, end, &length) != 0)
                return -1;
            return decode_event_data(cursor, end, length, event);
        }
        if (event->fChannel == 0x07) {
            event->fStatus = 0xF7;
            event->fChannel = 0;
            if (decode_vnum(cursor, end, &length) != 0)
                return -1;
            return decode_event_data(cursor, end, length, event);
        }
        if (event->fChannel == 0x0F) {
            event->fStatus = 0xFF;
            if (*cursor >= end)
                return -1;
            event->fChannel = **cursor;
            ++*cursor;
            if (decode_vnum(cursor, end, &length) != 0)
                return -1;
            return decode_event_data(cursor, end, length, event);
        }
        // Other system messages carry no data here.
        return 0;
    }
    default:
        // No status byte seen yet in this chunk: the data byte is read again as a delta time.
        return 0;
    }
}

int32 TSMFTrack::ReadChunk(BPositionIO* stream, std::vector<unsigned char>* data)
{
    char id[4];
    if (stream->Read(id, sizeof(id)) != (ssize_t)sizeof(id) || memcmp(id, "MTrk", 4) != 0)
        return -1;
    unsigned long length;
    if (read_uint32(stream, &length) != 0)
        return -1;
    // Too short to hold the closing End of Track.
    if (length < 3)
        return -1;
    if (read_exactly(stream, length, data) != 0)
        return -1;
    if (memcmp(data->data() + length - 3, "\xFF\x2F\x00", 3) != 0)
        return -1;
    return 0;
}

int32 TSMFTrack::Load(BPositionIO* stream)
{
    std::vector<unsigned char> data;
    if (ReadChunk(stream, &data) != 0)
        return -1;
    CreateEventMap(data.data(), data.size());
    return 0;
}

void TSMFTrack::CreateEventMap(unsigned char* data, unsigned long length)
{
    TTrackDecoder decoder(data, length);
    std::vector<TTimedEvent> events;
    // Events take three or four bytes with running status: room for most chunks' events at
    // once, and never more than the chunk's own bytes can fill.
    events.reserve(length / 3);
    TTimedEvent entry;
    while (decoder.Next(&entry))
        events.push_back(std::move(entry));
    fEventMap.merge(TEventMap(std::move(events)));
}

bool TTrackDecoder::Next(TTimedEvent* entry)
{
    if (fCursor >= fEnd)
        return false;
    unsigned long delta;
    if (decode_vnum(&fCursor, fEnd, &delta) != 0)
        return false;
    fTick += (uint32)delta;
    entry->fTick = fTick;
    return decode_event(&fCursor, fEnd, &fRunningStatus, &entry->fEvent) == 0;
}

int32 TSMFTrack::GetVNum(unsigned char** cursor, const unsigned char* end,
                         unsigned long* value) const
{
    return decode_vnum(cursor, end, value);
}

int32 TSMFTrack::GetEventData(unsigned char** cursor, const unsigned char* end, unsigned long count,
                              TMIDIEvent* event) const
{
    return decode_event_data(cursor, end, count, event);
}

int32 TSMFTrack::GetEvent(unsigned char** cursor, const unsigned char* end,
                          unsigned char* runningStatus, TMIDIEvent* event) const
{
    return decode_event(cursor, end, runningStatus, event);
}

// Encodes value as a variable-length quantity into buffer (at least 5 bytes); returns the
// number of bytes.
static size_t encode_vnum(uint32 value, unsigned char* buffer)
{
    int leading = 0;
    for (uint32 rest = value >> 7; rest != 0; rest >>= 7)
        leading++;
    size_t count = 0;
    for (int i = leading; i >= 1; i--)
        buffer[count++] = (unsigned char)(((value >> (7 * i)) & 0x7F) | 0x80);
    buffer[count++] = (unsigned char)(value & 0x7F);
    return count;
}

static int32 write_all(BPositionIO* stream, const void* bytes, size_t count)
{
    if (count == 0)
        return 0;
    return stream->Write(bytes, count) == (ssize_t)count ? 0 : -1;
}

// Events the writer knows how to encode; decoding yields others only for a chunk whose
// first event lacks a status byte.
static bool is_writable(const TMIDIEvent& event)
{
    return (event.fStatus >= 0x80 && event.fStatus <= 0xF0 && (event.fStatus & 0x0F) == 0) ||
           event.fStatus == 0xF7 || event.fStatus == 0xFF;
}

int32 TSMFTrack::SaveVNum(BPositionIO* stream, unsigned long value) const
{
    unsigned char buffer[5];
    return write_all(stream, buffer, encode_vnum((uint32)value, buffer));
}

int32 TSMFTrack::SaveEventData(BPositionIO* stream, const TMIDIEvent& event) const
{
    return write_all(stream, event.fData.data(), event.fData.size());
}

int32 TSMFTrack::SaveEvent(BPositionIO* stream, unsigned long delta, const TMIDIEvent& event) const
{
    if (!is_writable(event))
        return 0;
    // The delta time, status and length go out in one write, and with them the data when it
    // is short, as it is for all channel messages.
    unsigned char buffer[64];
    size_t count = encode_vnum((uint32)delta, buffer);
    const size_t dataSize = event.fData.size();
    if (event.fStatus == 0xFF) {
        buffer[count++] = 0xFF;
        buffer[count++] = event.fChannel;
        count += encode_vnum((uint32)dataSize, buffer + count);
    } else if (event.fStatus == 0xF0 && event.fChannel != 0 && event.fChannel != 7) {
        // F1 to FE other than F7: a bare status byte, as it was read.
        buffer[count++] = (unsigned char)(event.fStatus | event.fChannel);
        return write_all(stream, buffer, count);
    } else if (event.fStatus >= 0xF0) {
        buffer[count++] = (unsigned char)(event.fStatus | event.fChannel);
        count += encode_vnum((uint32)dataSize, buffer + count);
    } else {
        buffer[count++] = (unsigned char)(event.fStatus | event.fChannel);
    }
    if (dataSize <= sizeof(buffer) - count) {
        memcpy(buffer + count, event.fData.data(), dataSize);
        return write_all(stream, buffer, count + dataSize);
    }
    if (write_all(stream, buffer, count) != 0)
        return -1;
    return SaveEventData(stream, event);
}

int32 TSMFTrack::Save(BPositionIO* stream) const
{
    if (write_all(stream, "MTrk", 4) != 0)
        return -1;
    off_t lengthPosition = stream->Position();
    if (lengthPosition < 0 || write_uint32(stream, 0) != 0)
        return -1;

    unsigned long previousTick = 0;
    for (const auto& [tick, event] : fEventMap) {
        if (!is_writable(event))
            continue;
        if (SaveEvent(stream, tick - previousTick, event) != 0)
            return -1;
        previousTick = tick;
    }

    off_t endPosition = stream->Position();
    if (endPosition < 0 || stream->Seek(lengthPosition, SEEK_SET) != lengthPosition)
        return -1;
    if (write_uint32(stream, (unsigned long)(endPosition - lengthPosition - 4)) != 0)
        return -1;
    if (stream->Seek(endPosition, SEEK_SET) != endPosition)
        return -1;
    return 0;
}

int32 TSMFTrack::GetTrackName(std::string*) const
{
    return -1;
}
