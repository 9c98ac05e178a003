#include "SDLDisplayFixture.h"

#include "ChildProcess.h"

#include <algorithm>
#include <cstdio>
#include <iterator>

namespace display_test {

void WindowLog::DispatchMessage(BMessage* message, BHandler* handler)
{
    {
        std::lock_guard lock(fLock);
        fMessages.push_back(*message);
    }
    fArrived.notify_all();
    // The close box asks the window to quit; the log stays to record what comes after.
    if (message->what != B_QUIT_REQUESTED)
        BLooper::DispatchMessage(message, handler);
}

std::vector<BMessage> WindowLog::WaitFor(uint32 what, size_t count, std::chrono::milliseconds limit)
{
    std::vector<BMessage> found;
    std::unique_lock lock(fLock);
    fArrived.wait_for(lock, limit, [&] {
        found.clear();
        std::copy_if(fMessages.begin(), fMessages.end(), std::back_inserter(found),
                     [&](const BMessage& message) { return message.what == what; });
        return found.size() >= count;
    });
    return found;
}

std::vector<BMessage> WindowLog::All()
{
    std::lock_guard lock(fLock);
    return fMessages;
}

std::string corners(int width, int height, const Quarters& colors)
{
    char text[64];
    snprintf(text, sizeof(text), "%dx%d %06x %06x %06x %06x", width, height, colors.leftTop,
             colors.rightTop, colors.leftBottom, colors.rightBottom);
    return text;
}

std::string corners(const XPicture& picture)
{
    if (picture.pixels.empty())
        return "no picture";
    const int right = picture.width - 1, bottom = picture.height - 1;
    return corners(picture.width, picture.height,
                   Quarters{picture.At(0, 0), picture.At(right, 0), picture.At(0, bottom),
                            picture.At(right, bottom)});
}

BPoint point_of(const BMessage& message, const char* name)
{
    BPoint point(-1, -1);
    message.FindPoint(name, &point);
    return point;
}

std::vector<std::string> paths_of(const BMessage& message)
{
    std::vector<std::string> paths;
    entry_ref ref;
    for (int32 i = 0; message.FindRef("refs", i, &ref) == B_OK; i++)
        paths.push_back(ref.directory + "/" + ref.name); // a folder without its trailing "/"
    return paths;
}

void SDLDisplayTest::SetUp()
{
    // The X server starts afresh when its last client leaves, as the previous test's may
    // just have done, and refuses connections meanwhile.
    ASSERT_TRUE(looper_test::eventually(
        [&] {
            fX = std::make_unique<X11Connection>();
            return fX->IsOpen();
        },
        5s))
        << "these tests need an X server: run them through scripts/with-xvfb";
    fDisplay = BPrivate::make_sdl_display();
    ASSERT_NE(fDisplay, nullptr) << "the SDL display did not start on " << getenv("DISPLAY");
    fLog = AddLog();
}

void SDLDisplayTest::TearDown()
{
    fDisplay.reset();
    for (WindowLog* log : fLogs) {
        log->Lock();
        log->Quit();
    }
}

WindowLog* SDLDisplayTest::AddLog()
{
    fLogs.push_back(new WindowLog);
    return fLogs.back();
}

BPrivate::display_window_id SDLDisplayTest::OpenWindow(const char* title, BRect frame, bool show,
                                                       BPrivate::display_window_kind kind,
                                                       WindowLog* log)
{
    BPrivate::DisplayWindowConfig config;
    config.frame = frame;
    config.title = title;
    config.kind = kind;
    config.target = BMessenger(log != nullptr ? log : fLog);
    BPrivate::display_window_id window = fDisplay->CreateWindow(config);
    if (show) {
        PresentQuarters(window, frame.IntegerWidth() + 1, frame.IntegerHeight() + 1);
        fDisplay->Show(window);
        EXPECT_TRUE(ShowsColor(title, 2, 2, Quarters().leftTop))
            << "the window \"" << title << "\" never showed its frame";
    }
    return window;
}

void SDLDisplayTest::PresentQuarters(BPrivate::display_window_id window, int width, int height,
                                     const Quarters& colors)
{
    std::vector<uint32_t> pixels;
    for (int y = 0; y < height; y++) {
        for (int x = 0; x < width; x++) {
            const bool left = x < width / 2;
            pixels.push_back(0xff000000 |
                             (y < height / 2 ? (left ? colors.leftTop : colors.rightTop)
                                             : (left ? colors.leftBottom : colors.rightBottom)));
        }
    }
    fDisplay->Present(window, reinterpret_cast<const uint8*>(pixels.data()), width, height,
                      width * 4);
}

bool SDLDisplayTest::ShowsColor(const char* title, int x, int y, uint32_t color,
                                std::chrono::milliseconds limit)
{
    return looper_test::eventually(
        [&] {
            XPicture picture;
            XWindowID window = fX->FindWindow(title);
            return window != 0 && fX->Capture(window, picture) && x < picture.width &&
                   y < picture.height && picture.At(x, y) == color;
        },
        limit);
}

XWindowID SDLDisplayTest::XWindowOf(const char* title)
{
    return fX->FindWindow(title, 5s);
}

XPicture SDLDisplayTest::PictureOf(const char* title)
{
    XPicture picture;
    fX->Capture(XWindowOf(title), picture);
    return picture;
}

int run_drop_tool(const std::vector<std::string>& arguments, std::string* errors)
{
    TempFolder folder;
    std::vector<std::string> command = {XDND_DROP};
    command.insert(command.end(), arguments.begin(), arguments.end());
    const int status = run_process(command, folder / "output");
    if (errors != nullptr)
        *errors = TempFolder::ReadText(folder / "output");
    return status;
}

} // namespace display_test
