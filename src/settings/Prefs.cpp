#include "settings/Prefs.h"

#include "app/AppConstants.h"
#include "iap/InterAppPrefs.h"

#include <algorithm>
#include <utility>

// #pragma mark - TPrefs

TPrefs::TPrefs()
    : AdSq(true), AdTl(true), OPrF(false), TrHd(true), MaxV(127), TlMg(3), OFld("/boot/home"),
      SqPf("X-")
{
    // Every channel but the tenth, which carries the drums.
    std::fill(std::begin(ChMs), std::end(ChMs), true);
    ChMs[9] = false;
}

TPrefs::~TPrefs() = default;

status_t TPrefs::Archive(BMessage* archive, bool deep) const
{
    (void)deep;
    status_t status = TArchivable::Archive(archive, true);
    status |= archive->AddBool("AdSq", AdSq);
    status |= archive->AddBool("AdTl", AdTl);
    status |= archive->AddBool("OPrF", OPrF);
    status |= archive->AddBool("TrHd", TrHd);
    for (bool channel : ChMs)
        status |= archive->AddBool("ChMs", channel);
    status |= archive->AddInt8("MaxV", MaxV);
    status |= archive->AddInt32("TlMg", TlMg);
    status |= archive->AddString("OFld", OFld.c_str());
    status |= archive->AddString("SqPf", SqPf.c_str());
    return status;
}

status_t TPrefs::Unarchive(const BMessage& archive)
{
    status_t status = TArchivable::Unarchive(archive);
    status |= FindBool(archive, "AdSq", &AdSq);
    status |= FindBool(archive, "AdTl", &AdTl);
    status |= FindBool(archive, "OPrF", &OPrF);
    status |= FindBool(archive, "TrHd", &TrHd);
    for (int32 channel = 0; channel < 16; channel++)
        status |= FindBool(archive, "ChMs", channel, &ChMs[channel]);
    status |= FindInt8(archive, "MaxV", &MaxV);
    // The velocity is used as an unsigned byte; only a hand-edited file can hold more than
    // the 127 that MIDI allows.
    if ((uint8)MaxV > 127)
        MaxV = 127;
    status |= FindInt32(archive, "TlMg", &TlMg);
    status |= FindString(archive, "OFld", &OFld);
    status |= FindString(archive, "SqPf", &SqPf);
    return status;
}

int32 TPrefs::SaveToFile() const
{
    return SaveByName(kSettingsFolder, "Cadenzo_Prefs.arc");
}

int32 TPrefs::LoadFromFile()
{
    return LoadByName(kSettingsFolder, "Cadenzo_Prefs.arc");
}

// #pragma mark - the process-wide records

// Defined together so that they are constructed in this order.
static TExitStates sExitStates;
static TCadenzoAppPrivacy sAppPrivacy;
static TPrefs sPrefs;

TExitStates* const gExitStates = &sExitStates;
TCadenzoAppPrivacy* const gAppPrivacy = &sAppPrivacy;
TPrefs* const gPrefs = &sPrefs;
