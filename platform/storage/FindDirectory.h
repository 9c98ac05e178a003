#pragma once

// The well-known folders of the user and the system, found the way Linux desktops find them
// (the XDG base directories), under the classic names and numbers.

#include <SupportDefs.h>

class BPath;
class BVolume;

enum directory_which : int32 {
    B_DESKTOP_DIRECTORY = 0,

    B_COMMON_TEMP_DIRECTORY = 2014,
    B_SYSTEM_TEMP_DIRECTORY = B_COMMON_TEMP_DIRECTORY,

    B_USER_DIRECTORY = 3000,
    B_USER_CONFIG_DIRECTORY = 3001,
    B_USER_SETTINGS_DIRECTORY = 3006,
    B_USER_DESKTOP_DIRECTORY = 3007,
    // Where Linux keeps them apart from the settings: $XDG_DATA_HOME and $XDG_CACHE_HOME.
    B_USER_DATA_DIRECTORY = 3012,
    B_USER_CACHE_DIRECTORY = 3013,
};

// Home is $HOME, else the home folder of the user's account. The settings and config folders
// are $XDG_CONFIG_HOME, else ~/.config; temporary files go to $TMPDIR, else /tmp. Variables
// that do not hold an absolute path are ignored. With createIt, missing levels are made
// (mode 0700). The volume is accepted for the classic signature; there is only one here.
status_t find_directory(directory_which which, BPath* path, bool createIt = false,
                        BVolume* volume = nullptr);
