// The conversion of one MIDI file into a ".fem" file beside it.

#include "app/CadenzoView.h"
#include "smf/EventPool.h"
#include "smf/SMF.h"
#include "util/Alerts.h"
#include "util/PathUtils.h"
#include "util/SafeFile.h"

#include <DataIO.h>
#include <Path.h>

#include <algorithm>
#include <functional>
#include <vector>

TCadenzoView::TCadenzoView(BRect frame, const char* name) : BView(frame, name, 0, 0) {}

TCadenzoView::TCadenzoView(BMessage* archive) : BView(archive) {}

TCadenzoView::~TCadenzoView() = default;

static int32 conversion_failed(const char* messageKey)
{
    show_alert3(alert_caption(), locale_text(messageKey), locale_text("Understand"), "", "", -1,
                B_WARNING_ALERT);
    return -1;
}

// All events of all tracks in one map: by tick, within a tick by track, within a track in
// file order. The tracks are emptied.
static void merge_tracks(const TSMF& file, TEventMap* merged)
{
    const int32 count = file.CountTracks();
    if (count == 1) {
        // Maps of one pool: this hands the nodes over.
        *merged = std::move(file.TrackAt(0)->fEventMap);
        return;
    }

    // A k-way merge over the track heads, ordered by tick and then by track index; every
    // event is then appended at the end of the merged map.
    struct Head {
        unsigned long tick;
        int32 track;
        bool operator>(const Head& other) const
        {
            return tick != other.tick ? tick > other.tick : track > other.track;
        }
    };
    std::vector<TEventMap::iterator> next(count);
    std::vector<Head> heads;
    for (int32 i = 0; i < count; i++) {
        TEventMap& map = file.TrackAt(i)->fEventMap;
        next[i] = map.begin();
        if (!map.empty())
            heads.push_back({map.begin()->first, i});
    }
    std::make_heap(heads.begin(), heads.end(), std::greater<>());
    while (!heads.empty()) {
        std::pop_heap(heads.begin(), heads.end(), std::greater<>());
        Head head = heads.back();
        TEventMap& map = file.TrackAt(head.track)->fEventMap;
        auto& it = next[head.track];
        // Take the whole run of this track that comes before every other track's head.
        const Head* rival = heads.size() > 1 ? &heads.front() : nullptr;
        do {
            merged->emplace_hint(merged->end(), it->first, std::move(it->second));
            ++it;
        } while (it != map.end() && (rival == nullptr || !(Head{it->first, head.track} > *rival)));
        if (it != map.end()) {
            heads.back() = {it->first, head.track};
            std::push_heap(heads.begin(), heads.end(), std::greater<>());
        } else {
            heads.pop_back();
        }
    }
    // The copies are in place; the pool takes the track nodes back for the passes to reuse.
    for (int32 i = 0; i < count; i++)
        file.TrackAt(i)->fEventMap.clear();
}

int32 TCadenzoView::Convert(const entry_ref& ref) const
{
    BPath path(&ref);
    if (path.InitCheck() != B_OK)
        return conversion_failed("@Err_Cannot_Load_Src_File@");
    const std::string sourcePath = path.Path();
    const std::string destinationPath = reext(sourcePath, "fem");
    if (sourcePath == destinationPath)
        return conversion_failed("@Err_Already_Converted@");

    TEventPool pool;
    TSMF source(&pool);
    if (source.Load(ref) != 0)
        return conversion_failed("@Err_Cannot_Load_Src_File@");

    TEventMap sourceMap(&pool);
    merge_tracks(source, &sourceMap);

    TEventMap destinationMap(&pool);
    ConvertChannelIndependentEvents(sourceMap, &destinationMap);
    ConvertChannelEvents(sourceMap, &destinationMap);
    ConvertNoteOnEvents(sourceMap, &destinationMap);
    // The remaining passes work on the destination alone.
    sourceMap.clear();
    RemoveRedundantNoteOnEvents(&destinationMap);
    RemoveHastyNoteOffEvents(&destinationMap);
    RemoveHeadSilence(&destinationMap);
    AddConverterVersion(&destinationMap);
    AddEndOfTrack(&destinationMap, source.TimeBase());

    TSMF output;
    output.SetFormat(0);
    output.SetTimeBase(source.TimeBase());
    auto* track = new TSMFTrack(&pool);
    // The destination map is not needed after this: the track takes its nodes.
    track->fEventMap = std::move(destinationMap);
    output.AddTrack(track);

    TSafeFile destination(destinationPath);
    if (destination.InitCheck() != B_OK)
        return conversion_failed("@Err_Cannot_Open_Dest_File@");
    // The file is written in one piece once it is complete in memory, and only then takes
    // the place of an earlier output.
    BMallocIO bytes;
    if (output.Save(&bytes) != 0 ||
        destination.File()->Write(bytes.Buffer(), bytes.BufferLength()) !=
            (ssize_t)bytes.BufferLength() ||
        destination.Commit() != B_OK) {
        return conversion_failed("@Err_Cannot_Save_Dest_File@");
    }
    return 0;
}
