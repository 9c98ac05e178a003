#pragma once

// What the application kit's suites share beyond the looper support: quitting a running looper
// from outside it, and a message's flattened bytes for whole-message comparisons.

#include <Looper.h>
#include <Message.h>

#include <gtest/gtest.h>

#include <vector>

namespace app_test {

// Quits a running looper from the test's thread, as code outside the looper does.
inline void quit(BLooper* looper)
{
    ASSERT_TRUE(looper->Lock());
    looper->Quit();
}

inline std::vector<char> flatten(const BMessage& message)
{
    std::vector<char> bytes((size_t)message.FlattenedSize());
    EXPECT_EQ(message.Flatten(bytes.data(), (ssize_t)bytes.size()), B_OK);
    return bytes;
}

} // namespace app_test
