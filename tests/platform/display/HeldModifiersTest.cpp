// modifiers() early in a program, before any window: the keys held on the X server, each
// with its side, so that a program can look at what the user holds while it starts.

#include "LooperTestSupport.h"
#include "X11Connection.h"

#include <InterfaceDefs.h>

#include <gtest/gtest.h>

#include <vector>

using namespace display_test;

TEST(HeldModifiers, AreTheKeysHeldOnTheServerBeforeAnyWindow)
{
    looper_test::Watchdog watchdog(std::chrono::seconds(30));
    X11Connection x11;
    ASSERT_TRUE(x11.IsOpen()) << "this test needs an X server: run it through scripts/with-xvfb";
    if (!x11.CanFakeInput())
        GTEST_SKIP() << "libXtst.so.6 is not installed: no real keys can be held";
    const struct {
        std::vector<const char*> keys;
        uint32 expected;
    } kCases[] = {
        {{}, 0},
        {{"Shift_L", "Alt_L", "Control_L", "Super_L"},
         B_SHIFT_KEY | B_LEFT_SHIFT_KEY | B_COMMAND_KEY | B_LEFT_COMMAND_KEY | B_CONTROL_KEY |
             B_LEFT_CONTROL_KEY | B_OPTION_KEY | B_LEFT_OPTION_KEY},
        {{"Shift_R", "Control_R", "Super_R"},
         B_SHIFT_KEY | B_RIGHT_SHIFT_KEY | B_CONTROL_KEY | B_RIGHT_CONTROL_KEY | B_OPTION_KEY |
             B_RIGHT_OPTION_KEY},
    };
    const uint32 kKeys = ~(uint32)(B_CAPS_LOCK | B_NUM_LOCK | B_SCROLL_LOCK);
    for (const auto& row : kCases) {
        SCOPED_TRACE(row.keys.empty() ? "nothing" : row.keys.back());
        for (const char* key : row.keys)
            ASSERT_TRUE(x11.FakeKey(key, true)) << key;
        EXPECT_EQ(modifiers() & kKeys, row.expected);
        for (const char* key : row.keys)
            x11.FakeKey(key, false);
    }
}
