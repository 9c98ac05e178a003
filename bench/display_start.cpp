// Start-up of the display layer alone under a real X server: the time from starting a
// process that opens the SDL display and shows one window with one frame (display_window) to
// the moment that frame is on the screen, read back from the X server as another client sees
// it; and the process's peak resident memory. The same measure for a whole one-window
// program is window_start's. Run: scripts/with-xvfb build/default/bin/display_start [RUNS]

#include "X11Connection.h"

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

struct Sample {
    double milliseconds = -1;
    double peakMegabytes = 0;
};

bool shows_frame(display_test::X11Connection& x11, display_test::XWindowID window)
{
    display_test::XPicture picture;
    return x11.Capture(window, picture) && picture.width == 350 && picture.height == 150 &&
           picture.At(349, 149) == 0xd8d8d8;
}

Sample measure_once(display_test::X11Connection& x11)
{
    Sample sample;
    Clock::time_point start = Clock::now();
    pid_t child = fork();
    if (child == 0) {
        execl(DISPLAY_WINDOW, "display_window", (char*)nullptr);
        _exit(127);
    }
    display_test::XWindowID window = 0;
    while (Clock::now() - start < std::chrono::seconds(10)) {
        if (window == 0)
            window = x11.FindWindow("Display Window");
        if (window != 0 && shows_frame(x11, window)) {
            sample.milliseconds =
                std::chrono::duration<double, std::milli>(Clock::now() - start).count();
            break;
        }
        std::this_thread::sleep_for(std::chrono::microseconds(500));
    }
    // A moment more, so that the peak is that of a program that has settled, not one cut
    // short just after its first frame.
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    kill(child, SIGTERM);
    int status = 0;
    rusage usage{};
    wait4(child, &status, 0, &usage);
    sample.peakMegabytes = usage.ru_maxrss / 1024.0;
    return sample;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    size_t middle = values.size() / 2;
    return values.size() % 2 != 0 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

} // namespace

int main(int argc, char** argv)
{
    int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 20;
    display_test::X11Connection x11;
    if (!x11.IsOpen()) {
        fprintf(stderr, "display_start: no X server (run it under scripts/with-xvfb)\n");
        return 1;
    }
    std::vector<double> times, peaks;
    for (int i = 0; i < runs; i++) {
        Sample sample = measure_once(x11);
        if (sample.milliseconds < 0) {
            fprintf(stderr, "display_start: run %d showed no frame within 10 s\n", i + 1);
            return 1;
        }
        printf("run %2d: first frame after %6.1f ms, peak resident %5.1f MB\n", i + 1,
               sample.milliseconds, sample.peakMegabytes);
        times.push_back(sample.milliseconds);
        peaks.push_back(sample.peakMegabytes);
    }
    printf("display layer, process start to first frame: median %.1f ms (min %.1f, max %.1f) "
           "over %d runs\n",
           median(times), *std::min_element(times.begin(), times.end()),
           *std::max_element(times.begin(), times.end()), runs);
    printf("display layer, peak resident: median %.1f MB (max %.1f)\n", median(peaks),
           *std::max_element(peaks.begin(), peaks.end()));
    return 0;
}
