#include "iap/IAPView.h"

#include "iap/IAPItemAccKeyFormat.h"
#include "iap/IAPPortManager.h"
#include "ui/BasicWindow.h"
#include "ui/ShortCuts.h"
#include "util/Alerts.h"

#include <Button.h>
#include <CheckBox.h>
#include <Menu.h>
#include <MenuField.h>
#include <MenuItem.h>
#include <Roster.h>
#include <TextControl.h>
#include <Window.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

constexpr float kMargin = 10;
const BRect kButtonFrame(0, 0, 80, 22);
constexpr uint32 kButtonFlags = B_WILL_DRAW | B_NAVIGABLE;
// Another process sends the controls: one no window could show is refused, not drawn into a
// back buffer of gigabytes.
constexpr float kMaxComponentSide = 2000;

// The names of the record's items, in the order they came.
std::vector<std::string> item_names(const BMessage& record)
{
    std::vector<std::string> names;
    char* name;
    type_code type;
    int32 count;
    for (int32 i = 0; record.GetInfo(B_MESSAGE_TYPE, i, &name, &type, &count) == B_OK; i++)
        names.emplace_back(name);
    return names;
}

// The first UTF-8 character of a control's name is its accelerator key; the rest names its
// label in the catalogue.
size_t first_character_length(const char* text)
{
    size_t length = 1;
    while (text[length] != '\0' && (text[length] & 0xC0) == 0x80)
        length++;
    return length;
}

} // namespace

TIAPView::TIAPView(BRect frame) : TDialogView(frame, "IAPView", B_FOLLOW_ALL_SIDES, B_WILL_DRAW)
{
    fIAPs.SetAppSignatureRef("IAPView");
    fIAPs.AddItem(new TIAPItemAccKeyFormat);

    fButtonContainer =
        new BView(BRect(0, 0, 100, 50), "ButtonContainer", B_FOLLOW_LEFT_RIGHT, B_WILL_DRAW);
    BRect button = kButtonFrame.OffsetToCopy(kMargin, kMargin);
    fButtonDefaults = new BButton(button, "ButtonDefaults", locale_text("Defaults").c_str(),
                                  new BMessage(kIAPDefaults), B_FOLLOW_RIGHT, kButtonFlags);
    button = kButtonFrame.OffsetToCopy(fButtonDefaults->Frame().right + 30, kMargin);
    fButtonCancel = new BButton(button, "ButtonCancel", locale_text("Cancel").c_str(),
                                new BMessage(kIAPCancel), B_FOLLOW_RIGHT, kButtonFlags);
    button = kButtonFrame.OffsetToCopy(fButtonCancel->Frame().right + kMargin, kMargin);
    fButtonOK = new BButton(button, "ButtonOK", locale_text("OK").c_str(), new BMessage(kIAPOK),
                            B_FOLLOW_RIGHT, kButtonFlags);
    // Sized before the buttons are in it, which follow its right edge.
    fButtonContainer->ResizeTo(fButtonOK->Frame().right + kMargin,
                               fButtonOK->Frame().bottom + kMargin);
    fButtonContainer->AddChild(fButtonDefaults);
    fButtonContainer->AddChild(fButtonCancel);
    fButtonContainer->AddChild(fButtonOK);
    fButtonContainer->SetViewColor(ui_color(B_PANEL_BACKGROUND_COLOR));
    // Likewise the view takes the container's size before the container is in it.
    ResizeTo(fButtonContainer->Frame().right, fButtonContainer->Frame().bottom);
    AddChild(fButtonContainer);

    SetViewLabels();
    fButtonOK->MakeDefault(true);
}

TIAPView::~TIAPView() = default;

void TIAPView::MessageReceived(BMessage* message)
{
    switch (message->what) {
    case kIAPDefaults:
        ButtonDefaultsClicked();
        break;
    case kIAPCancel:
        ButtonCancelClicked();
        break;
    case kIAPOK:
        ButtonOKClicked();
        break;
    case kIAPActivateWindow:
        IAPActivateWindowRqtd();
        break;
    case kIAPAddComponents:
        IAPAddComponentsRqtd(message);
        break;
    case kIAPControlChanged:
        IAPControlChanged(message);
        break;
    case B_QUIT_REQUESTED:
        // A close request through the port: the window decides, as for its close box.
        BMessenger(Window()).SendMessage(message, static_cast<BHandler*>(nullptr),
                                         B_INFINITE_TIMEOUT);
        break;
    default:
        TDialogView::MessageReceived(message);
        break;
    }
}

void TIAPView::LanguageChanged()
{
    SetViewLabels();
}

void TIAPView::ShortCutDown(int32 rawChar, int32 key)
{
    if (rawChar == B_ESCAPE) {
        click_button(fButtonCancel, false);
        return;
    }
    TDialogView::ShortCutDown(rawChar, key);
}

void TIAPView::ButtonDefaultsClicked()
{
    SetComponents(kDefault);
}

void TIAPView::ButtonCancelClicked()
{
    if (!Window()->IsHidden())
        Window()->Hide();
    SetComponents(kCommitted);
}

void TIAPView::ButtonOKClicked()
{
    Window()->Hide();
    // The values are in effect everywhere already: they only become the ones to return to.
    for (const std::string& name : item_names(fComponents)) {
        BMessage working;
        if (fComponents.FindMessage(name.c_str(), kWorking, &working) == B_OK)
            fComponents.ReplaceMessage(name.c_str(), kCommitted, &working);
    }
}

