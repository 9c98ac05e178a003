// Reading resource blobs. A blob may come from a file anyone could have written, so every
// offset and size is checked against the blob before the table is accepted; lookups then trust
// the table.

#include <Resources.h>

#include <File.h>
#include <ResourceFormat.h>

#include <algorithm>
#include <cstring>
#include <new>
#include <string_view>

using namespace BPrivate::resource_format;

BResources::BResources(BFile* file)
{
    SetTo(file);
}

BResources::~BResources() = default;

status_t BResources::SetTo(BFile* file)
{
    Unset();
    if (file == nullptr)
        return _Fail(B_BAD_VALUE);
    if (file->InitCheck() != B_OK)
        return _Fail(file->InitCheck());
    off_t size;
    status_t status = file->GetSize(&size);
    if (status != B_OK)
        return _Fail(status);
    if (size < 0 || (uint64)size > kMaxFileSize)
        return _Fail(B_BAD_DATA);
    try {
        fOwnedBlob.resize((size_t)size);
    } catch (const std::bad_alloc&) {
        return _Fail(B_NO_MEMORY);
    }
    ssize_t read = file->ReadAt(0, fOwnedBlob.data(), fOwnedBlob.size());
    if (read < 0)
        return _Fail((status_t)read);
    if ((size_t)read != fOwnedBlob.size())
        return _Fail(B_IO_ERROR);
    return fStatus = _Parse(fOwnedBlob.data(), fOwnedBlob.size());
}

status_t BResources::SetTo(const void* data, size_t size)
{
    Unset();
    if (data == nullptr)
        return _Fail(B_BAD_VALUE);
    return fStatus = _Parse(static_cast<const uint8*>(data), size);
}

void BResources::Unset()
{
    fEntries.clear();
    std::vector<uint8>().swap(fOwnedBlob);
    fStatus = B_NO_INIT;
}

status_t BResources::_Fail(status_t error)
{
    fEntries.clear();
    std::vector<uint8>().swap(fOwnedBlob);
    return fStatus = error;
}

status_t BResources::_Parse(const uint8* blob, size_t size)
{
    if (size < kHeaderSize || size > kMaxBlobSize)
        return _Fail(B_BAD_DATA);
    if (memcmp(blob, kMagic, sizeof(kMagic)) != 0 || get16(blob + 4) != kVersion ||
        get16(blob + 6) != 0 || get32(blob + 8) != size) {
        return _Fail(B_BAD_DATA);
    }
    const size_t count = get32(blob + 12);
    if (count > (size - kHeaderSize) / kEntrySize)
        return _Fail(B_BAD_DATA);
    // Names and data live after the table; letting them point into the header or the table
    // would make the table describe itself.
    const size_t tableEnd = kHeaderSize + count * kEntrySize;

    std::vector<Entry> entries;
    entries.reserve(count);
    for (size_t i = 0; i < count; i++) {
        const uint8* record = blob + kHeaderSize + i * kEntrySize;
        const size_t nameOffset = get32(record + 8);
        const size_t nameLength = get32(record + 12);
        const size_t dataOffset = get32(record + 16);
        const size_t dataSize = get32(record + 20);
        // The name is followed by its NUL, so it needs nameLength + 1 bytes.
        if (nameLength > kMaxNameLength || nameOffset < tableEnd || nameOffset >= size ||
            nameLength >= size - nameOffset) {
            return _Fail(B_BAD_DATA);
        }
        const char* name = reinterpret_cast<const char*>(blob + nameOffset);
        if (name[nameLength] != '\0' || memchr(name, '\0', nameLength) != nullptr)
            return _Fail(B_BAD_DATA);
        if (dataOffset < tableEnd || dataOffset > size || dataSize > size - dataOffset)
            return _Fail(B_BAD_DATA);
        entries.push_back(Entry{(type_code)get32(record), (int32)get32(record + 4), name,
                                blob + dataOffset, dataSize});
    }

    // A lookup by id or by name must have one answer.
    std::vector<const Entry*> order(entries.size());
    for (size_t i = 0; i < entries.size(); i++)
        order[i] = &entries[i];
    std::sort(order.begin(), order.end(), [](const Entry* a, const Entry* b) {
        return a->type != b->type ? a->type < b->type : a->id < b->id;
    });
    for (size_t i = 1; i < order.size(); i++) {
        if (order[i]->type == order[i - 1]->type && order[i]->id == order[i - 1]->id)
            return _Fail(B_BAD_DATA);
    }
    std::sort(order.begin(), order.end(), [](const Entry* a, const Entry* b) {
        return a->type != b->type ? a->type < b->type
                                  : std::string_view(a->name) < std::string_view(b->name);
    });
    for (size_t i = 1; i < order.size(); i++) {
        if (order[i]->name[0] != '\0' && order[i]->type == order[i - 1]->type &&
            strcmp(order[i]->name, order[i - 1]->name) == 0) {
            return _Fail(B_BAD_DATA);
        }
    }

    fEntries = std::move(entries);
    return B_OK;
}

