// Cadenzo: converts Standard MIDI Files into ".fem" files for the player piano.

#include "app/AppConstants.h"
#include "app/Batch.h"
#include "app/CadenzoApp.h"
#include "app/Catalogue.h"
#include "settings/Prefs.h"
#include "util/PathUtils.h"

#include <Entry.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

static void print_usage(FILE* stream)
{
    fprintf(stream,
            "Usage: cadenzo [FILE...]\n"
            "       cadenzo --batch FILE...\n"
            "Opens the window that converts the MIDI files dropped on it, and the FILEs named,\n"
            "into .fem files beside them. With --batch, or without a window system, converts\n"
            "each FILE (a folder: the MIDI files in it) one after another in the terminal, and\n"
            "stops at the first file that cannot be converted; the exit status is then 0 only\n"
            "when every file was converted.\n");
}

// The display the windows would be on is the offscreen one without a window system, or when
// asked for: nobody could drop a file on it, so the files are converted in the terminal.
static bool window_system_wanted()
{
    const char* display = getenv("DISPLAY");
    const char* backend = getenv("BE_DISPLAY");
    return display != nullptr && display[0] != '\0' &&
           (backend == nullptr || strcmp(backend, "offscreen") != 0);
}

int main(int argc, char** argv)
{
    // A bare command name was found through PATH: ask the system where it really is.
    const char* executable = strchr(argv[0], '/') != nullptr ? argv[0] : "/proc/self/exe";
    gAppPrivacy->AnalyzeExePath(executable);
    load_app_catalogue();
    gExitStates->LoadFromFile();
    gPrefs->LoadFromFile();

    std::vector<entry_ref> refs;
    std::vector<std::string> files;
    bool batch = false;
    bool optionsEnded = false;
    for (int i = 1; i < argc; i++) {
        const char* argument = argv[i];
        if (!optionsEnded && argument[0] == '-' && argument[1] != '\0') {
            if (strcmp(argument, "--") == 0) {
                optionsEnded = true;
            } else if (strcmp(argument, "--batch") == 0 ||
                       strcmp(argument, "--offscreen") == 0) {
                // The platform's switch for the offscreen display: no window to drop on.
                batch = true;
            } else if (strcmp(argument, "--help") == 0 || strcmp(argument, "-h") == 0) {
                print_usage(stdout);
                return 0;
            } else if (strcmp(argument, "--version") == 0) {
                printf("%s %s\n", gAppNameEnUs, gAppVer + 4);
                return 0;
            } else {
                fprintf(stderr, "cadenzo: unknown option %s\n", argument);
                print_usage(stderr);
                return 2;
            }
            continue;
        }
        files.emplace_back(argument);
        entry_ref ref;
        if (get_ref_for_path(argument, &ref) != B_OK) {
            // Still converted, so that the file gets the alert every unreadable file gets.
            ref = entry_ref(extract_file_folder_path_kernel(argument, 0).c_str(),
                            extract_file_name(argument).c_str());
        }
        refs.push_back(ref);
    }

    if (!batch && window_system_wanted()) {
        files.insert(files.begin(), argv[0]);
        return run_application(files);
    }

    if (refs.empty()) {
        fprintf(stderr, "cadenzo: no window system is available here; name the MIDI files to "
                        "convert.\n");
        print_usage(stderr);
        return 2;
    }
    return convert_files(refs) ? 0 : 1;
}
