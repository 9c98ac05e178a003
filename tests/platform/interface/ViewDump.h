#pragma once

// A view tree as text, one line per view with what its archive must keep (and, for a menu
// field, one line per item of its menu). A tree and its copy through an archive dump the
// same; when they do not, the first differing line names the view and the field lost.
// copy_through_archive makes that copy the way a file would keep it: flattened.

#include <Archivable.h>
#include <Box.h>
#include <Button.h>
#include <Control.h>
#include <Font.h>
#include <Menu.h>
#include <MenuField.h>
#include <MenuItem.h>
#include <Message.h>
#include <StringView.h>
#include <TextControl.h>
#include <View.h>

#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace view_dump {

inline std::string text(const char* value)
{
    return value != nullptr ? "\"" + std::string(value) + "\"" : "null";
}

// The command and each field's name, with the value of an int32 or string field.
inline std::string message_text(const BMessage* message)
{
    if (message == nullptr)
        return "none";
    std::ostringstream out;
    for (int shift = 24; shift >= 0; shift -= 8) {
        if (const char c = (char)(message->what >> shift); c != '\0')
            out << c;
    }
    char* name = nullptr;
    type_code type = 0;
    for (int32 i = 0; message->GetInfo(B_ANY_TYPE, i, &name, &type) == B_OK; i++) {
        out << " " << name;
        if (int32 number; message->FindInt32(name, &number) == B_OK)
            out << "=" << number;
        else if (const char* string; message->FindString(name, &string) == B_OK)
            out << "=" << string;
    }
    return out.str();
}

inline void dump_menu(std::ostringstream& out, const BMenu* menu, const std::string& indent)
{
    out << indent << "menu radio=" << menu->IsRadioMode()
        << " label_from_marked=" << menu->IsLabelFromMarked() << "\n";
    for (int32 i = 0; i < menu->CountItems(); i++) {
        const BMenuItem* item = menu->ItemAt(i);
        uint32 modifiers = 0;
        const char shortcut = item->Shortcut(&modifiers);
        out << indent << "  item " << text(item->Label()) << " marked=" << item->IsMarked()
            << " enabled=" << item->IsEnabled() << " shortcut=" << (int)shortcut << "/" << modifiers
            << " msg=" << message_text(item->Message()) << "\n";
    }
}

inline void dump_view(std::ostringstream& out, const BView* view, const std::string& indent)
{
    const BRect frame = view->Frame();
    const rgb_color color = view->ViewColor();
    BFont font;
    view->GetFont(&font);
    font_family family;
    font_style style;
    font.GetFamilyAndStyle(&family, &style);
    out << indent << text(view->Name()) << " frame=" << frame.left << "," << frame.top << ","
        << frame.right << "," << frame.bottom << " mode=" << view->ResizingMode()
        << " flags=" << view->Flags() << " color=" << (int)color.red << "," << (int)color.green
        << "," << (int)color.blue << "," << (int)color.alpha << " font=" << family << "/" << style
        << "/" << font.Size();
    if (auto* control = dynamic_cast<const BControl*>(view))
        out << " label=" << text(control->Label()) << " value=" << control->Value()
            << " enabled=" << control->IsEnabled() << " msg=" << message_text(control->Message());
    if (auto* button = dynamic_cast<const BButton*>(view))
        out << " default=" << button->IsDefault();
    if (auto* field = dynamic_cast<const BTextControl*>(view))
        out << " text=" << text(field->Text()) << " divider=" << field->Divider()
            << " mod=" << message_text(field->ModificationMessage());
    if (auto* string = dynamic_cast<const BStringView*>(view))
        out << " text=" << text(string->Text()) << " align=" << string->Alignment();
    if (auto* box = dynamic_cast<const BBox*>(view))
        out << " label=" << text(box->Label()) << " border=" << box->Border();
    auto* field = dynamic_cast<const BMenuField*>(view);
    if (field != nullptr)
        out << " label=" << text(field->Label()) << " divider=" << field->Divider()
            << " enabled=" << field->IsEnabled() << " shows=" << text(field->MenuItem()->Label());
    out << "\n";
    if (field != nullptr)
        dump_menu(out, field->Menu(), indent + "  ");
    for (int32 i = 0; i < view->CountChildren(); i++)
        dump_view(out, view->ChildAt(i), indent + "  ");
}

// A deep archive of the object, flattened, read back and instantiated as a T; null when
// any step fails.
template <typename T>
std::unique_ptr<T> copy_through_archive(const BArchivable& object)
{
    BMessage archive;
    EXPECT_EQ(object.Archive(&archive, true), B_OK);
    std::vector<char> flat((size_t)archive.FlattenedSize());
    EXPECT_EQ(archive.Flatten(flat.data(), (ssize_t)flat.size()), B_OK);
    BMessage restored;
    EXPECT_EQ(restored.Unflatten(flat.data(), flat.size()), B_OK);
    std::unique_ptr<BArchivable> copy(instantiate_object(&restored));
    auto* typed = dynamic_cast<T*>(copy.get());
    if (typed != nullptr)
        copy.release();
    return std::unique_ptr<T>(typed);
}

inline std::string dump(const BView* view)
{
    std::ostringstream out;
    dump_view(out, view, "");
    return out.str();
}

} // namespace view_dump
