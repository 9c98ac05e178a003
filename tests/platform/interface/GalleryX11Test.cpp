// The gallery as a user meets it: a real program with a real window on an X server, files
// dropped on it by another X client through the drag-and-drop protocol, and the close box.

#include "ChildProcess.h"
#include "GoldenImage.h"
#include "LooperTestSupport.h"
#include "TempFolder.h"
#include "X11Connection.h"
#include "XdndDragSource.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <unistd.h>

using namespace display_test;
using namespace std::chrono_literals;

namespace {

// The gallery program, its standard output in a pipe. Leaks are checked by the tests that run
// the kit in their own process; here only the drop matters, and SDL's own caches would be
// reported at exit. The text libraries' own locking is invisible to ThreadSanitizer, as in
// those tests.
bool start_gallery(ChildProcess& gallery)
{
    return gallery.StartTalking(
        {GALLERY},
        {"ASAN_OPTIONS=detect_leaks=0", "TSAN_OPTIONS=suppressions=" GALLERY_TSAN_SUPPRESSIONS});
}

} // namespace

TEST(GalleryOnX11, ShowsItsWindowTakesARealDropAndClosesByTheCloseBox)
{
    X11Connection x11;
    ASSERT_TRUE(x11.IsOpen()) << "no X server";
    ChildProcess gallery;
    ASSERT_TRUE(start_gallery(gallery));
    const XWindowID window = x11.FindWindow("Gallery", 10000ms);
    ASSERT_NE(window, 0u) << "the gallery's window did not appear";

    // What the screen shows is what the kit drew: the same as the offscreen golden.
    XPicture picture;
    ASSERT_TRUE(looper_test::eventually(
        [&] { return x11.Capture(window, picture) && (picture.At(5, 30) & 0xffffff) == 0xd8d8d8; },
        2000ms));
    BPrivate::DisplayFrame frame;
    frame.width = picture.width;
    frame.height = picture.height;
    for (uint32_t pixel : picture.pixels)
        frame.pixels.push_back(0xff000000u | pixel);
    EXPECT_TRUE(matches_golden(frame, "gallery"));

    // Two files dropped on the drop zone (lower right of the window).
    TempFolder folder;
    const std::string first = folder.WriteText("first song.mid", "");
    const std::string second = folder.WriteText("second.mid", "");
    XdndDragSource source(x11);
    EXPECT_EQ(source.Drop(window, 420, 320, {first, second}, 5000ms), "");
    EXPECT_EQ(gallery.ReadLine(5000ms), "dropped: " + first);
    EXPECT_EQ(gallery.ReadLine(5000ms), "dropped: " + second);

    ASSERT_TRUE(x11.RequestClose(window));
    EXPECT_EQ(gallery.WaitForExit(10000ms), 0);
}
