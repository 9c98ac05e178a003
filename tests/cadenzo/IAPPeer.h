#pragma once

// What iap_peer, another application of the maker run by the common preferences tests, and
// the tests say to each other: words on its standard input, lines on its standard output.

#include <cstdio>
#include <string>

// A value as the peer reports it: its bytes in hexadecimal, "-" for none.
inline std::string hex(const std::string& bytes)
{
    std::string text;
    char digits[3];
    for (unsigned char byte : bytes) {
        snprintf(digits, sizeof(digits), "%02x", byte);
        text += digits;
    }
    return text.empty() ? "-" : text;
}
