#pragma once

// Accelerator letters written into labels.

#include <string>

// The lower-case accelerator letter that label carries in one of the label formats
// ("Quit(Q)", "Q) Quit", "Q・Quit", "Q - Quit"), or 0.
char short_cut_from_label(const std::string& label);
