#pragma once

// One GNU gettext message catalogue (a compiled ".mo" file), held in memory and looked up by
// the original text. The file is untrusted: every table entry is checked before anything is
// looked up, and a file with any fault is refused as a whole.

#include <SupportDefs.h>

#include <string_view>
#include <unordered_map>
#include <vector>

namespace BPrivate {

class GettextCatalog {
public:
    // Larger files are refused unread.
    static constexpr size_t kMaxFileSize = 16 * 1024 * 1024;

    GettextCatalog() = default;
    GettextCatalog(const GettextCatalog&) = delete;
    GettextCatalog& operator=(const GettextCatalog&) = delete;

    // B_OK, B_BAD_DATA for a malformed catalogue, or the error that kept the file from being
    // read. On failure the catalogue is left empty.
    status_t SetTo(const char* path);
    status_t SetTo(std::vector<char> bytes);

    // The translation of key (its full original bytes, context and plural forms included),
    // or nullptr when there is none. The text lives as long as the catalogue.
    const char* Lookup(std::string_view key) const;
    size_t CountMessages() const { return fMessages.size(); }
    const std::vector<char>& Bytes() const { return fBytes; }

private:
    std::vector<char> fBytes;
    std::unordered_map<std::string_view, const char*> fMessages;
};

} // namespace BPrivate
