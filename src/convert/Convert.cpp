// The conversion of one MIDI file into a ".fem" file beside it.

#include "app/CadenzoView.h"
#include "convert/MergeTracks.h"
#include "smf/SMF.h"
#include "util/Alerts.h"
#include "util/PathUtils.h"
#include "util/SafeFile.h"

#include <BufferIO.h>
#include <File.h>
#include <Path.h>

#include <new>

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

    TSMF source;
    TSMF output;
    // A damaged file can describe more events than memory holds; that is reported like
    // any other file that cannot be read, not left to end the program.
    try {
        // Loading and merging the tracks in one: each track chunk is decoded straight into
        // the source map.
        BFile file(&ref, B_READ_ONLY);
        TEventMap sourceMap;
        if (file.InitCheck() != B_OK || load_merged(&file, &source, &sourceMap) != 0)
            return conversion_failed("@Err_Cannot_Load_Src_File@");

        TEventMap destinationMap;
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

        output.SetFormat(0);
        output.SetTimeBase(source.TimeBase());
        auto* track = new TSMFTrack;
        // The destination map is not needed after this: the track takes its events.
        track->fEventMap = std::move(destinationMap);
        output.AddTrack(track);
    } catch (const std::bad_alloc&) {
        return conversion_failed("@Err_Cannot_Load_Src_File@");
    }

    TSafeFile destination(destinationPath);
    if (destination.InitCheck() != B_OK)
        return conversion_failed("@Err_Cannot_Open_Dest_File@");
    // The writer works in pieces of a few bytes; the buffer hands the file large ones. The
    // new file takes the place of an earlier output only once it is complete.
    BBufferIO buffered(destination.File(), 1 << 16, false);
    if (output.Save(&buffered) != 0 || buffered.Flush() != B_OK || destination.Commit() != B_OK)
        return conversion_failed("@Err_Cannot_Save_Dest_File@");
    return 0;
}
