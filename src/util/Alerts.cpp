#include "Alerts.h"

#include "app/AppConstants.h"
#include "ui/ShortCuts.h"

#include <InterfaceDefs.h>
#include <Locale.h>

#include <cstring>

std::string locale_text(const char* key)
{
    return be_locale->GetString(key);
}

std::string locale_text_with_default(const char* key, const char* fallback)
{
    const char* text = be_locale->GetString(key);
    if (strcmp(text, key) == 0)
        return fallback;
    return text;
}

std::string replace_all(std::string text, const std::string& placeholder, const std::string& value)
{
    if (placeholder.empty())
        return text;
    for (size_t at = text.find(placeholder); at != std::string::npos;
         at = text.find(placeholder, at + value.size())) {
        text.replace(at, placeholder.size(), value);
    }
    return text;
}

std::string alert_caption()
{
    return replace_all(locale_text("* %AppName% *"), "%AppName%", locale_text(gAppNameEnUs));
}

int32 show_alert3(const std::string& caption, const std::string& text, const std::string& button0,
                  const std::string& button1, const std::string& button2, int32 escapeIndex,
                  alert_type type)
{
    std::string alertText = caption + "\n\n" + text;
    auto* alert = new BAlert(caption.c_str(), alertText.c_str(), button0.c_str(),
                             button1.empty() ? nullptr : button1.c_str(),
                             button2.empty() ? nullptr : button2.c_str(), B_WIDTH_AS_USUAL, type);
    for (int32 i = 0; i < alert->CountButtons(); i++) {
        alert->SetShortcut(i, i == escapeIndex ? (char)B_ESCAPE
                                               : short_cut_from_label(alert->ButtonLabel(i)));
    }
    return alert->Go();
}
