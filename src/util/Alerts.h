#pragma once

// The application's alerts: one caption for all, the caption repeated as the first paragraph
// of the text, and button shortcuts taken from the labels.

#include <Alert.h>
#include <Message.h>
#include <SupportDefs.h>

#include <string>

class BButton;
class BCheckBox;
class BHandler;
class BMenuField;
class BRadioButton;
class BStringView;
class BTextControl;
class BWindow;
struct entry_ref;

// The catalogue text of "* %AppName% *" with the application's name put in.
std::string alert_caption();

// Shows an alert and returns the index of the button pressed. Buttons 1 and 2 exist only when
// their labels are not empty; the button at escapeIndex answers the Escape key, every other
// one the letter its label carries.
int32 show_alert3(const std::string& caption, const std::string& text, const std::string& button0,
                  const std::string& button1, const std::string& button2, int32 escapeIndex,
                  alert_type type);

// The catalogue text of key, or fallback when the catalogue has none.
std::string locale_text_with_default(const char* key, const char* fallback);

// The catalogue text of key, copied.
std::string locale_text(const char* key);

// Replaces every occurrence of placeholder in text.
std::string replace_all(std::string text, const std::string& placeholder, const std::string& value);

// Opens the document at path with the application the desktop prefers for its type: 0, -1
// when the file cannot be opened or typed, else the launch's error.
status_t show_help(const char* path);
// Opens a web page in the desktop's browser: 0 or the launch's error.
status_t show_url(const char* url);
// Opens argument with the application the desktop prefers for type: 0 or the launch's error.
status_t show_core(const char* type, const char* argument);

// The file a save panel's message names ("directory" and "name").
status_t get_save_ref(const BMessage* message, entry_ref* ref);

// Sends message to target while holding its looper's lock. Gives up with B_TIMED_OUT when
// the lock cannot be had, or the queue has no room, within a second; B_BAD_HANDLER for a
// target that is gone; else the send's status.
status_t send_message_with_lock(BHandler* target, BMessage message);

// Adds "NextMsg" (next) and "NextMsgTgt" (target) to message: 0.
status_t add_next_msg(BMessage* message, const BMessage& next, const BHandler* target);

// Removes and deletes every item of the field's menu.
void delete_mfield_mitems(BMenuField* field);

// Quits *window when it can be locked, and forgets it.
void close_window(BWindow** window);

// Shows button pressed for a moment, then invokes it. A disabled button only with force.
void click_button(BButton* button, bool force);

// Sizes a control to its label, measured in the control's own font.
void adjust_txt_ctrl_divider(BTextControl* control);
void adjust_mfield_divider(BMenuField* field);
void adjust_str_view_width(BStringView* view);
void adjust_cbox_width(BCheckBox* box);
void adjust_rbutton_width(BRadioButton* button);
void adjust_button_width(BButton* button);