void TIAPView::IAPActivateWindowRqtd()
{
    if (Window()->IsHidden())
        Window()->Show();
    else
        Window()->Activate(true);
}

void TIAPView::IAPAddComponentsRqtd(BMessage* message)
{
    float width = Bounds().right;
    for (const std::string& name : item_names(*message)) {
        // Every application hands over its items; one that is shown already stays as it is.
        if (FindView(name.c_str()) != nullptr)
            continue;
        BMessage committed;
        if (message->FindMessage(name.c_str(), kCommitted, &committed) != B_OK)
            continue;
        const float top =
            fLastComponent == nullptr ? kMargin : fLastComponent->Frame().bottom + kMargin;
        BView* component = AddComponent(committed, top);
        if (component == nullptr)
            continue;
        component->SetName(name.c_str());
        fLastComponent = component;
        width = std::max(width, component->Frame().right + kMargin);
        fComponents.AddMessage(name.c_str(), &committed);
        fComponents.AddMessage(name.c_str(), &committed);
        // Without a default state Defaults keeps the committed one.
        BMessage defaults;
        if (message->FindMessage(name.c_str(), kDefault, &defaults) != B_OK)
            defaults = committed;
        fComponents.AddMessage(name.c_str(), &defaults);
    }
    SetTargetToThis(this, false);
    SetViewLabels();
    if (fLastComponent != nullptr)
        fButtonContainer->MoveTo(0, fLastComponent->Frame().bottom + kMargin);
    Window()->ResizeTo(width, fButtonContainer->Frame().bottom);
    if (auto* window = dynamic_cast<TBasicWindow*>(Window()))
        window->IntelligentMoveTo(window->Frame().LeftTop());
}

void TIAPView::IAPControlChanged(BMessage* message)
{
    const char* name;
    if (message->FindString(kIAPSrcItemField, &name) != B_OK)
        return;
    const std::string item = name;
    BView* component = FindView(item.c_str());
    if (component == nullptr || component->Parent() != this ||
        !fComponents.HasMessage(item.c_str()))
        return;
    component->Archive(message, true);
    message->what = kIAPValueMessage;
    fComponents.ReplaceMessage(item.c_str(), kWorking, message);
    SendMessage(message);
    SetViewLabels();
}

BView* TIAPView::AddComponent(BMessage archive, float y)
{
    // Only the kit's own view classes come back from an archive; an unknown one becomes the
    // nearest class the kit knows.
    auto* component = new BView(&archive);
    const BRect frame = component->Frame();
    if (!(frame.Width() >= 0 && frame.Width() <= kMaxComponentSide && frame.Height() >= 0 &&
          frame.Height() <= kMaxComponentSide)) {
        delete component;
        return nullptr;
    }
    component->MoveTo(kMargin, y);
    component->SetViewColor(ui_color(B_PANEL_BACKGROUND_COLOR));
    AddChild(component);
    if (auto* field = dynamic_cast<BMenuField*>(component->ChildAt(0))) {
        BMenu* menu = field->Menu();
        if (menu != nullptr) {
            menu->SetLabelFromMarked(true);
            menu->SetRadioMode(true);
            if (BMenuItem* marked = menu->FindMarked())
                marked->SetMarked(true);
            menu->SetTargetForItems(this);
        }
    }
    return component;
}

void TIAPView::SetComponents(int32 index)
{
    for (const std::string& name : item_names(fComponents)) {
        BMessage entry;
        if (fComponents.FindMessage(name.c_str(), index, &entry) != B_OK)
            continue;
        BView* old = FindView(name.c_str());
        if (old != nullptr && old->Parent() == this) {
            BView* component = AddComponent(entry, old->Frame().top);
            if (component != nullptr) {
                component->SetName(name.c_str());
                if (old == fLastComponent)
                    fLastComponent = component;
                RemoveChild(old);
                delete old;
            }
        }
        fComponents.ReplaceMessage(name.c_str(), kWorking, &entry);
        SendMessage(&entry);
    }
    SetTargetToThis(this, false);
    SetViewLabels();
}

void TIAPView::SendMessage(BMessage* message)
{
    be_roster->Broadcast(message);
    // The window's own labels follow the accelerator format too.
    fIAPs.SetValue(*message);
}

void TIAPView::SetViewLabels()
{
    std::string format;
    fIAPs.GetString("AccKeyFormat2", &format);
    for (int32 i = 0; BView* component = ChildAt(i); i++) {
        BView* control = component->ChildAt(0);
        // A control from another process may have no name to take a label from.
        if (control == nullptr || control->Name() == nullptr || control->Name()[0] == '\0')
            continue;
        const char* name = control->Name();
        const size_t keyLength = first_character_length(name);
        const std::string label = merge_accelerator_key(format, std::string(name, keyLength),
                                                        locale_text(name + keyLength));
        if (auto* box = dynamic_cast<BCheckBox*>(control)) {
            box->SetLabel(label.c_str());
        } else if (auto* field = dynamic_cast<BMenuField*>(control)) {
            field->SetLabel(label.c_str());
            adjust_mfield_divider(field);
        } else if (auto* text = dynamic_cast<BTextControl*>(control)) {
            text->SetLabel(label.c_str());
            adjust_txt_ctrl_divider(text);
        }
    }
    fButtonDefaults->SetLabel(merge_accelerator_key(format, "D", locale_text("Defaults")).c_str());
    fButtonCancel->SetLabel(locale_text("Cancel").c_str());
    fButtonOK->SetLabel(locale_text("OK").c_str());
}
