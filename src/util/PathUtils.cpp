#include "PathUtils.h"

#include <cstring>

// Position of the last dot when it lies in the last component of path.
static size_t extension_dot(const std::string& path)
{
    size_t dot = path.rfind('.');
    size_t slash = path.rfind('/');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return std::string::npos;
    return dot;
}

std::string add_ext(const std::string& path, const std::string& ext)
{
    if (extension_dot(path) != std::string::npos)
        return path;
    return path + "." + ext;
}

std::string reext(const std::string& path, const std::string& ext)
{
    size_t dot = extension_dot(path);
    if (dot == std::string::npos)
        return path + "." + ext;
    return path.substr(0, dot + 1) + ext;
}

std::string extract_file_ext(const std::string& path)
{
    size_t dot = path.rfind('.');
    if (dot == std::string::npos)
        return {};
    return path.substr(dot + 1);
}

std::string extract_file_folder_path_kernel(const std::string& path, int count)
{
    size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return {};
    return path.substr(0, slash + (size_t)count);
}

std::string extract_file_name(const std::string& path)
{
    size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return path;
    return path.substr(slash + 1);
}

std::string extract_file_body(const std::string& path)
{
    size_t slash = path.rfind('/');
    size_t start = slash == std::string::npos ? 0 : slash + 1;
    size_t dot = path.rfind('.');
    size_t end = (dot != std::string::npos && dot >= start) ? dot : path.size();
    return path.substr(start, end - start);
}

std::string relative_path(const std::string& base, const std::string& target)
{
    size_t common = 0;
    while (common < base.size() && common < target.size() && base[common] == target[common])
        common++;

    size_t levels = 0;
    for (size_t i = common; i < base.size(); i++) {
        if (base[i] == '/')
            levels++;
    }
    std::string result;
    if (levels == 0) {
        result = "./";
    } else {
        for (size_t i = 0; i < levels; i++)
            result += "../";
    }

    size_t start = common;
    while (start != 0 && target[start - 1] != '/')
        start--;
    return result + target.substr(start);
}

std::string trim(const std::string& text)
{
    const char* blanks = " \t";
    size_t first = text.find_first_not_of(blanks);
    if (first == std::string::npos)
        return {};
    size_t last = text.find_last_not_of(blanks);
    return text.substr(first, last - first + 1);
}

int detect_cr_type(const char* text)
{
    size_t lineFeeds = 0;
    size_t returns = 0;
    for (const char* c = text; *c != '\0'; c++) {
        if (*c == '\n')
            lineFeeds++;
        else if (*c == '\r')
            returns++;
    }
    if (lineFeeds == returns && lineFeeds != 0)
        return kLineEndCRLF;
    if (returns > lineFeeds)
        return kLineEndCR;
    return kLineEndLF;
}

int detect_char_set(const char* text)
{
    size_t escapes = 0;
    size_t malformed = 0;
    const auto* bytes = reinterpret_cast<const unsigned char*>(text);
    const size_t length = strlen(text);
    size_t i = 0;
    while (i < length) {
        unsigned char byte = bytes[i];
        if (byte < 0x80) {
            if (byte == 0x1B)
                escapes++;
            i++;
        } else if ((byte & 0xC0) == 0x80) {
            malformed++;
            i++;
        } else {
            // A lead byte: its leading 1-bits, less one, are the continuation bytes it needs.
            size_t continuations = 0;
            for (unsigned char bit = 0x40; (byte & bit) != 0 && bit != 0; bit >>= 1)
                continuations++;
            for (size_t k = 1; k <= continuations; k++) {
                if (i + k >= length || (bytes[i + k] & 0xC0) != 0x80)
                    malformed++;
            }
            i += 1 + continuations;
        }
    }
    if (escapes > 0)
        return kCharSetJIS;
    if (malformed > 0)
        return kCharSetShiftJIS;
    return kCharSetUTF8;
}

bool is_same_rgb_color(const rgb_color& a, const rgb_color& b)
{
    return a.red == b.red && a.green == b.green && a.blue == b.blue && a.alpha == b.alpha;
}
