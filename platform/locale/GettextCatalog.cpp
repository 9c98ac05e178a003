#include "GettextCatalog.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace BPrivate {

static const uint32 kMagic = 0x950412de;
static const uint32 kSwappedMagic = 0xde120495;

// The layout of the file's header, in 32-bit words.
enum {
    kMagicWord,
    kRevisionWord,
    kCountWord,
    kOriginalsWord,
    kTranslationsWord,
    kHeaderWords = 7, // the hash table's size and offset follow; lookups do not use them
};

// Reads the 32-bit words of the file in its own byte order. Every read is bounds-checked, so
// a lie anywhere in the file turns into a refusal, not a read past the end.
class WordReader {
public:
    WordReader(const std::vector<char>& bytes, bool swapped) : fBytes(bytes), fSwapped(swapped) {}

    bool Read(uint64 offset, uint32& value) const
    {
        if (offset > fBytes.size() || fBytes.size() - offset < 4)
            return false;
        memcpy(&value, fBytes.data() + offset, 4);
        if (fSwapped)
            value = __builtin_bswap32(value);
        return true;
    }

    // The string a table entry points at: its length and offset must stay inside the file,
    // with the NUL that ends it.
    bool ReadString(uint64 tableOffset, uint32 index, std::string_view& string) const
    {
        uint32 length;
        uint32 offset;
        uint64 entry = tableOffset + (uint64)index * 8;
        if (!Read(entry, length) || !Read(entry + 4, offset))
            return false;
        if ((uint64)offset + length >= fBytes.size() || fBytes[offset + length] != '\0')
            return false;
        string = std::string_view(fBytes.data() + offset, length);
        return true;
    }

private:
    const std::vector<char>& fBytes;
    bool fSwapped;
};

status_t GettextCatalog::SetTo(const char* path)
{
    fMessages.clear();
    fBytes.clear();
    if (path == nullptr)
        return B_BAD_VALUE;

    int descriptor = open(path, O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (descriptor < 0)
        return B_FROM_POSIX_ERROR(errno);
    struct stat st;
    status_t status = B_OK;
    if (fstat(descriptor, &st) != 0)
        status = B_FROM_POSIX_ERROR(errno);
    else if (!S_ISREG(st.st_mode) || st.st_size > (off_t)kMaxFileSize)
        status = B_BAD_DATA;

    std::vector<char> bytes;
    if (status == B_OK) {
        bytes.resize((size_t)st.st_size);
        size_t done = 0;
        while (done < bytes.size()) {
            ssize_t result = read(descriptor, bytes.data() + done, bytes.size() - done);
            if (result < 0 && errno == EINTR)
                continue;
            if (result <= 0) {
                // Shrunk while we read it, or unreadable: either way not the file we sized.
                status = result < 0 ? B_FROM_POSIX_ERROR(errno) : B_BAD_DATA;
                break;
            }
            done += (size_t)result;
        }
    }
    close(descriptor);
    if (status != B_OK)
        return status;
    return SetTo(std::move(bytes));
}

status_t GettextCatalog::SetTo(std::vector<char> bytes)
{
    fMessages.clear();
    fBytes = std::move(bytes);

    uint32 magic;
    if (fBytes.size() < kHeaderWords * 4 || !WordReader(fBytes, false).Read(0, magic) ||
        (magic != kMagic && magic != kSwappedMagic)) {
        fBytes.clear();
        return B_BAD_DATA;
    }
    WordReader reader(fBytes, magic == kSwappedMagic);

    uint32 revision;
    uint32 count;
    uint32 originals;
    uint32 translations;
    reader.Read(kRevisionWord * 4, revision);
    reader.Read(kCountWord * 4, count);
    reader.Read(kOriginalsWord * 4, originals);
    reader.Read(kTranslationsWord * 4, translations);

    // Major revisions 0 and 1 share the tables read here; anything later is unknown to us.
    bool valid = (revision >> 16) <= 1;
    // Each message takes two table entries of 8 bytes: a count the file cannot hold is a lie,
    // and checking it first keeps the map from being sized by it.
    valid = valid && count <= fBytes.size() / 16;
    if (valid)
        fMessages.reserve(count);
    for (uint32 index = 0; valid && index < count; index++) {
        std::string_view original;
        std::string_view translation;
        valid = reader.ReadString(originals, index, original) &&
                reader.ReadString(translations, index, translation);
        // The empty original is the catalogue's header; an empty translation is no
        // translation at all.
        if (valid && !original.empty() && !translation.empty())
            fMessages.emplace(original, translation.data());
    }
    if (!valid) {
        fMessages.clear();
        fBytes.clear();
        return B_BAD_DATA;
    }
    return B_OK;
}

const char* GettextCatalog::Lookup(std::string_view key) const
{
    auto found = fMessages.find(key);
    return found != fMessages.end() ? found->second : nullptr;
}

} // namespace BPrivate