const BResources::Entry* BResources::_Find(type_code type, int32 id) const
{
    for (const Entry& entry : fEntries) {
        if (entry.type == type && entry.id == id)
            return &entry;
    }
    return nullptr;
}

const BResources::Entry* BResources::_Find(type_code type, const char* name) const
{
    if (name == nullptr || name[0] == '\0')
        return nullptr;
    for (const Entry& entry : fEntries) {
        if (entry.type == type && strcmp(entry.name, name) == 0)
            return &entry;
    }
    return nullptr;
}

const void* BResources::LoadResource(type_code type, int32 id, size_t* outSize) const
{
    const Entry* entry = _Find(type, id);
    if (entry == nullptr)
        return nullptr;
    if (outSize != nullptr)
        *outSize = entry->size;
    return entry->data;
}

const void* BResources::LoadResource(type_code type, const char* name, size_t* outSize) const
{
    const Entry* entry = _Find(type, name);
    if (entry == nullptr)
        return nullptr;
    if (outSize != nullptr)
        *outSize = entry->size;
    return entry->data;
}

bool BResources::HasResource(type_code type, int32 id) const
{
    return _Find(type, id) != nullptr;
}

bool BResources::HasResource(type_code type, const char* name) const
{
    return _Find(type, name) != nullptr;
}

bool BResources::GetResourceInfo(int32 byIndex, type_code* typeFound, int32* idFound,
                                 const char** nameFound, size_t* lengthFound) const
{
    if (byIndex < 0 || (size_t)byIndex >= fEntries.size())
        return false;
    const Entry& entry = fEntries[(size_t)byIndex];
    if (typeFound != nullptr)
        *typeFound = entry.type;
    if (idFound != nullptr)
        *idFound = entry.id;
    if (nameFound != nullptr)
        *nameFound = entry.name;
    if (lengthFound != nullptr)
        *lengthFound = entry.size;
    return true;
}

bool BResources::GetResourceInfo(type_code byType, int32 andIndex, int32* idFound,
                                 const char** nameFound, size_t* lengthFound) const
{
    if (andIndex < 0)
        return false;
    int32 index = 0;
    for (const Entry& entry : fEntries) {
        if (entry.type != byType)
            continue;
        if (index++ < andIndex)
            continue;
        if (idFound != nullptr)
            *idFound = entry.id;
        if (nameFound != nullptr)
            *nameFound = entry.name;
        if (lengthFound != nullptr)
            *lengthFound = entry.size;
        return true;
    }
    return false;
}

bool BResources::GetResourceInfo(type_code byType, const char* andName, int32* idFound,
                                 size_t* lengthFound) const
{
    const Entry* entry = _Find(byType, andName);
    if (entry == nullptr)
        return false;
    if (idFound != nullptr)
        *idFound = entry->id;
    if (lengthFound != nullptr)
        *lengthFound = entry->size;
    return true;
}
