#pragma once

// The main window's content: the drop target that converts MIDI files into ".fem" files, a
// status line, and sixteen check boxes that choose the channels converted. The conversion
// members are defined in convert/.

#include "smf/EventMap.h"
#include "ui/DialogView.h"

#include <Entry.h>

#include <array>

class BBox;
class BCheckBox;
class BStringView;

// The channel boxes tell the view of a click.
inline constexpr uint32 kChannelBoxClicked = 'cchm';
// The view tells the application that the channel switches changed.
inline constexpr uint32 kChannelMasksChanged = 'pcmc';

class TCadenzoView : public TDialogView {
public:
    // A view without children, for converting without a window (batch mode).
    TCadenzoView(BRect frame, const char* name);
    // The archived tree of the main window; see InitCheck().
    explicit TCadenzoView(BMessage* archive);
    ~TCadenzoView() override;

    // B_NO_INIT when the tree lacks the status line, the channel box or sixteen check boxes
    // in it: such a view must not be shown.
    status_t InitCheck() const { return fInitStatus; }

    void MessageReceived(BMessage* message) override;
    void AttachedToWindow() override;
    void AllAttached() override;
    void LanguageChanged() override;

    // Shows text in the status line, or the idle text for null, drawn at once.
    void UpdateStrViewStatus(const char* text);
    // Whether input stamped at when ("when" of a mouse message) was given while a batch ran:
    // the window could not handle it then, and must not act on it late.
    bool GivenDuringBatch(bigtime_t when) const { return when < fBatchEnd; }

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

private:
    void GetChildPointers();
    void SetViewLabels();
    void SimpleData(BMessage* message);
    void UpdateCompos();
    void EnableCompos();
    void DisableCompos();
    void CBoxChMasksClicked();

    status_t fInitStatus = B_NO_INIT;
    BBox* fBoxChMasks = nullptr;
    std::array<BCheckBox*, 16> fCBoxChMasks{};
    BStringView* fStrViewStatus = nullptr;
    bigtime_t fBatchEnd = 0;
};
