#include "app/Batch.h"

#include "app/CadenzoView.h"
#include "app/DroppedFiles.h"
#include "util/Alerts.h"

#include <cstdio>
#include <string>

bool convert_files(const std::vector<entry_ref>& named)
{
    TCadenzoView view(BRect(0, 0, 0, 0), "CadenzoView");
    const std::vector<entry_ref> refs = expand_folders(named);
    const size_t count = refs.size();
    for (size_t n = 1; n <= count; n++) {
        const entry_ref& ref = refs[n - 1];
        std::string status = locale_text("Converting...") + " [" + std::to_string(n) + "/" +
                             std::to_string(count) + "] " + ref.name;
        printf("%s\n", status.c_str());
        fflush(stdout);
        if (convert_dropped_entry(view, ref) != 0)
            return false;
    }
    show_alert3(alert_caption(), locale_text("@Info_Convert_Done@"), locale_text("OK"), "", "", -1,
                B_INFO_ALERT);
    return true;
}
