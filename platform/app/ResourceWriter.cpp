#include <ResourceWriter.h>

#include <ResourceFormat.h>

#include <cstring>

using namespace BPrivate::resource_format;

namespace {

uint64 aligned(uint64 offset)
{
    return (offset + kDataAlignment - 1) / kDataAlignment * kDataAlignment;
}

} // namespace

namespace BPrivate {

status_t ResourceWriter::AddResource(type_code type, int32 id, const void* data, size_t size,
                                     const char* name)
{
    if (name == nullptr)
        name = "";
    const size_t nameLength = strlen(name);
    if (nameLength > kMaxNameLength || (data == nullptr && size > 0))
        return B_BAD_VALUE;
    for (const Resource& resource : fResources) {
        if (resource.type == type &&
            (resource.id == id || (nameLength > 0 && resource.name == name))) {
            return B_NAME_IN_USE;
        }
    }
    const uint64 count = fResources.size() + 1;
    const uint64 nameBytes = fNameBytes + nameLength + 1;
    const uint64 dataBytes = fDataBytes + aligned(size);
    if (aligned(kHeaderSize + count * kEntrySize + nameBytes) + dataBytes > kMaxBlobSize)
        return B_BAD_DATA;

    const uint8* bytes = static_cast<const uint8*>(data);
    fResources.push_back(Resource{type, id, name, std::vector<uint8>(bytes, bytes + size)});
    fNameBytes = nameBytes;
    fDataBytes = dataBytes;
    return B_OK;
}

std::vector<uint8> ResourceWriter::Blob() const
{
    const size_t tableEnd = kHeaderSize + fResources.size() * kEntrySize;
    const size_t dataStart = (size_t)aligned(tableEnd + fNameBytes);
    std::vector<uint8> blob(dataStart + (size_t)fDataBytes, 0);

    memcpy(blob.data(), kMagic, sizeof(kMagic));
    put16(&blob[4], kVersion);
    put16(&blob[6], 0);
    put32(&blob[8], (uint32)blob.size());
    put32(&blob[12], (uint32)fResources.size());

    size_t nameOffset = tableEnd;
    size_t dataOffset = dataStart;
    for (size_t i = 0; i < fResources.size(); i++) {
        const Resource& resource = fResources[i];
        uint8* record = &blob[kHeaderSize + i * kEntrySize];
        put32(record, resource.type);
        put32(record + 4, (uint32)resource.id);
        put32(record + 8, (uint32)nameOffset);
        put32(record + 12, (uint32)resource.name.size());
        put32(record + 16, (uint32)dataOffset);
        put32(record + 20, (uint32)resource.data.size());
        // The NUL after the name is already there.
        memcpy(&blob[nameOffset], resource.name.data(), resource.name.size());
        nameOffset += resource.name.size() + 1;
        if (!resource.data.empty())
            memcpy(&blob[dataOffset], resource.data.data(), resource.data.size());
        dataOffset += (size_t)aligned(resource.data.size());
    }
    return blob;
}

} // namespace BPrivate
