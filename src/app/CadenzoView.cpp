// The drop view's user-interface side: the status line, the channel boxes and the drop.

#include "app/CadenzoView.h"

#include "app/DroppedFiles.h"
#include "settings/Prefs.h"
#include "util/Alerts.h"

#include <Application.h>
#include <Box.h>
#include <CheckBox.h>
#include <OS.h>
#include <StringView.h>
#include <Window.h>

#include <string>
#include <vector>

namespace {

template <typename T>
T* descendant_named(const BView* root, const char* name)
{
    return dynamic_cast<T*>(root->FindView(name));
}

// The entries of a drop's "refs" field, in order. Only values of the ref type count; one that
// cannot be read is kept as an empty ref, so that its turn fails.
std::vector<entry_ref> dropped_refs(const BMessage& message)
{
    std::vector<entry_ref> refs;
    type_code type = 0;
    int32 count = 0;
    // Text or anything else another program drops under that name is not a list of files.
    if (message.GetInfo("refs", &type, &count) != B_OK || type != B_REF_TYPE)
        return refs;
    for (int32 i = 0; i < count; i++) {
        entry_ref ref;
        if (message.FindRef("refs", i, &ref) != B_OK)
            ref = entry_ref();
        refs.push_back(ref);
    }
    return refs;
}

} // namespace

TCadenzoView::TCadenzoView(BRect frame, const char* name)
    : TDialogView(frame, name, B_FOLLOW_NONE, 0)
{
}

TCadenzoView::TCadenzoView(BMessage* archive) : TDialogView(archive)
{
    GetChildPointers();
    if (fInitStatus != B_OK)
        return;
    for (BCheckBox* box : fCBoxChMasks)
        box->SetMessage(new BMessage(kChannelBoxClicked));
}

TCadenzoView::~TCadenzoView() = default;

void TCadenzoView::GetChildPointers()
{
    fStrViewStatus = descendant_named<BStringView>(this, "StrViewStatus");
    fBoxChMasks = descendant_named<BBox>(this, "BoxChMasks");
    size_t found = 0;
    if (fBoxChMasks != nullptr) {
        for (int32 i = 0; i < fBoxChMasks->CountChildren() && found < fCBoxChMasks.size(); i++) {
            if (auto* box = dynamic_cast<BCheckBox*>(fBoxChMasks->ChildAt(i)))
                fCBoxChMasks[found++] = box;
        }
    }
    // A tree that lacks any of them would leave the view pointing at nothing.
    fInitStatus = fStrViewStatus != nullptr && found == fCBoxChMasks.size() ? B_OK : B_NO_INIT;
}

void TCadenzoView::AttachedToWindow() {}

void TCadenzoView::AllAttached()
{
    if (fInitStatus != B_OK)
        return;
    SetViewLabels();
    UpdateCompos();
    SetTargetToThis(this, false);
}

void TCadenzoView::LanguageChanged()
{
    if (fInitStatus != B_OK)
        return;
    UpdateStrViewStatus(nullptr);
    SetViewLabels();
}

void TCadenzoView::SetViewLabels()
{
    fBoxChMasks->SetLabel(locale_text("Channels").c_str());
    for (size_t i = 0; i < fCBoxChMasks.size(); i++)
        fCBoxChMasks[i]->SetLabel(std::to_string(i + 1).c_str());
}

void TCadenzoView::UpdateCompos()
{
    UpdateStrViewStatus(nullptr);
    for (size_t i = 0; i < fCBoxChMasks.size(); i++)
        fCBoxChMasks[i]->SetValue(gPrefs->ChMs[i] ? B_CONTROL_ON : B_CONTROL_OFF);
}

void TCadenzoView::UpdateStrViewStatus(const char* text)
{
    if (fStrViewStatus == nullptr)
        return;
    fStrViewStatus->SetText(text != nullptr ? text : locale_text("Drop MIDI files here.").c_str());
    if (Window() != nullptr)
        Window()->UpdateIfNeeded();
}

void TCadenzoView::EnableCompos()
{
    for (BCheckBox* box : fCBoxChMasks)
        box->SetEnabled(true);
}

void TCadenzoView::DisableCompos()
{
    for (BCheckBox* box : fCBoxChMasks)
        box->SetEnabled(false);
}

void TCadenzoView::MessageReceived(BMessage* message)
{
    switch (message->what) {
    case B_SIMPLE_DATA:
        if (fInitStatus == B_OK)
            SimpleData(message);
        break;
    case kChannelBoxClicked:
        if (fInitStatus == B_OK)
            CBoxChMasksClicked();
        break;
    default:
        TDialogView::MessageReceived(message);
        break;
    }
}

void TCadenzoView::CBoxChMasksClicked()
{
    for (size_t i = 0; i < fCBoxChMasks.size(); i++)
        gPrefs->ChMs[i] = fCBoxChMasks[i]->Value() != B_CONTROL_OFF;
    gPrefs->SaveToFile();
    BMessage changed(kChannelMasksChanged);
    be_app_messenger.SendMessage(&changed, static_cast<BHandler*>(nullptr), B_INFINITE_TIMEOUT);
}

void TCadenzoView::SimpleData(BMessage* message)
{
    DisableCompos();
    const std::vector<entry_ref> refs = expand_folders(dropped_refs(*message));
    const size_t count = refs.size();
    bool converted = true;
    for (size_t n = 1; n <= count && converted; n++) {
        const entry_ref& ref = refs[n - 1];
        if (ref.name.empty()) {
            // A ref the message could not give: nothing to name or open.
            show_alert3(alert_caption(), locale_text("@Err_Cannot_Load_Src_File@"),
                        locale_text("Understand"), "", "", -1, B_WARNING_ALERT);
            converted = false;
            break;
        }
        const std::string status = locale_text("Converting...") + " [" + std::to_string(n) + "/" +
                                   std::to_string(count) + "] " + ref.name;
        UpdateStrViewStatus(status.c_str());
        converted = convert_dropped_entry(*this, ref) == 0;
    }
    if (converted) {
        show_alert3(alert_caption(), locale_text("@Info_Convert_Done@"), locale_text("OK"), "", "",
                    -1, B_INFO_ALERT);
    }
    UpdateStrViewStatus(nullptr);
    EnableCompos();
    fBatchEnd = system_time();
}
