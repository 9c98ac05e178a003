#pragma once

// A field of a received message for a comparison, or a value no message carries (-1, "") when
// it has none, so that a missing field fails the comparison instead of the test.

#include <Message.h>

#include <string>

inline int32 int32_of(const BMessage& message, const char* name)
{
    int32 value = -1;
    message.FindInt32(name, &value);
    return value;
}

inline std::string string_of(const BMessage& message, const char* name)
{
    const char* value = "";
    message.FindString(name, &value);
    return value;
}
