#include "app/CadenzoApp.h"

#include "about/VANTORAboutWindow.h"
#include "app/AppConstants.h"
#include "app/CadenzoView.h"
#include "app/CadenzoWindow.h"
#include "iap/IAPItem.h"
#include "iap/IAPItemAccKeyFormat.h"
#include "iap/InterAppPrefs.h"
#include "settings/Prefs.h"
#include "settings/PrefsWindow.h"
#include "ui/ShortCuts.h"
#include "util/Alerts.h"

#include <Messenger.h>

#include <cstring>
#include <memory>
#include <string>

namespace {

// close_window for a pointer of a window's own class.
template <typename Window>
void close_kept_window(Window** window)
{
    BWindow* closed = *window;
    close_window(&closed);
    if (closed == nullptr)
        *window = nullptr;
}

// Where a window opened from the main window goes: just below its top edge. The main window's
// thread moves it, so its frame is read under its lock; a window too busy to answer within a
// second leaves the frame it had when the program started.
BRect below_main_window(BWindow* mainWindow)
{
    BRect frame = gExitStates->WFr;
    if (mainWindow->LockWithTimeout(1000000) == B_OK) {
        frame = mainWindow->Frame();
        mainWindow->Unlock();
    }
    frame.top += 20.0f;
    return frame;
}

} // namespace

TCadenzoApp::TCadenzoApp() : BApplication(gAppSignature)
{
    fMainWindow = new TCadenzoWindow(gExitStates->WFr);
    fMainWindow->Show();
}

TCadenzoApp::~TCadenzoApp() = default;

void TCadenzoApp::MessageReceived(BMessage* message)
{
    switch (message->what) {
    case kHelpCommand:
        MItemHelpClicked();
        break;
    case kPreferencesCommand:
        MItemPreferencesClicked();
        break;
    case kCommonPreferencesCommand:
        MItemVANTORCommonPrefsClicked();
        break;
    case kAuthorWebCommand:
        MItemAuthorWebClicked();
        break;
    case kIAPValueMessage:
        IAPChanged(message);
        _SendToWindow(fMainWindow, message);
        _SendToWindow(fPrefsWindow, message);
        break;
    case kChannelMasksChanged:
        _SendToWindow(fPrefsWindow, message);
        break;
    default:
        BApplication::MessageReceived(message);
        break;
    }
}

void TCadenzoApp::_SendToWindow(BWindow* window, BMessage* message)
{
    // A window not made yet gives an invalid messenger: the send fails quietly.
    BMessenger(window).SendMessage(message, static_cast<BHandler*>(nullptr), B_INFINITE_TIMEOUT);
}

bool TCadenzoApp::QuitRequested()
{
    return fMainWindow == nullptr || fMainWindow->QuitRequested();
}

void TCadenzoApp::Quit()
{
    if (fMainWindow != nullptr && fMainWindow->Lock()) {
        fMainWindow->Hide();
        fMainWindow->Unlock();
    }
    close_kept_window(&fAboutWindow);
    // Closed too, unlike a window the user closes: its thread must not outlive the
    // application it reports to.
    close_kept_window(&fPrefsWindow);
    // The common preferences window, when this application made it: its port goes with it,
    // and the next application to ask makes a new one.
    gIAPs->QuitOwnWindow();
    BWindow* mainWindow = fMainWindow;
    close_window(&mainWindow);
    if (mainWindow == nullptr)
        fMainWindow = nullptr;
    BApplication::Quit();
}

void TCadenzoApp::RefsReceived(BMessage* message)
{
    if (fMainWindow == nullptr || fMainWindow->MainView() == nullptr)
        return;
    BMessage drop(*message);
    drop.what = B_SIMPLE_DATA;
    BMessenger(fMainWindow->MainView())
        .SendMessage(&drop, static_cast<BHandler*>(nullptr), B_INFINITE_TIMEOUT);
}

void TCadenzoApp::AboutRequested()
{
    if (fAboutWindow == nullptr) {
        const BRect frame = below_main_window(fMainWindow);
        fAboutWindow = new TVANTORAboutWindow(frame, nullptr);
        fAboutWindow->IntelligentMoveTo(frame.LeftTop());
        fAboutWindow->SetAppInfo(gAppNameEnUs, gAppVer, gCright);
        fAboutWindow->SetTranslatorInfo("%LangNameInNative% translation by %TranslatorName%");
    }
    fAboutWindow->Appear();
}

void TCadenzoApp::MItemPreferencesClicked()
{
    if (fPrefsWindow == nullptr) {
        const BRect frame = below_main_window(fMainWindow);
        auto* window = new TPrefsWindow(frame);
        if (window->InitCheck() != B_OK) {
            // Never run, so deleted at once; the next request tries again and says so again.
            window->Lock();
            window->Quit();
        } else {
            fPrefsWindow = window;
            fPrefsWindow->IntelligentMoveTo(frame.LeftTop());
            fPrefsWindow->SetTarget(BMessenger(fMainWindow));
        }
    }
    if (fPrefsWindow != nullptr) {
        fPrefsWindow->Appear();
        return;
    }
    show_alert3(alert_caption(),
                locale_text("@Err_Cannot_Show_Prefs_Win@") + "\n" +
                    locale_text("@Hint_Excutable_Maybe_Broken@"),
                acc_label("U", locale_text("Understand")), "", "", -1, B_WARNING_ALERT);
}

void TCadenzoApp::MItemVANTORCommonPrefsClicked()
{
    gIAPs->ShowWindow(below_main_window(fMainWindow));
}

void TCadenzoApp::MItemHelpClicked()
{
    const std::string fileName = locale_text_with_default("$FileNameHelp$", "ReadMe_enUS.txt");
    const std::string path = gAppPrivacy->ExePath() + fileName;
    if (show_help(path.c_str()) == 0)
        return;
    show_alert3(
        alert_caption(),
        replace_all(locale_text("@Err_Cannot_Show_Help %FileName%@"), "%FileName%", fileName),
        acc_label("U", locale_text("OK")), "", "", -1, B_WARNING_ALERT);
}

void TCadenzoApp::MItemAuthorWebClicked()
{
    show_url(gAuthorWebURL);
}

void TCadenzoApp::IAPChanged(BMessage* message)
{
    const char* name = nullptr;
    if (message->FindString(kIAPSrcItemField, &name) != B_OK)
        return;
    gIAPs->SetValue(*message);
    if (strcmp(name, "AccKeyFormat2") == 0)
        gAppPrivacy->UpdateAccFormat();
}

int run_application(const std::vector<std::string>& args,
                    const std::function<void(TCadenzoApp*)>& started)
{
    gIAPs->SetAppSignatureRef(gAppSignature);
    gIAPs->AddItem(new TIAPItemAccKeyFormat);
    gAppPrivacy->UpdateAccFormat();

    std::vector<const char*> argv;
    for (const std::string& arg : args)
        argv.push_back(arg.c_str());
    auto app = std::make_unique<TCadenzoApp>();
    app->SetArgs((int)argv.size(), argv.data());
    if (started)
        started(app.get());
    app->Run();
    app.reset();

    gExitStates->SaveToFile();
    return 0;
}
