#include "app/Catalogue.h"

#include "settings/Prefs.h"

#include <Locale.h>

void load_app_catalogue()
{
    const std::string folder = gAppPrivacy->ExePath();
    be_locale->LoadCatalog("cadenzo", {folder + "../share/locale", folder + "locale"});
}
