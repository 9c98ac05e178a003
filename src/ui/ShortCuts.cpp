#include "ShortCuts.h"

#include <cctype>

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
