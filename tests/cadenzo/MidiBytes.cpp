#include "MidiBytes.h"

#include <cstdio>

static void append_u32(Bytes& out, uint32_t value)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back((uint8_t)(value >> shift));
}

Bytes smf_header(uint16_t format, uint16_t tracks, uint16_t timeBase)
{
    Bytes out = {'M', 'T', 'h', 'd'};
    append_u32(out, 6);
    for (uint16_t value : {format, tracks, timeBase}) {
        out.push_back((uint8_t)(value >> 8));
        out.push_back((uint8_t)value);
    }
    return out;
}

Bytes smf_track(const Bytes& events)
{
    Bytes out = {'M', 'T', 'r', 'k'};
    append_u32(out, (uint32_t)events.size());
    out.insert(out.end(), events.begin(), events.end());
    return out;
}

Bytes operator+(Bytes a, const Bytes& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

std::string dump(const TEventMap& map)
{
    std::string text;
    char buffer[32];
    for (const auto& [tick, event] : map) {
        snprintf(buffer, sizeof(buffer), "%lu %02X %02X", (unsigned long)tick, event.fStatus,
                 event.fChannel);
        text += buffer;
        for (uint8_t byte : event.fData) {
            snprintf(buffer, sizeof(buffer), " %02X", byte);
            text += buffer;
        }
        text += "\n";
    }
    return text;
}

TMIDIEvent make_event(uint16_t status, uint8_t channel, std::initializer_list<uint8_t> data)
{
    TMIDIEvent event;
    event.fStatus = status;
    event.fChannel = channel;
    event.fData = TByteArray(data);
    return event;
}

TMIDIEvent note_on(uint8_t channel, uint8_t key, uint8_t velocity)
{
    return make_event(0x90, channel, {key, velocity});
}

TMIDIEvent note_off(uint8_t channel, uint8_t key, uint8_t velocity)
{
    return make_event(0x80, channel, {key, velocity});
}

TMIDIEvent control(uint8_t channel, uint8_t controller, uint8_t value)
{
    return make_event(0xB0, channel, {controller, value});
}

TMIDIEvent tempo(uint32_t microseconds)
{
    return make_event(0xFF, 0x51,
                      {(uint8_t)(microseconds >> 16), (uint8_t)(microseconds >> 8),
                       (uint8_t)microseconds});
}
