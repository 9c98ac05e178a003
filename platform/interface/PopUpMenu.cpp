#include <PopUpMenu.h>

#include <Message.h>

#include "ArchiveClasses.h"

BPopUpMenu::BPopUpMenu(const char* name, bool radioMode, bool labelFromMarked,
                       menu_layout layout)
    : BMenu(name, layout)
{
    SetRadioMode(radioMode);
    SetLabelFromMarked(labelFromMarked);
}

BPopUpMenu::BPopUpMenu(BMessage* archive) : BMenu(archive) {}

BPopUpMenu::~BPopUpMenu() = default;

BArchivable* BPopUpMenu::Instantiate(BMessage* archive)
{
    if (!validate_instantiation(archive, "BPopUpMenu"))
        return nullptr;
    return new BPopUpMenu(archive);
}

status_t BPopUpMenu::Archive(BMessage* into, bool deep) const
{
    status_t status = BMenu::Archive(into, deep);
    if (status == B_OK)
        status = BPrivate::add_archived_class(into, "BPopUpMenu");
    return status;
}
