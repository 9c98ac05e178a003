#pragma once

// The window of an alert: an icon at the left, the text wrapped to lines beside it, and one
// to three buttons along the bottom right (button 0 leftmost, the last one the default).
// Pressing a button (a click, its shortcut key, Enter for the default one) hands its index
// to whoever waits in BAlert::Go() and ends the window.

#include <Alert.h>
#include <Window.h>

#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>

namespace BPrivate {

// Where an alert's window leaves the index of the button pressed.
struct AlertAnswer {
    std::mutex lock;
    std::condition_variable answered;
    int32 index = -1;
};

struct AlertContents {
    std::string title;
    std::string text;
    std::string labels[3];
    char shortcuts[3] = {};
    int32 buttonCount = 1;
    button_width width = B_WIDTH_AS_USUAL;
    alert_type type = B_INFO_ALERT;
};

class AlertWindow : public BWindow {
public:
    AlertWindow(const AlertContents& contents, std::shared_ptr<AlertAnswer> answer);
    ~AlertWindow() override;

    // The close box answers as the Escape key would, if a button has it; else it is ignored.
    bool QuitRequested() override;

    // On the window's thread: answers index and ends the window.
    void _Answer(int32 index);

private:
    std::shared_ptr<AlertAnswer> fAnswer;
    int32 fEscapeIndex = -1;
    bool fAnswered = false;
};

} // namespace BPrivate
