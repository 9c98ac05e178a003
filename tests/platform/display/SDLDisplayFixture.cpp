#include "SDLDisplayFixture.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>

extern char** environ;

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
    int pipeEnds[2];
    if (arguments.empty() || pipe2(pipeEnds, O_CLOEXEC) != 0)
        return -1;
    std::vector<char*> argv;
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDERR_FILENO);
    pid_t child = -1;
    int spawned = posix_spawn(&child, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(pipeEnds[1]);

    std::string output;
    char buffer[512];
    ssize_t got;
    while ((got = read(pipeEnds[0], buffer, sizeof(buffer))) > 0 || (got < 0 && errno == EINTR)) {
        if (got > 0)
            output.append(buffer, (size_t)got);
    }
    close(pipeEnds[0]);
    if (errors != nullptr)
        *errors = output;
    if (spawned != 0)
        return -1;
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TempFolder::TempFolder()
{
    char pattern[] = "/tmp/sdl-display-test-XXXXXX";
    if (mkdtemp(pattern) != nullptr)
        fPath = pattern;
}

TempFolder::~TempFolder()
{
    if (!fPath.empty()) {
        std::error_code ignored;
        std::filesystem::remove_all(fPath, ignored);
    }
}

std::string TempFolder::AddFile(const std::string& name)
{
    std::string path = fPath + "/" + name;
    std::ofstream(path) << "MThd, or so: " << name << "\n";
    return path;
}

} // namespace display_test
