#include "GalleryWindow.h"

#include <Alert.h>
#include <AppDefs.h>
#include <Application.h>
#include <Bitmap.h>
#include <Box.h>
#include <Button.h>
#include <CheckBox.h>
#include <Entry.h>
#include <Menu.h>
#include <MenuBar.h>
#include <MenuField.h>
#include <MenuItem.h>
#include <PopUpMenu.h>
#include <RadioButton.h>
#include <StringView.h>
#include <TextControl.h>

#include <cstring>
#include <memory>
#include <string>

namespace {

constexpr rgb_color kPanel = {216, 216, 216, 255};

// A palette icon with a transparent border, drawn blended over the panel.
class IconView : public BView {
public:
    explicit IconView(BRect frame) : BView(frame, "Icon", B_FOLLOW_NONE, B_WILL_DRAW)
    {
        SetViewColor(kPanel);
        fIcon = std::make_unique<BBitmap>(BRect(0, 0, 15, 15), B_CMAP8);
        uint8 bits[16 * 16];
        for (int y = 0; y < 16; y++) {
            for (int x = 0; x < 16; x++) {
                const bool edge = x < 2 || y < 2 || x > 13 || y > 13;
                bits[y * 16 + x] = edge ? B_TRANSPARENT_MAGIC_CMAP8 : (uint8)(32 + (x + y) / 2);
            }
        }
        fIcon->SetBits(bits, sizeof(bits), 0, B_CMAP8);
    }
    void Draw(BRect) override
    {
        SetDrawingMode(B_OP_ALPHA);
        SetBlendingMode(B_PIXEL_ALPHA, B_ALPHA_OVERLAY);
        DrawBitmap(fIcon.get(), BPoint(0, 0));
        SetDrawingMode(B_OP_COPY);
    }

private:
    std::unique_ptr<BBitmap> fIcon;
};

// Where files are dropped: names the last drop and hands the paths to the window.
class DropZone : public BBox {
public:
    explicit DropZone(BRect frame) : BBox(frame, "DropZone")
    {
        SetLabel("Drop zone");
        fText =
            new BStringView(BRect(10, 18, frame.Width() - 10, 36), "DropText", "Drop files here.");
        AddChild(fText);
    }
    void MessageReceived(BMessage* message) override
    {
        if (message->what != B_SIMPLE_DATA || !message->HasRef("refs")) {
            BBox::MessageReceived(message);
            return;
        }
        entry_ref ref;
        std::string shown;
        for (int32 i = 0; message->FindRef("refs", i, &ref) == B_OK; i++) {
            shown += (i > 0 ? ", " : "") + ref.name;
            BMessage report('GDrp');
            report.AddString("path", ref.Path().c_str());
            Window()->PostMessage(&report);
        }
        fText->SetText(("Dropped: " + shown).c_str());
    }

private:
    BStringView* fText;
};

BMessage* message(uint32 what)
{
    return new BMessage(what);
}

} // namespace

