#include "ui/ShortCuts.h"

#include "settings/Prefs.h"

#include <AppDefs.h>
#include <InterfaceDefs.h>
#include <Looper.h>
#include <Message.h>

#include <cctype>

namespace {

// Placement byte that puts the filled-in template in front of the label.
constexpr char kPlaceInFront = 0x01;

// Where a template placed after the label goes: before the first of these that the label
// holds, tried in this order.
const char* const kMarkers[] = {"...", "[", "\uFF1A", ":", ">>", "<<", "\u2192", "\u2190"};

size_t insertion_point(const std::string& label)
{
    for (const char* marker : kMarkers) {
        size_t at = label.find(marker);
        if (at == std::string::npos)
            continue;
        while (at > 0 && label[at - 1] == ' ')
            at--;
        return at;
    }
    return label.size();
}

} // namespace

std::string merge_accelerator_key(const std::string& format, const std::string& key,
                                  const std::string& label)
{
    // The format comes from a shared file and from other applications' broadcasts: the
    // template's "a" is looked for after the placement byte only, so that a format starting
    // with "a" never points before the template.
    std::string filled;
    const size_t at = format.find('a', 1);
    if (at != std::string::npos) {
        filled = format.substr(1);
        filled.replace(at - 1, 1, key);
    }
    const char placement = format.empty() ? 0 : format[0];
    if (placement == kPlaceInFront)
        return filled + label;
    std::string result = label;
    result.insert(insertion_point(label), filled);
    return result;
}

std::string acc_label(const std::string& key, const std::string& label)
{
    return merge_accelerator_key(gAppPrivacy->AccFormat(), key, label);
}

char short_cut_from_label(const std::string& label)
{
    size_t open = label.rfind('(');
    size_t close = label.rfind(')');
    char letter = 0;
    if (open != std::string::npos && close != std::string::npos && close == open + 2) {
        letter = label[open + 1];
    } else if (label.size() > 1 &&
               (label[1] == ')' || label[1] == ' ' || label.compare(1, 3, "\u30FB") == 0)) {
        letter = label[0];
    } else {
        return 0;
    }
    return (char)tolower((unsigned char)letter);
}

TShortCutFilter::TShortCutFilter(BHandler* handler) : BMessageFilter(B_KEY_DOWN), fHandler(handler)
{
}

TShortCutFilter::~TShortCutFilter() = default;

bool TShortCutFilter::IsShortCut(const BMessage* message)
{
    int32 modifierState = 0;
    int32 rawChar = 0;
    message->FindInt32("modifiers", &modifierState);
    message->FindInt32("raw_char", &rawChar);
    return (modifierState & B_CONTROL_KEY) != 0 || rawChar == B_ESCAPE || rawChar == B_ENTER ||
           rawChar == B_FUNCTION_KEY;
}

filter_result TShortCutFilter::Filter(BMessage* message, BHandler** target)
{
    if (IsShortCut(message))
        *target = fHandler != nullptr ? fHandler : Looper();
    return B_DISPATCH_MESSAGE;
}
