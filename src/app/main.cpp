// Cadenzo: converts Standard MIDI Files into ".fem" files for the player piano.

#include "app/AppConstants.h"
#include "app/Batch.h"
#include "app/CadenzoApp.h"
#include "app/Catalogue.h"
#include "settings/Prefs.h"
#include "util/SafeFile.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

namespace {

// The one description of the command line: --help prints it, and the manual page says the
// same.
constexpr const char kUsage[] =
    "Usage: cadenzo [FILE...]\n"
    "       cadenzo --batch [OPTION...] FILE...\n"
    "Opens the window that converts the MIDI files dropped on it, and the FILEs named, into\n"
    ".fem files beside them. With --batch or any conversion option below, or without a window\n"
    "system, converts each FILE (a folder: the MIDI files in it) one after another in the\n"
    "terminal instead.\n"
    "\n"
    "Options:\n"
    "  --batch            convert in the terminal, without a window\n"
    "  --keep-going       convert every file even after one fails; without it, stop at the\n"
    "                     first failure\n"
    "  --quiet            print no progress lines (failures and warnings are still printed)\n"
    "  --jobs N           convert up to N files at once (1 to 64; the output is the same, and\n"
    "                     after a failure no new file is started)\n"
    "  --output-dir DIR   write the .fem files into DIR instead of beside their sources\n"
    "  --channels LIST    convert these channels only, for example 1-9,11-16\n"
    "  --max-velocity N   give the loudest note the velocity N (1 to 127)\n"
    "  --no-trim-head     keep the silence before the first note\n"
    "  --no-tail          add no tail of silence after the last note\n"
    "  --tail SECONDS     add a tail of SECONDS seconds (kept between 1 and 10)\n"
    "  -h, --help         print this help and exit\n"
    "  --version          print the version and exit\n"
    "  --                 every argument after it is a FILE\n"
    "The conversion options hold for this run only: the saved settings stay as they are.\n"
    "\n"
    "Exit status: 0 when every file was converted, 1 when some were not, 2 when the command\n"
    "line was not understood or the output folder is not a folder.\n";

enum class TCommand { kConvert, kHelp, kVersion, kUsageError };

// A whole decimal number in low..high, or nothing.
std::optional<long> number_in(const std::string& text, long low, long high)
{
    if (text.empty() || text.size() > 9 ||
        text.find_first_not_of("0123456789") != std::string::npos)
        return std::nullopt;
    const long value = strtol(text.c_str(), nullptr, 10);
    if (value < low || value > high)
        return std::nullopt;
    return value;
}

// "1-9,11-16": channels and ranges of channels, 1 to 16.
std::optional<std::array<bool, 16>> channels_in(const std::string& list)
{
    std::array<bool, 16> channels{};
    size_t start = 0;
    while (start <= list.size()) {
        size_t end = list.find(',', start);
        if (end == std::string::npos)
            end = list.size();
        const std::string item = list.substr(start, end - start);
        const size_t dash = item.find('-');
        const auto first = number_in(item.substr(0, dash), 1, 16);
        const auto last =
            dash == std::string::npos ? first : number_in(item.substr(dash + 1), 1, 16);
        if (!first || !last || *last < *first)
            return std::nullopt;
        for (long channel = *first; channel <= *last; channel++)
            channels[channel - 1] = true;
        start = end + 1;
    }
    return channels;
}

struct TCommandLine {
    TCommand command = TCommand::kConvert;
    bool batch = false;
    TBatchOptions options;
    std::string error;
};

TCommandLine parse_command_line(int argc, char** argv)
{
    TCommandLine line;
    TBatchOptions& options = line.options;
    bool optionsEnded = false;
    for (int i = 1; i < argc; i++) {
        std::string argument = argv[i];
        if (optionsEnded || argument.size() < 2 || argument[0] != '-') {
            options.files.push_back(argument);
            continue;
        }
        // "--name=value" and "--name value" alike.
        std::optional<std::string> attached;
        const size_t equals = argument.find('=');
        if (argument.starts_with("--") && equals != std::string::npos) {
            attached = argument.substr(equals + 1);
            argument.resize(equals);
        }
        auto value = [&]() -> std::optional<std::string> {
            if (attached)
                return attached;
            if (i + 1 < argc)
                return std::string(argv[++i]);
            return std::nullopt;
        };
        auto fail = [&](const std::string& error) {
            line.command = TCommand::kUsageError;
            line.error = error;
            return line;
        };
        const bool takesValue = argument == "--channels" || argument == "--max-velocity" ||
                                argument == "--tail" || argument == "--output-dir" ||
                                argument == "--jobs";
        if (attached && !takesValue)
            return fail("option " + argument + " takes no value");
        // Every option but the first few is about converting in the terminal.
        line.batch |=
            argument != "--" && argument != "--help" && argument != "-h" && argument != "--version";
        if (argument == "--") {
            optionsEnded = true;
        } else if (argument == "--batch" || argument == "--offscreen") {
            // --offscreen is the platform's switch for the offscreen display: no window to
            // drop on.
        } else if (argument == "--help" || argument == "-h") {
            line.command = TCommand::kHelp;
            return line;
        } else if (argument == "--version") {
            line.command = TCommand::kVersion;
            return line;
        } else if (argument == "--quiet") {
            options.quiet = true;
        } else if (argument == "--keep-going") {
            options.keepGoing = true;
        } else if (argument == "--no-trim-head") {
            options.trimHead = false;
        } else if (argument == "--no-tail") {
            options.addTail = false;
            options.tailSeconds.reset();
        } else if (argument == "--channels") {
            const auto list = value();
            options.channels = list ? channels_in(*list) : std::nullopt;
            if (!options.channels)
                return fail("--channels wants a list of channels 1 to 16, as 1-9,11-16");
        } else if (argument == "--max-velocity") {
            const auto text = value();
            const auto velocity = text ? number_in(*text, 1, 127) : std::nullopt;
            if (!velocity)
                return fail("--max-velocity wants a velocity from 1 to 127");
            options.maxVelocity = (int32)*velocity;
        } else if (argument == "--jobs") {
            const auto text = value();
            const auto jobs = text ? number_in(*text, 1, 64) : std::nullopt;
            if (!jobs)
                return fail("--jobs wants a number of files from 1 to 64");
            options.jobs = (int32)*jobs;
        } else if (argument == "--tail") {
            // Any number of seconds is taken, and kept in range as the Preferences window
            // keeps it.
            const auto text = value();
            const auto seconds = text ? number_in(*text, 0, 999999999) : std::nullopt;
            if (!seconds)
                return fail("--tail wants a whole number of seconds");
            options.addTail = true;
            options.tailSeconds = (int32)*seconds;
        } else if (argument == "--output-dir") {
            const auto folder = value();
            if (!folder || folder->empty())
                return fail("--output-dir wants a folder");
            options.outputFolder = *folder;
        } else {
            return fail("unknown option " + argument);
        }
    }
    return line;
}

// The display the windows would be on is the offscreen one without a window system, or when
// asked for: nobody could drop a file on it, so the files are converted in the terminal.
bool window_system_wanted()
{
    const char* display = getenv("DISPLAY");
    const char* backend = getenv("BE_DISPLAY");
    return display != nullptr && display[0] != '\0' &&
           (backend == nullptr || strcmp(backend, "offscreen") != 0);
}

} // namespace

