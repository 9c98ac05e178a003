#include "app/CadenzoApp.h"

#include "app/AppConstants.h"
#include "app/CadenzoView.h"
#include "app/CadenzoWindow.h"
#include "iap/IAPItem.h"
#include "iap/IAPItemAccKeyFormat.h"
#include "iap/InterAppPrefs.h"
#include "settings/Prefs.h"
#include "ui/ShortCuts.h"
#include "util/Alerts.h"

#include <Messenger.h>

#include <cstring>
#include <memory>
#include <string>

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
    close_window(&fAboutWindow);
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

void TCadenzoApp::_NotYetAvailable()
{
    show_alert3(alert_caption(), locale_text("@Info_Not_Yet_Available@"),
                acc_label("U", locale_text("Understand")), "", "", -1, B_INFO_ALERT);
}

void TCadenzoApp::AboutRequested()
{
    _NotYetAvailable();
}

void TCadenzoApp::MItemPreferencesClicked()
{
    _NotYetAvailable();
}

void TCadenzoApp::MItemVANTORCommonPrefsClicked()
{
    _NotYetAvailable();
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
    gIAPs->GetString("AccKeyFormat2", &gAppPrivacy->fAccFormat);

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
