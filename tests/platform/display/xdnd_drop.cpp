// Drops files on a window of the X display, as a file manager would, or takes a picture of a
// window or of the whole screen. Nothing in Debian performs a real drop under Xvfb; this does,
// for the tests and for anyone who wants to see what a window makes of a drop.
//
//   xdnd_drop --window-title TITLE --at X Y [--timeout SECONDS] FILE...
//   xdnd_drop --screenshot OUT.png [--window-title TITLE] [--timeout SECONDS]
//
// X Y is a point of the window's content. Exit status: 0 done, 1 failed (the reason on
// standard error), 2 wrong usage.

#include "X11Connection.h"
#include "XdndDragSource.h"

#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

using namespace display_test;

namespace {

int usage(const char* why)
{
    fprintf(stderr,
            "xdnd_drop: %s\n"
            "usage: xdnd_drop --window-title TITLE --at X Y [--timeout SECONDS] FILE...\n"
            "       xdnd_drop --screenshot OUT.png [--window-title TITLE] [--timeout SECONDS]\n",
            why);
    return 2;
}

bool parse_int(const char* text, long min, long max, long* value)
{
    const char* end = text + strlen(text);
    const auto [rest, error] = std::from_chars(text, end, *value);
    return error == std::errc() && rest == end && *value >= min && *value <= max;
}

// Relative to the current folder, as a shell user means it.
std::string absolute(const std::string& path)
{
    return std::filesystem::absolute(path).string();
}

} // namespace

int main(int argc, char** argv)
{
    std::string title;
    std::string screenshot;
    bool haveTitle = false;
    bool havePoint = false;
    long x = 0, y = 0, seconds = 5;
    std::vector<std::string> files;

    for (int i = 1; i < argc; i++) {
        std::string argument = argv[i];
        if (argument == "--window-title" && i + 1 < argc) {
            title = argv[++i];
            haveTitle = true;
        } else if (argument == "--at" && i + 2 < argc) {
            if (!parse_int(argv[i + 1], -32768, 32767, &x) ||
                !parse_int(argv[i + 2], -32768, 32767, &y))
                return usage("--at takes two whole numbers");
            i += 2;
            havePoint = true;
        } else if (argument == "--timeout" && i + 1 < argc) {
            if (!parse_int(argv[++i], 1, 3600, &seconds))
                return usage("--timeout takes whole seconds, 1 to 3600");
        } else if (argument == "--screenshot" && i + 1 < argc) {
            screenshot = argv[++i];
        } else if (argument == "--") {
            for (i++; i < argc; i++)
                files.push_back(absolute(argv[i]));
        } else if (argument.size() > 1 && argument[0] == '-') {
            return usage(("unknown or incomplete option " + argument).c_str());
        } else {
            files.push_back(absolute(argument));
        }
    }
    bool dropping = !files.empty() || havePoint;
    if (screenshot.empty() == !dropping)
        return usage("either drop files or take a screenshot");
    if (dropping && (!haveTitle || !havePoint || files.empty()))
        return usage("a drop needs --window-title, --at and at least one file");

    X11Connection connection;
    if (!connection.IsOpen()) {
        const char* name = getenv("DISPLAY");
        fprintf(stderr, "xdnd_drop: cannot connect to the X display \"%s\"\n",
                name != nullptr ? name : "");
        return 1;
    }
    auto limit = std::chrono::seconds(seconds);

    XWindowID window = connection.Root();
    if (haveTitle) {
        window = connection.FindWindow(title, limit);
        if (window == 0) {
            fprintf(stderr, "xdnd_drop: no window titled \"%s\" appeared within %ld s\n",
                    title.c_str(), seconds);
            return 1;
        }
    }

    if (!screenshot.empty()) {
        XPicture picture;
        if (!connection.Capture(window, picture)) {
            fprintf(stderr, "xdnd_drop: no screenshot: the window is not on the screen\n");
            return 1;
        }
        if (!picture.WritePNG(screenshot)) {
            fprintf(stderr, "xdnd_drop: could not write %s\n", screenshot.c_str());
            return 1;
        }
        return 0;
    }

    XdndDragSource source(connection);
    std::string error = source.Drop(window, (int)x, (int)y, files, limit);
    if (!error.empty()) {
        fprintf(stderr, "xdnd_drop: the drop on \"%s\" failed: %s\n", title.c_str(), error.c_str());
        return 1;
    }
    return 0;
}
