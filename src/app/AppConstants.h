#pragma once

// The application's constant strings.

inline constexpr char gAppSignature[] = "application/x-vnd.VANTOR-Cadenzo";
inline constexpr char gAppNameEnUs[] = "Cadenzo";
inline constexpr char gAppVer[] = "Ver 2.33";
inline constexpr char gAppAuthorEnUs[] = "VANTOR";
inline constexpr char gCright[] = "Copyright (C) %AppAuthor%. All rights reserved.";
