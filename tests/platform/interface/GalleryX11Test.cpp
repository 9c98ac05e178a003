// The gallery as a user meets it: a real program with a real window on an X server, files
// dropped on it by another X client through the drag-and-drop protocol, and the close box.

#include "GoldenImage.h"
#include "LooperTestSupport.h"
#include "X11Connection.h"
#include "XdndDragSource.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

using namespace display_test;
using namespace std::chrono_literals;

namespace {

// The gallery program, with its standard output in a pipe.
class GalleryProcess {
public:
    GalleryProcess()
    {
        int fds[2];
        if (pipe(fds) != 0)
            return;
        fPid = fork();
        if (fPid == 0) {
            dup2(fds[1], STDOUT_FILENO);
            close(fds[0]);
            close(fds[1]);
            // Leaks are checked by the tests that run the kit in their own process; here
            // only the drop matters, and SDL's own caches would be reported at exit. The
            // text libraries' own locking is invisible to ThreadSanitizer, as in those tests.
            setenv("ASAN_OPTIONS", "detect_leaks=0", 1);
            setenv("TSAN_OPTIONS", "suppressions=" GALLERY_TSAN_SUPPRESSIONS, 1);
            execl(GALLERY, "gallery", (char*)nullptr);
            _exit(127);
        }
        close(fds[1]);
        fOutput = fds[0];
    }
    ~GalleryProcess()
    {
        if (fPid > 0 && !fEnded) {
            kill(fPid, SIGKILL);
            waitpid(fPid, nullptr, 0);
        }
        if (fOutput >= 0)
            close(fOutput);
    }

    // The next line the gallery writes, or "" when none came within the limit.
    std::string ReadLine(std::chrono::milliseconds limit)
    {
        const auto end = std::chrono::steady_clock::now() + limit;
        while (std::chrono::steady_clock::now() < end) {
            const size_t newline = fBuffer.find('\n');
            if (newline != std::string::npos) {
                std::string line = fBuffer.substr(0, newline);
                fBuffer.erase(0, newline + 1);
                return line;
            }
            pollfd wait = {fOutput, POLLIN, 0};
            if (poll(&wait, 1, 50) <= 0)
                continue;
            char chunk[256];
            const ssize_t got = read(fOutput, chunk, sizeof(chunk));
            if (got <= 0)
                break;
            fBuffer.append(chunk, (size_t)got);
        }
        return "";
    }

    // The exit status once the program ended by itself within the limit, else -1.
    int WaitForExit(std::chrono::milliseconds limit)
    {
        int status = 0;
        fEnded =
            looper_test::eventually([&] { return waitpid(fPid, &status, WNOHANG) == fPid; }, limit);
        if (!fEnded)
            return -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128;
    }

private:
    pid_t fPid = -1;
    int fOutput = -1;
    bool fEnded = false;
    std::string fBuffer;
};

} // namespace

TEST(GalleryOnX11, ShowsItsWindowTakesARealDropAndClosesByTheCloseBox)
{
    X11Connection x11;
    ASSERT_TRUE(x11.IsOpen()) << "no X server";
    GalleryProcess gallery;
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
    std::string pattern = ::testing::TempDir() + "galleryXXXXXX";
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    const std::string folder = pattern;
    const std::string first = folder + "/first song.mid";
    const std::string second = folder + "/second.mid";
    for (const std::string& path : {first, second}) {
        FILE* file = fopen(path.c_str(), "w");
        ASSERT_NE(file, nullptr);
        fclose(file);
    }
    XdndDragSource source(x11);
    EXPECT_EQ(source.Drop(window, 420, 320, {first, second}, 5000ms), "");
    EXPECT_EQ(gallery.ReadLine(5000ms), "dropped: " + first);
    EXPECT_EQ(gallery.ReadLine(5000ms), "dropped: " + second);

    ASSERT_TRUE(x11.RequestClose(window));
    EXPECT_EQ(gallery.WaitForExit(10000ms), 0);
    unlink(first.c_str());
    unlink(second.c_str());
    rmdir(folder.c_str());
}
