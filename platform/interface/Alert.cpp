#include <Alert.h>

#include <Application.h>
#include <OS.h>
#include <Window.h>

#include "AlertWindow.h"
#include "Display.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>

BAlert::BAlert(const char* title, const char* text, const char* button0, const char* button1,
               const char* button2, button_width width, alert_type type)
    : fTitle(title ? title : ""), fText(text ? text : ""), fWidth(width), fType(type)
{
    // Button 0 always exists; the others only when they are given.
    fLabels[fButtonCount++] = button0 ? button0 : "";
    if (button1 != nullptr)
        fLabels[fButtonCount++] = button1;
    if (button1 != nullptr && button2 != nullptr)
        fLabels[fButtonCount++] = button2;
}

BAlert::~BAlert() = default;

void BAlert::SetShortcut(int32 index, char key)
{
    if (index >= 0 && index < fButtonCount)
        fShortcuts[index] = key;
}

char BAlert::Shortcut(int32 index) const
{
    return index >= 0 && index < fButtonCount ? fShortcuts[index] : 0;
}

const char* BAlert::ButtonLabel(int32 index) const
{
    return index >= 0 && index < fButtonCount ? fLabels[index].c_str() : nullptr;
}

BWindow* BPrivate::alert_window_of(const BAlert* alert)
{
    return alert != nullptr ? alert->fWindow.load() : nullptr;
}

bool BAlert::_ShowsWindow()
{
    const char* form = getenv("BE_ALERT");
    if (be_app == nullptr || (form != nullptr && strcmp(form, "terminal") == 0))
        return false;
    if (form != nullptr && strcmp(form, "window") == 0)
        return true;
    // Nobody could press a button of a window on the offscreen display: a program run
    // without a window system would wait for ever.
    return strcmp(BPrivate::display()->Name(), "offscreen") != 0;
}

int32 BAlert::Go()
{
    if (!_ShowsWindow())
        return _GoInTerminal();

    BPrivate::AlertContents contents;
    contents.title = fTitle;
    contents.text = fText;
    for (int32 i = 0; i < fButtonCount; i++) {
        contents.labels[i] = fLabels[i];
        contents.shortcuts[i] = fShortcuts[i];
    }
    contents.buttonCount = fButtonCount;
    contents.width = fWidth;
    contents.type = fType;
    auto answer = std::make_shared<BPrivate::AlertAnswer>();
    auto* window = new BPrivate::AlertWindow(contents, answer);
    fWindow = window;
    window->Show();

    // A window calling shows what it drew before it asked. Its thread is this one and holds
    // the window's lock, so nothing else can change what it shows while the alert is up: one
    // update now is all the waiting needs.
    if (auto* caller = dynamic_cast<BWindow*>(BLooper::LooperForThread(find_thread(nullptr))))
        caller->UpdateIfNeeded();
    int32 index;
    {
        std::unique_lock<std::mutex> lock(answer->lock);
        answer->answered.wait(lock, [&] { return answer->index >= 0; });
        index = answer->index;
    }
    fWindow = nullptr;
    delete this;
    return index;
}

int32 BAlert::_GoInTerminal()
{
    // No window system: tell the terminal in one message, as command-line programs do, and
    // answer as a user who read it and pressed the first button.
    std::string_view text(fText);
    // Alerts often repeat their title as the first paragraph of their text; say it once.
    if (!fTitle.empty() && text.starts_with(fTitle))
        text.remove_prefix(fTitle.size());
    std::string report = program_invocation_short_name;
    report.append(": ");
    if (text.find_first_not_of(" \n") == std::string_view::npos)
        text = fTitle;
    // Its lines and paragraphs run on as one.
    bool space = false;
    for (char c : text.substr(std::min(text.size(), text.find_first_not_of(" \n")))) {
        if (c == '\n' || c == ' ') {
            space = true;
            continue;
        }
        if (space)
            report += ' ';
        space = false;
        report += c;
    }
    report.append("\n");
    fputs(report.c_str(), stderr);
    fflush(stderr);
    delete this;
    return 0;
}
