#pragma once

// A modal message with one to three buttons. Go() waits for a button and answers its index;
// the alert deletes itself before Go() returns, whatever the form.
//
// Two forms, chosen when Go() is called:
// - A window (the usual form): a modal window centred on the screen, with an icon for the
//   alert type, the text wrapped to lines, and the buttons at the bottom right, button 0
//   leftmost and the last one the default (Enter). A button's shortcut key (SetShortcut) presses
//   it without any modifier; B_ESCAPE as a shortcut makes Escape press it. Called from a
//   window's thread, Go() keeps that window drawing while it waits.
// - The terminal: when the environment variable BE_ALERT is "terminal", when no BApplication
//   exists (be_app is null: a program that runs no windows), or when the windows are on the
//   offscreen display, where nobody could press a button (BE_ALERT=window shows the window
//   there all the same, for programs and tests that press it themselves). The alert is written
//   to standard error as one line: the program's name, ": ", and the text, its lines run
//   together (without the title it may start with; the title alone when there is no text).
//   It answers button 0, so that programs run in a terminal report the same things they
//   would show.

#include <SupportDefs.h>

#include <atomic>
#include <string>

class BAlert;
class BWindow;

namespace BPrivate {
// The window of an alert whose Go() is showing it, for programs and tests that drive alerts
// through the display; nullptr before it is shown. Valid only until a button is pressed.
BWindow* alert_window_of(const BAlert* alert);
} // namespace BPrivate

enum alert_type {
    B_EMPTY_ALERT = 0,
    B_INFO_ALERT,
    B_IDEA_ALERT,
    B_WARNING_ALERT,
    B_STOP_ALERT,
};

enum button_width {
    B_WIDTH_AS_USUAL,   // as wide as the label needs, at least 75 pixels
    B_WIDTH_FROM_WIDEST, // all as wide as the widest label needs (at least 75 pixels)
    B_WIDTH_FROM_LABEL, // each as wide as its label needs
};

class BAlert {
public:
    BAlert(const char* title, const char* text, const char* button0, const char* button1 = nullptr,
           const char* button2 = nullptr, button_width width = B_WIDTH_AS_USUAL,
           alert_type type = B_INFO_ALERT);
    virtual ~BAlert();

    BAlert(const BAlert&) = delete;
    BAlert& operator=(const BAlert&) = delete;

    void SetShortcut(int32 index, char key);
    char Shortcut(int32 index) const;
    int32 CountButtons() const { return fButtonCount; }
    const char* ButtonLabel(int32 index) const;
    const char* Title() const { return fTitle.c_str(); }
    const char* Text() const { return fText.c_str(); }
    alert_type Type() const { return fType; }

    // Shows the alert and waits for a button; see above.
    int32 Go();

private:
    friend BWindow* BPrivate::alert_window_of(const BAlert* alert);

    int32 _GoInTerminal();
    // Whether Go() shows a window rather than writing to the terminal.
    static bool _ShowsWindow();

    std::string fTitle;
    std::string fText;
    std::string fLabels[3];
    char fShortcuts[3] = {};
    int32 fButtonCount = 0;
    button_width fWidth;
    alert_type fType;
    // The window while Go() shows it.
    std::atomic<BWindow*> fWindow{nullptr};
};
