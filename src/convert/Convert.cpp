// The conversion of one MIDI file into a ".fem" file beside it.

#include "app/CadenzoView.h"
#include "convert/MergeTracks.h"
#include "smf/EventPool.h"
#include "smf/SMF.h"
#include "util/Alerts.h"
#include "util/PathUtils.h"
#include "util/SafeFile.h"

#include <DataIO.h>
#include <Path.h>


TCadenzoView::TCadenzoView(BRect frame, const char* name) : BView(frame, name, 0, 0) {}

TCadenzoView::TCadenzoView(BMessage* archive) : BView(archive) {}

TCadenzoView::~TCadenzoView() = default;

static int32 conversion_failed(const char* messageKey)
{
    show_alert3(alert_caption(), locale_text(messageKey), locale_text("Understand"), "", "", -1,
                B_WARNING_ALERT);
    return -1;
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
