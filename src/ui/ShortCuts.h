#pragma once

// Accelerator letters written into labels, and the key presses that use them.

#include <MessageFilter.h>

#include <string>

class BHandler;

// label with key placed as format says: byte 0 of format puts the filled-in template in
// front (0x01) or after the label's text (before a trailing marker such as "..." or ":");
// the rest is the template, whose first "a" stands for the key. An empty format adds nothing.
std::string merge_accelerator_key(const std::string& format, const std::string& key,
                                  const std::string& label);

// merge_accelerator_key with the application's current format.
std::string acc_label(const std::string& key, const std::string& label);

// The lower-case accelerator letter that label carries in one of the label formats
// ("Quit(Q)", "Q) Quit", "Q・Quit", "Q - Quit"), or 0.
char short_cut_from_label(const std::string& label);

// Sends the key presses a dialog's top view handles itself (with Control, Escape, Enter, the
// function key) to handler, or to the window the filter is on when handler is null; every
// other key goes on to the focus view.
class TShortCutFilter : public BMessageFilter {
public:
    explicit TShortCutFilter(BHandler* handler);
    ~TShortCutFilter() override;

    // Always B_DISPATCH_MESSAGE.
    filter_result Filter(BMessage* message, BHandler** target) override;

    // Whether the filter redirects this key-down message.
    static bool IsShortCut(const BMessage* message);

private:
    BHandler* fHandler;
};
