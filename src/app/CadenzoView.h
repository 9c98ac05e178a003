#pragma once

// The main window's content: the drop target that converts MIDI files into ".fem" files.
// The conversion members are defined in convert/.

#include "smf/MIDIEvent.h"

#include <Entry.h>
#include <View.h>

class TCadenzoView : public BView {
public:
    TCadenzoView(BRect frame, const char* name);
    explicit TCadenzoView(BMessage* archive);
    ~TCadenzoView() override;

    // Converts one file into a ".fem" file beside it: 0, or -1 after an alert said why.
    int32 Convert(const entry_ref& ref) const;

    // Event selection: from the merged source into the destination.
    int32 ConvertChannelIndependentEvents(const TEventMap& source, TEventMap* destination) const;
    int32 ConvertChannelEvents(const TEventMap& source, TEventMap* destination) const;
    int32 ConvertNoteOnEvents(const TEventMap& source, TEventMap* destination) const;
    // Clean-up of colliding notes.
    int32 RemoveRedundantNoteOnEvents(TEventMap* map) const;
    int32 RemoveHastyNoteOffEvents(TEventMap* map) const;
    // Head and tail.
    int32 RemoveHeadSilence(TEventMap* map) const;
    int32 AddConverterVersion(TEventMap* map) const;
    int32 AddEndOfTrack(TEventMap* map, unsigned short timeBase) const;
};
