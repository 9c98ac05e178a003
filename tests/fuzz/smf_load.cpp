// MIDI files are untrusted input: whatever the bytes, reading them and converting what was
// read must neither crash nor read out of bounds, and what is written must read back.

#include "app/CadenzoView.h"
#include "convert/MergeTracks.h"
#include "smf/SMF.h"

#include <DataIO.h>

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    TSMF source;
    BMemoryIO stream(data, size);
    if (source.Load(&stream) != 0)
        return 0;

    TEventMap sourceMap;
    merge_tracks(source, &sourceMap);
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
