#pragma once

// Builds a resource blob (docs/resources.md) in memory. The build's resource tool uses it to
// make the blob that goes into an executable; anything that wants to write a blob file can.

#include <SupportDefs.h>

#include <string>
#include <vector>

namespace BPrivate {

class ResourceWriter {
public:
    // B_BAD_VALUE for a name longer than 255 bytes or holding a NUL, or for data == nullptr
    // with size > 0; B_NAME_IN_USE when the type already has a resource with this id or
    // (non-empty) name, B_BAD_DATA when the blob would pass the format's 4 GiB.
    status_t AddResource(type_code type, int32 id, const void* data, size_t size,
                         const char* name = nullptr);
    int32 CountResources() const { return (int32)fResources.size(); }

    // The blob: resources in the order they were added, each resource's data on a multiple
    // of 8 bytes, padding zero.
    std::vector<uint8> Blob() const;

private:
    struct Resource {
        type_code type;
        int32 id;
        std::string name;
        std::vector<uint8> data;
    };

    std::vector<Resource> fResources;
    // What the resources added so far take in the blob, to refuse one that would not fit.
    uint64 fNameBytes = 0;
    uint64 fDataBytes = 0;
};

} // namespace BPrivate
