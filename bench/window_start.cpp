// Start-up of a one-window program under a real X server: the time from starting the process
// to the moment its window shows its first frame on the screen (seen by reading the window's
// pixels from the X server, as a user would see them), and the process's peak resident
// memory. Measures the whole kit (one_window_app), with --display-layer the display layer
// alone (display_window), or with --cadenzo the application itself to its main window. Run
// under an X server, e.g.:
//   scripts/with-xvfb build/default/bin/window_start [--display-layer | --cadenzo] [RUNS]

#include "X11Connection.h"

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

struct Run {
    double milliseconds = -1;
    long peakKilobytes = 0;
};

// What is measured: a program and the title of its window, whose panel grey shows at the
// right bottom corner once its first frame is on the screen. A size of 0 is not checked (the
// main window's height follows its menu bar's font).
struct Subject {
    const char* program;
    const char* title;
    const char* what;
    int width;
    int height;
};

const Subject kWholeKit = {ONE_WINDOW_APP, "One Window", "one-window program", 350, 150};
const Subject kDisplayLayer = {DISPLAY_WINDOW, "Display Window", "display layer", 350, 150};
const Subject kCadenzo = {CADENZO, "Cadenzo", "cadenzo", 351, 0};

bool shows_first_frame(display_test::X11Connection& x11, display_test::XWindowID window,
                       const Subject& subject)
{
    display_test::XPicture picture;
    return x11.Capture(window, picture) && picture.width > 0 && picture.height > 0 &&
           (subject.width == 0 || picture.width == subject.width) &&
           (subject.height == 0 || picture.height == subject.height) &&
           (picture.At(picture.width - 1, picture.height - 1) & 0xffffff) == 0xd8d8d8;
}

Run run_once(display_test::X11Connection& x11, const Subject& subject)
{
    Run run;
    const Clock::time_point start = Clock::now();
    const pid_t child = fork();
    if (child == 0) {
        execl(subject.program, subject.program, (char*)nullptr);
        _exit(127);
    }
    display_test::XWindowID window = 0;
    while (Clock::now() - start < std::chrono::seconds(10)) {
        if (window == 0)
            window = x11.FindWindow(subject.title);
        if (window != 0 && shows_first_frame(x11, window, subject)) {
            run.milliseconds =
                std::chrono::duration<double, std::milli>(Clock::now() - start).count();
            break;
        }
        std::this_thread::sleep_for(std::chrono::microseconds(500));
    }
    // Let it settle as a started program would, so its peak memory is its steady one.
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    kill(child, SIGTERM);
    int status;
    rusage usage{};
    wait4(child, &status, 0, &usage);
    run.peakKilobytes = usage.ru_maxrss;
    return run;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int main(int argc, char** argv)
{
    const Subject* subject = &kWholeKit;
    int runs = 20;
    for (int i = 1; i < argc; i++) {
        if (strcmp(argv[i], "--display-layer") == 0)
            subject = &kDisplayLayer;
        else if (strcmp(argv[i], "--cadenzo") == 0)
            subject = &kCadenzo;
        else
            runs = std::max(1, atoi(argv[i]));
    }
    // The application opens at the corner its settings remember: settings of the run's own.
    char settings[] = "/tmp/window_start.XXXXXX";
    if (mkdtemp(settings) != nullptr)
        setenv("XDG_CONFIG_HOME", settings, 1);
    display_test::X11Connection x11;
    if (!x11.IsOpen()) {
        fprintf(stderr, "window_start: no X server (run it under scripts/with-xvfb)\n");
        return 1;
    }
    std::vector<double> times;
    std::vector<double> peaks;
    for (int i = 0; i < runs; i++) {
        const Run run = run_once(x11, *subject);
        if (run.milliseconds < 0) {
            fprintf(stderr, "window_start: run %d: no frame within 10 s\n", i + 1);
            return 1;
        }
        printf("run %2d: first frame after %6.1f ms, peak resident %5.1f MB\n", i + 1,
               run.milliseconds, run.peakKilobytes / 1024.0);
        times.push_back(run.milliseconds);
        peaks.push_back(run.peakKilobytes / 1024.0);
    }
    printf("%s, process start to first frame: median %.1f ms (min %.1f, max %.1f) over %d "
           "runs\n",
           subject->what, median(times), *std::min_element(times.begin(), times.end()),
           *std::max_element(times.begin(), times.end()), runs);
    printf("%s, peak resident: median %.1f MB (max %.1f)\n", subject->what, median(peaks),
           *std::max_element(peaks.begin(), peaks.end()));
    std::error_code ignored;
    std::filesystem::remove_all(settings, ignored);
    return 0;
}
