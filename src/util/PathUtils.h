#pragma once

// Path and text helpers of the common library. Paths are "/"-separated strings; nothing here
// touches the file system, follows links or resolves "." and "..".

#include <GraphicsDefs.h>

#include <string>

// The path with ".ext" added when its last component has no extension.
std::string add_ext(const std::string& path, const std::string& ext);
// The path with the extension of its last component replaced by ext, or ".ext" added.
std::string reext(const std::string& path, const std::string& ext);
// The text after the last dot of the whole string (a dot in a folder name counts).
std::string extract_file_ext(const std::string& path);
// The folder part, with (count 1) or without (count 0) its final slash.
std::string extract_file_folder_path_kernel(const std::string& path, int count);
std::string extract_file_name(const std::string& path);
// The last component without its extension.
std::string extract_file_body(const std::string& path);
// target, relative to the folder of base (base is a folder when it ends with "/").
std::string relative_path(const std::string& base, const std::string& target);
// The text without leading and trailing spaces and tabs.
std::string trim(const std::string& text);

enum {
    kLineEndLF = 0,
    kLineEndCRLF = 1,
    kLineEndCR = 2,
};
int detect_cr_type(const char* text);

enum {
    kCharSetUTF8 = 0,
    kCharSetShiftJIS = 11, // B_SJIS_CONVERSION
    kCharSetJIS = 13,      // B_JIS_CONVERSION
};
int detect_char_set(const char* text);

bool is_same_rgb_color(const rgb_color& a, const rgb_color& b);
