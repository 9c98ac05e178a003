#include "EventDump.h"

#include "EventMap.h"
#include "SMF.h"

#include <cstdio>

std::string dump_events(const TEventMap& map)
{
    std::string text;
    char buffer[32];
    for (const auto& [tick, event] : map) {
        snprintf(buffer, sizeof(buffer), "%lu %02X %02X", (unsigned long)tick, event.fStatus,
                 event.fChannel);
        text += buffer;
        for (uint8 byte : event.fData) {
            snprintf(buffer, sizeof(buffer), " %02X", byte);
            text += buffer;
        }
        text += "\n";
    }
    return text;
}

std::string dump_smf(const TSMF& smf)
{
    std::string text = "format " + std::to_string(smf.Format()) + " tracks " +
                       std::to_string(smf.CountTracks()) + " time base " +
                       std::to_string(smf.TimeBase()) + "\n";
    for (int32 index = 0; index < smf.CountTracks(); index++) {
        text += "track " + std::to_string(index) + "\n";
        text += dump_events(smf.TrackAt(index)->fEventMap);
    }
    return text;
}
