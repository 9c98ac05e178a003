// Cadenzo: converts Standard MIDI Files into ".fem" files for the player piano.

#include "app/AppConstants.h"
#include "app/Batch.h"
#include "app/Catalogue.h"
#include "settings/Prefs.h"
#include "util/PathUtils.h"

#include <Entry.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

static void print_usage(FILE* stream)
{
    fprintf(stream,
            "Usage: cadenzo [--batch] FILE...\n"
            "Converts each MIDI FILE into a .fem file beside it, one after another, and stops\n"
            "at the first file that cannot be converted. The exit status is 0 only when\n"
            "every file was converted.\n");
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
    bool optionsEnded = false;
    for (int i = 1; i < argc; i++) {
        const char* argument = argv[i];
        if (!optionsEnded && argument[0] == '-' && argument[1] != '\0') {
            if (strcmp(argument, "--") == 0) {
                optionsEnded = true;
            } else if (strcmp(argument, "--batch") == 0) {
                // There is no window yet: every run is a batch.
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
        entry_ref ref;
        if (get_ref_for_path(argument, &ref) != B_OK) {
            // Still converted, so that the file gets the alert every unreadable file gets.
            ref = entry_ref(extract_file_folder_path_kernel(argument, 0).c_str(),
                            extract_file_name(argument).c_str());
        }
        refs.push_back(ref);
    }

    if (refs.empty()) {
        fprintf(stderr, "cadenzo: no window system is available here; name the MIDI files to "
                        "convert.\n");
        print_usage(stderr);
        return 2;
    }
    return convert_files(refs) ? 0 : 1;
}
