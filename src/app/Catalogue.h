#pragma once

// Loads the application's message catalogue from share/locale beside the executable's folder
// (the same layout in the build tree and once installed). Without one, texts show their keys.
void load_app_catalogue();