int main(int argc, char** argv)
{
    TSafeFile::RemoveTemporariesOnSignals();
    const TCommandLine line = parse_command_line(argc, argv);
    switch (line.command) {
    case TCommand::kHelp:
        fputs(kUsage, stdout);
        return 0;
    case TCommand::kVersion:
        printf("%s %s\n", gAppNameEnUs, app_version_number());
        return 0;
    case TCommand::kUsageError:
        fprintf(stderr, "cadenzo: %s\nTry 'cadenzo --help' for the options.\n", line.error.c_str());
        return 2;
    case TCommand::kConvert:
        break;
    }

    // A bare command name was found through PATH: ask the system where it really is.
    const char* executable = strchr(argv[0], '/') != nullptr ? argv[0] : "/proc/self/exe";
    gAppPrivacy->AnalyzeExePath(executable);
    load_app_catalogue();
    gExitStates->LoadFromFile();
    gPrefs->LoadFromFile();

    if (!line.batch && window_system_wanted()) {
        std::vector<std::string> files = line.options.files;
        files.insert(files.begin(), argv[0]);
        return run_application(files);
    }
    if (line.options.files.empty()) {
        fprintf(stderr, "cadenzo: name the MIDI files to convert.\n%s", kUsage);
        return 2;
    }
    return convert_files(line.options);
}
