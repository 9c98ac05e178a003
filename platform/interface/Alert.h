#pragma once

// A modal message with one to three buttons. Go() waits for a button and answers its index.
// Without a window system the alert is written to standard error and answers button 0, so
// that programs run in a terminal report the same things they would show.

#include <SupportDefs.h>

#include <string>

enum alert_type {
    B_EMPTY_ALERT = 0,
    B_INFO_ALERT,
    B_IDEA_ALERT,
    B_WARNING_ALERT,
    B_STOP_ALERT,
};

enum button_width {
    B_WIDTH_AS_USUAL,
    B_WIDTH_FROM_WIDEST,
    B_WIDTH_FROM_LABEL,
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

    // Shows the alert and waits for a button. As with every alert, the object deletes itself
    // before Go() returns.
    int32 Go();

private:
    std::string fTitle;
    std::string fText;
    std::string fLabels[3];
    char fShortcuts[3] = {};
    int32 fButtonCount = 0;
    alert_type fType;
};
