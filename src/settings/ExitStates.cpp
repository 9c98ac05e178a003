#include "settings/ExitStates.h"

#include "app/AppConstants.h"
#include "settings/Prefs.h"

TExitStates::TExitStates() : WFr(50, 50, 200, 200) {}

TExitStates::~TExitStates() = default;

status_t TExitStates::Archive(BMessage* archive, bool deep) const
{
    (void)deep;
    status_t status = TArchivable::Archive(archive, true);
    // The running program's version, not the one read from the file.
    status |= archive->AddString("_Ver", gAppVer);
    status |= archive->AddRect("_WFr", WFr);
    return status;
}

status_t TExitStates::Unarchive(const BMessage& archive)
{
    status_t status = TArchivable::Unarchive(archive);
    status |= FindString(archive, "_Ver", &Ver);
    status |= FindRect(archive, "_WFr", &WFr);
    return status;
}

int32 TExitStates::SaveToFile()
{
    return SaveByName(kSettingsFolder, "Cadenzo_ExitStates.arc");
}

int32 TExitStates::LoadFromFile()
{
    return LoadByName(kSettingsFolder, "Cadenzo_ExitStates.arc");
}
