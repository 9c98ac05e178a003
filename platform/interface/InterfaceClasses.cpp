#include <Archivable.h>
#include <Box.h>
#include <Button.h>
#include <CheckBox.h>
#include <Control.h>
#include <Menu.h>
#include <MenuBar.h>
#include <MenuField.h>
#include <MenuItem.h>
#include <PopUpMenu.h>
#include <RadioButton.h>
#include <StringView.h>
#include <TextControl.h>
#include <TextView.h>
#include <View.h>

#include "ArchiveClasses.h"
#include "TextInput.h"

#include <mutex>

namespace BPrivate {

void register_interface_classes()
{
    static std::once_flag registered;
    std::call_once(registered, [] {
        register_instantiation_func("BView", BView::Instantiate);
        register_instantiation_func("BBox", BBox::Instantiate);
        register_instantiation_func("BButton", BButton::Instantiate);
        register_instantiation_func("BCheckBox", BCheckBox::Instantiate);
        register_instantiation_func("BControl", BControl::Instantiate);
        register_instantiation_func("BRadioButton", BRadioButton::Instantiate);
        register_instantiation_func("BStringView", BStringView::Instantiate);
        register_instantiation_func("BTextControl", BTextControl::Instantiate);
        register_instantiation_func("BTextView", BTextView::Instantiate);
        register_instantiation_func("_BTextInput_", TextInput::Instantiate);
        register_instantiation_func("BMenu", BMenu::Instantiate);
        register_instantiation_func("BMenuBar", BMenuBar::Instantiate);
        register_instantiation_func("BMenuField", BMenuField::Instantiate);
        register_instantiation_func("BMenuItem", BMenuItem::Instantiate);
        register_instantiation_func("BPopUpMenu", BPopUpMenu::Instantiate);
        register_instantiation_func("BSeparatorItem", BSeparatorItem::Instantiate);
    });
}

} // namespace BPrivate
