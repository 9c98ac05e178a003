#pragma once

// Catalogues for the tests: compiled by msgfmt from a small .po text, or laid out byte by byte
// so that single fields can be falsified.

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

using Messages = std::vector<std::pair<std::string, std::string>>;

inline void put32(std::vector<char>& bytes, size_t offset, uint32_t value, bool bigEndian)
{
    for (int i = 0; i < 4; i++) {
        int shift = bigEndian ? 24 - 8 * i : 8 * i;
        bytes[offset + (size_t)i] = (char)((value >> shift) & 0xff);
    }
}

// A valid catalogue: the header, the table of originals at 28, the table of translations
// right after it, then the strings, originals first.
inline std::vector<char> mo_bytes(const Messages& messages, bool bigEndian = false)
{
    uint32_t count = (uint32_t)messages.size();
    uint32_t originals = 28;
    uint32_t translations = originals + 8 * count;
    std::vector<char> bytes(translations + 8 * count);
    put32(bytes, 0, 0x950412de, bigEndian);
    put32(bytes, 4, 0, bigEndian);
    put32(bytes, 8, count, bigEndian);
    put32(bytes, 12, originals, bigEndian);
    put32(bytes, 16, translations, bigEndian);
    for (int side = 0; side < 2; side++) {
        for (uint32_t i = 0; i < count; i++) {
            const std::string& text = side == 0 ? messages[i].first : messages[i].second;
            uint32_t table = side == 0 ? originals : translations;
            put32(bytes, table + 8 * i, (uint32_t)text.size(), bigEndian);
            put32(bytes, table + 8 * i + 4, (uint32_t)bytes.size(), bigEndian);
            bytes.insert(bytes.end(), text.begin(), text.end());
            bytes.push_back('\0');
        }
    }
    return bytes;
}

inline void write_bytes(const std::string& path, const std::vector<char>& bytes)
{
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream(path, std::ios::binary).write(bytes.data(), (std::streamsize)bytes.size());
}

// Compiles po (the entries, without the header) into the .mo file at path; false on failure.
inline bool compile_po(const std::string& path, const std::string& po)
{
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::string source = path + ".po";
    std::ofstream(source) << "msgid \"\"\nmsgstr \"Content-Type: text/plain; charset=UTF-8\\n\"\n\n"
                          << po;
    std::string command = "msgfmt -o '" + path + "' '" + source + "'";
    return std::system(command.c_str()) == 0;
}
