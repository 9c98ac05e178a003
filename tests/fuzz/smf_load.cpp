// MIDI files are untrusted input: whatever the bytes, reading them and converting what was
// read must neither crash nor read out of bounds, and what is written must read back.

#include "app/CadenzoView.h"
#include "convert/MergeTracks.h"
#include "smf/SMF.h"

#include <DataIO.h>

#include <algorithm>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // The conversion decodes the tracks straight into the merged map; loading the tracks and
    // then merging them must give the same map, and refuse the same files.
    TSMF source;
    TEventMap sourceMap;
    BMemoryIO stream(data, size);
    const int32 loaded = load_merged(&stream, &source, &sourceMap);
    TSMF tracks;
    BMemoryIO trackStream(data, size);
    if (tracks.Load(&trackStream) != loaded)
        abort();
    if (loaded != 0)
        return 0;
    TEventMap merged;
    merge_tracks(tracks, &merged);
    if (!std::equal(merged.begin(), merged.end(), sourceMap.begin(), sourceMap.end(),
                    [](const TTimedEvent& a, const TTimedEvent& b) {
                        return a.fTick == b.fTick && a.fEvent.fStatus == b.fEvent.fStatus &&
                               a.fEvent.fChannel == b.fEvent.fChannel &&
                               a.fEvent.fData == b.fEvent.fData;
                    })) {
        abort();
    }
    TEventMap destination;
    TCadenzoView view(BRect(), "fuzz");
    view.ConvertChannelIndependentEvents(sourceMap, &destination);
    view.ConvertChannelEvents(sourceMap, &destination);
    view.ConvertNoteOnEvents(sourceMap, &destination);
    view.RemoveRedundantNoteOnEvents(&destination);
    view.RemoveHastyNoteOffEvents(&destination);
    view.RemoveHeadSilence(&destination);
    view.AddConverterVersion(&destination);
    view.AddEndOfTrack(&destination, source.TimeBase());

    TSMF output;
    output.SetFormat(0);
    output.SetTimeBase(source.TimeBase());
    auto* track = new TSMFTrack;
    track->fEventMap = destination;
    output.AddTrack(track);
    BMallocIO written;
    if (output.Save(&written) != 0)
        abort();

    // The output holds only events the reader takes back, closed by the End of Track.
    TSMF again;
    BMemoryIO reread(written.Buffer(), written.BufferLength());
    if (again.Load(&reread) != 0 || again.CountTracks() != 1 ||
        again.TrackAt(0)->fEventMap.size() != destination.size()) {
        abort();
    }
    return 0;
}
