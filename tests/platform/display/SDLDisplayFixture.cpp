#include "SDLDisplayFixture.h"

#include "ChildProcess.h"

namespace display_test {

void MessageLog::DispatchMessage(BMessage* message, BHandler* handler)
{
    {
        std::lock_guard lock(fLock);
        fEntries.push_back(Entry{*message, message->WasDropped()});
    }
    fArrived.notify_all();
    // The close box asks the window to quit; the log stays to record what comes after.
    if (message->what == B_QUIT_REQUESTED)
        return;
    BLooper::DispatchMessage(message, handler);
}

std::vector<MessageLog::Entry> MessageLog::WaitFor(uint32 what, size_t count,
                                                   std::chrono::milliseconds limit)
{
    std::unique_lock lock(fLock);
    auto matching = [&] {
        std::vector<Entry> found;
        for (const Entry& entry : fEntries) {
            if (entry.message.what == what)
                found.push_back(entry);
        }
        return found;
    };
    fArrived.wait_for(lock, limit, [&] { return matching().size() >= count; });
    return matching();
}

std::vector<MessageLog::Entry> MessageLog::Of(uint32 what)
{
    return WaitFor(what, 0, 0ms);
}

std::vector<MessageLog::Entry> MessageLog::All()
{
    std::lock_guard lock(fLock);
    return fEntries;
}

void SDLDisplayTest::SetUp()
{
    fX = std::make_unique<X11Connection>();
    ASSERT_TRUE(fX->IsOpen()) << "these tests need an X server: run them through "
                                 "scripts/with-xvfb";
    fDisplay = BPrivate::make_sdl_display();
    ASSERT_NE(fDisplay, nullptr) << "the SDL display did not start on " << getenv("DISPLAY");
    EXPECT_STREQ(fDisplay->Name(), "sdl");
    fLog = new MessageLog;
    fLog->Run();
}

void SDLDisplayTest::TearDown()
{
    fDisplay.reset();
    if (fLog != nullptr)
        fOtherLogs.push_back(fLog);
    for (MessageLog* log : fOtherLogs) {
        log->Lock();
        log->Quit();
    }
}

MessageLog* SDLDisplayTest::AddLog()
{
    auto* log = new MessageLog;
    log->Run();
    fOtherLogs.push_back(log);
    return log;
}

BPrivate::display_window_id SDLDisplayTest::OpenWindow(const char* title, BRect frame, bool show,
                                                       BPrivate::display_window_kind kind,
                                                       bool avoidFocus, MessageLog* log)
{
    BPrivate::DisplayWindowConfig config;
    config.frame = frame;
    config.title = title;
    config.kind = kind;
    config.avoidFocus = avoidFocus;
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
    std::vector<uint32_t> pixels((size_t)width * height);
    for (int y = 0; y < height; y++) {
        for (int x = 0; x < width; x++) {
            bool left = x < width / 2, top = y < height / 2;
            uint32_t color = top ? (left ? colors.leftTop : colors.rightTop)
                                 : (left ? colors.leftBottom : colors.rightBottom);
            pixels[(size_t)y * width + x] = 0xff000000 | color;
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

int run_program(const std::vector<std::string>& arguments, std::string* errors)
{
    TempFolder folder;
    const int status = run_process(arguments, folder / "output");
    if (errors != nullptr)
        *errors = TempFolder::ReadText(folder / "output");
    return status;
}

} // namespace display_test
