#pragma once

// A menu that pops up from a control (a menu field), usually in radio mode with the control
// showing the marked item's label.

#include <Menu.h>

class BPopUpMenu : public BMenu {
public:
    explicit BPopUpMenu(const char* name, bool radioMode = true, bool labelFromMarked = true,
                        menu_layout layout = B_ITEMS_IN_COLUMN);
    explicit BPopUpMenu(BMessage* archive);
    ~BPopUpMenu() override;

    static BArchivable* Instantiate(BMessage* archive);
    status_t Archive(BMessage* into, bool deep = true) const override;
};
