#pragma once

// The application's constant strings and the commands its menus send.

#include <SupportDefs.h>

inline constexpr char gAppSignature[] = "application/x-vnd.VANTOR-Cadenzo";
inline constexpr char gAppNameEnUs[] = "Cadenzo";
inline constexpr char gAppVer[] = "Ver 2.33";
// The version number alone, without "Ver ".
inline constexpr const char* app_version_number()
{
    return gAppVer + 4;
}
inline constexpr char gAppAuthorEnUs[] = "VANTOR";
inline constexpr char gCright[] = "Copyright (C) %AppAuthor%. All rights reserved.";

// The maker's web page, opened from the Help menu.
inline constexpr char gAuthorWebURL[] = "https://www.vantor.example/";

// Commands the main window's menus send to the application.
inline constexpr uint32 kHelpCommand = '_hlp';
inline constexpr uint32 kPreferencesCommand = '_prf';
inline constexpr uint32 kCommonPreferencesCommand = '_Ssp';
inline constexpr uint32 kAuthorWebCommand = '_jaw';
