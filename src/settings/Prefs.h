#pragma once

// The conversion preferences, and the process-wide records: those preferences, the state
// kept at exit and the application's private record.

#include "settings/AppPrivacy.h"
#include "settings/Archivable.h"
#include "settings/ExitStates.h"

#include <string>

// The folder of the application's settings files.
inline constexpr char kSettingsFolder[] = "Cadenzo";

class TPrefs : public TVANTORArchivable {
public:
    TPrefs();
    ~TPrefs() override;
    TPrefs(const TPrefs&) = default;
    TPrefs& operator=(const TPrefs&) = default;

    status_t Archive(BMessage* archive, bool deep = true) const override;
    status_t Unarchive(const BMessage& archive) override;

    int32 SaveToFile() const;
    int32 LoadFromFile();

    bool AdSq;        // stored only
    bool AdTl;        // add a tail of silence before the End of Track
    bool OPrF;        // stored only
    bool TrHd;        // remove the silence before the first note
    bool ChMs[16];    // channels converted
    int8 MaxV;        // velocity of the loudest note, read as unsigned
    int32 TlMg;       // length of the tail in seconds
    std::string OFld; // stored only
    std::string SqPf; // stored only
};

// The process-wide records, constructed before main in this order.
extern TExitStates* const gExitStates;
extern TCadenzoAppPrivacy* const gAppPrivacy;
extern TPrefs* const gPrefs;
