#pragma once

// The application: it opens the main window, answers the commands of the menus that are
// addressed to it, relays common-preference and channel changes to the windows, and hands
// files opened with it to the main window as a drop.

#include <Application.h>

#include <functional>
#include <string>
#include <vector>

class BWindow;
class TCadenzoWindow;
class TPrefsWindow;
class TVANTORAboutWindow;

class TCadenzoApp : public BApplication {
public:
    TCadenzoApp();
    ~TCadenzoApp() override;

    void MessageReceived(BMessage* message) override;
    void Quit() override;
    bool QuitRequested() override;
    void AboutRequested() override;
    // Files named on the command line or opened from the desktop: converted as if dropped.
    void RefsReceived(BMessage* message) override;

    void MItemHelpClicked();
    void MItemPreferencesClicked();
    void MItemVANTORCommonPrefsClicked();
    void MItemAuthorWebClicked();
    void IAPChanged(BMessage* message);

    TCadenzoWindow* MainWindow() const { return fMainWindow; }
    // Null until first asked for.
    TPrefsWindow* PrefsWindow() const { return fPrefsWindow; }
    TVANTORAboutWindow* AboutWindow() const { return fAboutWindow; }

private:
    void _SendToWindow(BWindow* window, BMessage* message);

    TCadenzoWindow* fMainWindow = nullptr;
    // Made on first use and kept. A Preferences window that could not be built is not kept:
    // nothing would ever read what is sent to it.
    TPrefsWindow* fPrefsWindow = nullptr;
    TVANTORAboutWindow* fAboutWindow = nullptr;
};

// Runs the application with its main window until it quits, once the settings are loaded:
// registers the common preference of the accelerator format, hands the files named (args
// after the executable) to the window, and saves the window state at the end. started, when
// given, sees the application before its loop starts, on the loop's thread. Returns 0.
int run_application(const std::vector<std::string>& args,
                    const std::function<void(TCadenzoApp*)>& started = {});
