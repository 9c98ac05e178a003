#pragma once

// The application's alerts: one caption for all, the caption repeated as the first paragraph
// of the text, and button shortcuts taken from the labels.

#include <Alert.h>
#include <SupportDefs.h>

#include <string>

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
std::string replace_all(std::string text, const std::string& placeholder,
                        const std::string& value);
