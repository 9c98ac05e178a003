#include "Alerts.h"

#include "app/AppConstants.h"
#include "ui/ShortCuts.h"

#include <Button.h>
#include <CheckBox.h>
#include <Directory.h>
#include <Entry.h>
#include <File.h>
#include <InterfaceDefs.h>
#include <Locale.h>
#include <Menu.h>
#include <MenuField.h>
#include <MenuItem.h>
#include <Messenger.h>
#include <NodeInfo.h>
#include <OS.h>
#include <RadioButton.h>
#include <Roster.h>
#include <StringView.h>
#include <TextControl.h>
#include <Window.h>

#include <algorithm>
#include <cmath>
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

namespace {

// How long send_message_with_lock tries for the target's lock, and then waits for room in
// its queue, before it gives up.
constexpr bigtime_t kLockedSendTimeout = 1000000;
constexpr bigtime_t kLockRetry = 20000;

// How long click_button shows the button pressed.
constexpr bigtime_t kClickPressTime = 50000;

// The room a check box's or a radio button's mark takes in front of its label.
constexpr float kMarkWidth = 17;

status_t launch(const char* type, const char* argument)
{
    const char* argv[] = {argument};
    status_t status = be_roster->Launch(type, 1, argv, nullptr);
    return status == B_OK || status == B_ALREADY_RUNNING ? 0 : status;
}

float label_width(const BView* view, const char* label)
{
    return ceilf(view->StringWidth(label != nullptr ? label : ""));
}

} // namespace

status_t show_help(const char* path)
{
    if (path == nullptr)
        return -1;
    BFile file(path, B_READ_ONLY);
    BNodeInfo info(&file);
    char type[B_MIME_TYPE_LENGTH];
    if (file.InitCheck() != B_OK || info.InitCheck() != B_OK || info.GetType(type) != B_OK)
        return -1;
    return launch(type, path);
}

status_t show_url(const char* url)
{
    return launch("text/html", url);
}

status_t show_core(const char* type, const char* argument)
{
    return launch(type, argument);
}

status_t get_save_ref(const BMessage* message, entry_ref* ref)
{
    entry_ref directoryRef;
    const char* name = nullptr;
    if (message == nullptr || ref == nullptr ||
        message->FindRef("directory", &directoryRef) != B_OK ||
        message->FindString("name", &name) != B_OK)
        return B_BAD_VALUE;
    BDirectory directory(&directoryRef);
    BEntry entry(&directory, name, false);
    return entry.GetRef(ref);
}

status_t send_message_with_lock(BHandler* target, BMessage message)
{
    status_t status = B_OK;
    BMessenger messenger(target, nullptr, &status);
    if (status != B_OK)
        return status;
    // Bounded on both counts: a target that vanished, or whose looper stays locked or
    // full, must not keep the caller waiting for ever.
    const bigtime_t deadline = system_time() + kLockedSendTimeout;
    while ((status = messenger.LockTargetWithTimeout(kLockRetry)) != B_OK) {
        if (!messenger.IsValid())
            return B_BAD_HANDLER;
        if (system_time() >= deadline)
            return B_TIMED_OUT;
        if (status != B_TIMED_OUT)
            snooze(kLockRetry);
    }
    BLooper* looper = nullptr;
    messenger.Target(&looper);
    status = messenger.SendMessage(&message, static_cast<BHandler*>(nullptr),
                                   std::max<bigtime_t>(deadline - system_time(), 0));
    if (looper != nullptr)
        looper->Unlock();
    return status;
}

status_t add_next_msg(BMessage* message, const BMessage& next, const BHandler* target)
{
    message->AddMessage("NextMsg", &next);
    message->AddPointer("NextMsgTgt", target);
    return 0;
}

void delete_mfield_mitems(BMenuField* field)
{
    BMenu* menu = field->Menu();
    while (menu != nullptr && menu->CountItems() > 0)
        delete menu->RemoveItem((int32)0);
}

void close_window(BWindow** window)
{
    if (*window == nullptr || !(*window)->Lock())
        return;
    (*window)->Quit();
    *window = nullptr;
}

void click_button(BButton* button, bool force)
{
    if (button == nullptr || (!button->IsEnabled() && !force))
        return;
    button->SetValue(1);
    if (BWindow* window = button->Window())
        window->UpdateIfNeeded();
    snooze(kClickPressTime);
    button->SetValue(0);
    button->Invoke();
}

void adjust_txt_ctrl_divider(BTextControl* control)
{
    control->SetDivider(label_width(control, control->Label()) + 2);
}

void adjust_mfield_divider(BMenuField* field)
{
    field->SetDivider(label_width(field, field->Label()) + 2);
}

void adjust_str_view_width(BStringView* view)
{
    view->ResizeTo(label_width(view, view->Text()) + 2, view->Bounds().bottom);
}

void adjust_cbox_width(BCheckBox* box)
{
    box->ResizeTo(label_width(box, box->Label()) + kMarkWidth + 2, box->Bounds().bottom);
}

void adjust_rbutton_width(BRadioButton* button)
{
    button->ResizeTo(label_width(button, button->Label()) + kMarkWidth + 2,
                     button->Bounds().bottom);
}

void adjust_button_width(BButton* button)
{
    float width = 0;
    float height = 0;
    button->GetPreferredSize(&width, &height);
    button->ResizeTo(ceilf(width), button->Bounds().bottom);
}
