#include "app/CadenzoWindow.h"

#include "app/AppConstants.h"
#include "app/CadenzoView.h"
#include "settings/Prefs.h"
#include "ui/ShortCuts.h"
#include "ui/ViewResource.h"
#include "util/Alerts.h"

#include <Application.h>
#include <Menu.h>
#include <MenuBar.h>
#include <MenuItem.h>
#include <MessageFilter.h>

namespace {

constexpr uint32 kMainWindowFlags = B_NOT_RESIZABLE | B_NOT_ZOOMABLE | B_ASYNCHRONOUS_CONTROLS;
constexpr char kViewResourceName[] = "CadenzoViewRsrc";

// Clicks made while a batch kept the window busy reach it only after the batch: the channel
// boxes and menus were not there for them then, so they are dropped.
class TBatchInputFilter : public BMessageFilter {
public:
    explicit TBatchInputFilter(const TCadenzoView* view)
        : BMessageFilter(B_ANY_DELIVERY, B_ANY_SOURCE), fView(view)
    {
    }
    filter_result Filter(BMessage* message, BHandler**) override
    {
        if (message->what != B_MOUSE_DOWN && message->what != B_MOUSE_UP)
            return B_DISPATCH_MESSAGE;
        int64 when = 0;
        if (message->FindInt64("when", &when) == B_OK && fView->GivenDuringBatch(when))
            return B_SKIP_MESSAGE;
        return B_DISPATCH_MESSAGE;
    }

private:
    const TCadenzoView* fView;
};

std::string menu_label(const char* key, const char* label)
{
    return acc_label(key, locale_text(label));
}

BMenuItem* item(const char* key, const std::string& label, uint32 command, char shortcut = 0)
{
    return new BMenuItem(acc_label(key, label).c_str(), new BMessage(command), shortcut);
}

} // namespace

TCadenzoWindow::TCadenzoWindow(BRect frame)
    : TDialogWindow(frame, "", B_TITLED_WINDOW, kMainWindowFlags, B_CURRENT_WORKSPACE)
{
    fMainView = view_from_resource<TCadenzoView>(kViewResourceName);
    if (fMainView == nullptr)
        return;
    AddChild(fMainView);
    AddCommonFilter(new TBatchInputFilter(fMainView));

    fMenuBar = new BMenuBar(BRect(0, 0, 0, 0), "MenuBar", B_FOLLOW_LEFT_RIGHT | B_FOLLOW_TOP,
                            B_ITEMS_IN_ROW, true);
    AddChild(fMenuBar);
    fMainView->MoveTo(0, fMenuBar->Frame().bottom + 1);
    ResizeTo(fMainView->Frame().right, fMainView->Frame().bottom);

    SetWinTitle();
    CreateMenu();
    fInitStatus = B_OK;
}

TCadenzoWindow::~TCadenzoWindow() = default;

void TCadenzoWindow::MessageReceived(BMessage* message)
{
    TDialogWindow::MessageReceived(message);
}

void TCadenzoWindow::SetWinTitle()
{
    SetTitle(locale_text(gAppNameEnUs).c_str());
}

void TCadenzoWindow::CreateMenu()
{
    auto* file = new BMenu(menu_label("F", "File").c_str());
    file->AddItem(item("Q", locale_text("Quit"), B_QUIT_REQUESTED, 'Q'));
    fMenuBar->AddItem(file);

    auto* tool = new BMenu(menu_label("T", "Tool").c_str());
    tool->AddItem(item("P", locale_text("Preferences") + "...", kPreferencesCommand));
    tool->AddItem(
        item("V", locale_text("VANTOR Common Preferences") + "...", kCommonPreferencesCommand));
    tool->SetTargetForItems(be_app);
    fMenuBar->AddItem(tool);

    auto* help = new BMenu(menu_label("H", "Help").c_str());
    help->AddItem(item("H", locale_text("Help"), kHelpCommand));
    help->AddSeparatorItem();
    help->AddItem(item("J",
                       replace_all(locale_text("Open %AppAuthor%'s Web"), "%AppAuthor%",
                                   locale_text(gAppAuthorEnUs)),
                       kAuthorWebCommand));
    help->AddSeparatorItem();
    help->AddItem(item("A", locale_text("About") + "...", B_ABOUT_REQUESTED));
    help->SetTargetForItems(be_app);
    fMenuBar->AddItem(help);
}

void TCadenzoWindow::DestroyMenu()
{
    while (BMenu* menu = fMenuBar->SubmenuAt(0)) {
        fMenuBar->RemoveItem(menu);
        delete menu;
    }
}

void TCadenzoWindow::LanguageChanged()
{
    // An empty window (no view resource) has no menus to rebuild: it stays as it was built.
    if (fMenuBar == nullptr)
        return;
    SetWinTitle();
    DestroyMenu();
    CreateMenu();
}

void TCadenzoWindow::IAPChanged(BMessage*)
{
    if (fMenuBar == nullptr)
        return;
    DestroyMenu();
    CreateMenu();
}

bool TCadenzoWindow::QuitRequested()
{
    be_app_messenger.SendMessage(B_QUIT_REQUESTED);
    return TDialogWindow::QuitRequested();
}

void TCadenzoWindow::Quit()
{
    gExitStates->WFr = Frame();
    TDialogWindow::Quit();
}