BView* make_gallery_view()
{
    auto* root = new BView(BRect(0, 0, 539, 369), "GalleryView", B_FOLLOW_ALL_SIDES, B_WILL_DRAW);
    root->SetViewColor(kPanel);

    // Buttons: default, normal, pressed, disabled.
    auto* buttons = new BBox(BRect(10, 10, 529, 55), "BoxButtons");
    buttons->SetLabel("Buttons");
    auto* byDefault =
        new BButton(BRect(10, 15, 110, 38), "ButtonDefault", "Default", message('bDef'));
    buttons->AddChild(byDefault);
    buttons->AddChild(
        new BButton(BRect(125, 15, 215, 38), "ButtonNormal", "Normal", message('bNrm')));
    auto* pressed =
        new BButton(BRect(230, 15, 320, 38), "ButtonPressed", "Pressed", message('bPrs'));
    pressed->SetValue(1);
    buttons->AddChild(pressed);
    auto* disabled =
        new BButton(BRect(335, 15, 425, 38), "ButtonDisabled", "Disabled", message('bDis'));
    disabled->SetEnabled(false);
    buttons->AddChild(disabled);
    root->AddChild(buttons);

    // Check boxes and radio buttons in every state.
    auto* checks = new BBox(BRect(10, 65, 265, 190), "BoxChecks");
    checks->SetLabel("Check boxes and radio buttons");
    const char* checkLabels[4] = {"Off", "On", "Disabled off", "Disabled on"};
    for (int i = 0; i < 4; i++) {
        auto* check = new BCheckBox(BRect(10, 18 + 24 * i, 120, 36 + 24 * i), "CheckBox",
                                    checkLabels[i], message('chk0' + i));
        check->SetValue(i % 2);
        check->SetEnabled(i < 2);
        checks->AddChild(check);
    }
    const char* radioLabels[4] = {"Low", "Medium", "High", "Disabled"};
    for (int i = 0; i < 4; i++) {
        auto* radio = new BRadioButton(BRect(130, 18 + 24 * i, 245, 36 + 24 * i), "Radio",
                                       radioLabels[i], message('rad0' + i));
        radio->SetValue(i == 1);
        radio->SetEnabled(i < 3);
        checks->AddChild(radio);
    }
    root->AddChild(checks);

    // Text fields, a pop-up menu field, and text in its three alignments.
    auto* texts = new BBox(BRect(275, 65, 529, 190), "BoxTexts");
    texts->SetLabel("Text");
    auto* name = new BTextControl(BRect(10, 18, 240, 38), "TxtCtrlName", "Name:", "Tail margin",
                                  message('tNam'));
    name->SetDivider(60);
    texts->AddChild(name);
    auto* off = new BTextControl(BRect(10, 44, 240, 64), "TxtCtrlDisabled", "Disabled:", "500",
                                 message('tDis'));
    off->SetDivider(60);
    off->SetEnabled(false);
    texts->AddChild(off);
    auto* popUp = new BPopUpMenu("Format");
    popUp->AddItem(new BMenuItem("Quit(Q)", message('fmt0')));
    popUp->AddItem(new BMenuItem("Q) Quit", message('fmt1')));
    popUp->AddItem(new BMenuItem("Q - Quit", message('fmt2')));
    popUp->ItemAt(1)->SetMarked(true);
    auto* field = new BMenuField(BRect(10, 70, 240, 90), "MenuFieldFormat", "Format:", popUp);
    field->SetDivider(60);
    texts->AddChild(field);
    const char* alignments[3] = {"Left", "Centre", "Right"};
    const alignment aligns[3] = {B_ALIGN_LEFT, B_ALIGN_CENTER, B_ALIGN_RIGHT};
    for (int i = 0; i < 3; i++) {
        auto* text =
            new BStringView(BRect(10 + 77 * i, 98, 84 + 77 * i, 116), "StrView", alignments[i]);
        text->SetAlignment(aligns[i]);
        texts->AddChild(text);
    }
    root->AddChild(texts);

    // A menu as it looks open: marks, a separator, a disabled item, shortcuts, a submenu.
    auto* menu = new BMenu("Edit");
    menu->AddItem(new BMenuItem("Cut", message(B_CUT), 'X'));
    menu->AddItem(new BMenuItem("Copy", message(B_COPY), 'C'));
    menu->AddItem(new BMenuItem("Paste", message(B_PASTE), 'V'));
    menu->AddSeparatorItem();
    auto* marked = new BMenuItem("Marked", message('mMrk'));
    marked->SetMarked(true);
    menu->AddItem(marked);
    auto* unavailable = new BMenuItem("Disabled", message('mDis'));
    unavailable->SetEnabled(false);
    menu->AddItem(unavailable);
    auto* more = new BMenu("More");
    more->AddItem(new BMenuItem("Inside", message('mIns')));
    menu->AddItem(more);
    auto* menus = new BBox(BRect(10, 200, 180, 359), "BoxMenu");
    menus->SetLabel("Menu");
    menu->MoveTo(10, 18);
    menu->ResizeToPreferred();
    menus->AddChild(menu);
    root->AddChild(menus);

    // Borders, a blended icon, and the drop zone.
    auto* plain = new BBox(BRect(190, 200, 300, 260), "BoxPlain", B_FOLLOW_LEFT | B_FOLLOW_TOP,
                           B_WILL_DRAW | B_FRAME_EVENTS | B_NAVIGABLE_JUMP, B_PLAIN_BORDER);
    plain->SetLabel("Plain");
    plain->AddChild(new IconView(BRect(10, 22, 25, 37)));
    root->AddChild(plain);
    auto* none = new BBox(BRect(190, 270, 300, 359), "BoxNone", B_FOLLOW_LEFT | B_FOLLOW_TOP,
                          B_WILL_DRAW | B_FRAME_EVENTS | B_NAVIGABLE_JUMP, B_NO_BORDER);
    none->AddChild(new BStringView(BRect(5, 20, 105, 38), "StrViewNoBorder", "No border"));
    root->AddChild(none);
    root->AddChild(new DropZone(BRect(310, 200, 529, 359)));

    byDefault->MakeDefault(true);
    return root;
}

GalleryWindow::GalleryWindow(BPoint where)
    : BWindow(BRect(where.x, where.y, where.x + 539, where.y + 359), "Gallery", B_TITLED_WINDOW,
              B_NOT_RESIZABLE | B_NOT_ZOOMABLE | B_ASYNCHRONOUS_CONTROLS)
{
    auto* bar = new BMenuBar(BRect(0, 0, 0, 0), "MenuBar");
    auto* file = new BMenu("File");
    file->AddItem(new BMenuItem("Open...", message('fOpn'), 'O'));
    file->AddSeparatorItem();
    file->AddItem(new BMenuItem("Quit", new BMessage(B_QUIT_REQUESTED), 'Q'));
    bar->AddItem(file);
    auto* help = new BMenu("Help");
    help->AddItem(new BMenuItem("About...", message(B_ABOUT_REQUESTED)));
    bar->AddItem(help);
    AddChild(bar);

    BView* content = make_gallery_view();
    content->MoveTo(0, bar->Frame().bottom + 1);
    AddChild(content);
    ResizeTo(content->Frame().right, content->Frame().bottom);
    if (BButton* button = dynamic_cast<BButton*>(FindView("ButtonDefault")))
        SetDefaultButton(button);
}

void GalleryWindow::SetDropHook(std::function<void(const std::string&)> hook)
{
    fDropHook = std::move(hook);
}

void GalleryWindow::MessageReceived(BMessage* message)
{
    switch (message->what) {
    case 'GDrp': {
        const char* path;
        if (fDropHook && message->FindString("path", &path) == B_OK)
            fDropHook(path);
        break;
    }
    case B_ABOUT_REQUESTED:
        (new BAlert("About", "The gallery shows every control and menu of the interface kit.",
                    "OK"))
            ->Go();
        break;
    default:
        BWindow::MessageReceived(message);
        break;
    }
}

bool GalleryWindow::QuitRequested()
{
    if (be_app != nullptr)
        be_app->PostMessage(B_QUIT_REQUESTED);
    return true;
}
