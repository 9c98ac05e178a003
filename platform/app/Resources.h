#pragma once

// BResources reads a resource blob: pieces of data, each with a type code, an id and an
// optional name. An executable carries its own blob, linked into it at build time
// (BApplication::AppResources); a blob may also be read from a file. docs/resources.md defines
// the format. The whole blob is checked when it is set, and a malformed one is refused as a
// whole, so that no lookup can read outside it.

#include <SupportDefs.h>

#include <vector>

class BFile;

class BResources {
public:
    BResources() = default;
    explicit BResources(BFile* file);
    ~BResources();

    BResources(const BResources&) = delete;
    BResources& operator=(const BResources&) = delete;

    // Reads the whole file, which must hold exactly one blob of at most kMaxFileSize bytes.
    // B_BAD_DATA for anything malformed; the object is then empty.
    status_t SetTo(BFile* file);
    // Uses the blob where it lies, without a copy: data must stay as it is for as long as
    // this object refers to it. Meant for blobs linked into the executable.
    status_t SetTo(const void* data, size_t size);
    void Unset();
    // B_NO_INIT before the first SetTo, else its result.
    status_t InitCheck() const { return fStatus; }

    // The bytes of a resource, valid until this object is set to another blob or destroyed;
    // nullptr when there is none. *outSize (which may be null) gets the size. A resource
    // without a name is never found by name.
    const void* LoadResource(type_code type, int32 id, size_t* outSize) const;
    const void* LoadResource(type_code type, const char* name, size_t* outSize) const;
    bool HasResource(type_code type, int32 id) const;
    bool HasResource(type_code type, const char* name) const;

    // Walking the resources: all of them in blob order, or those of one type. Each output may
    // be null. A name found is "" for a resource without one and lives as long as the data.
    bool GetResourceInfo(int32 byIndex, type_code* typeFound, int32* idFound,
                         const char** nameFound, size_t* lengthFound) const;
    bool GetResourceInfo(type_code byType, int32 andIndex, int32* idFound, const char** nameFound,
                         size_t* lengthFound) const;
    bool GetResourceInfo(type_code byType, const char* andName, int32* idFound,
                         size_t* lengthFound) const;
    int32 CountResources() const { return (int32)fEntries.size(); }

    // Largest blob file SetTo(BFile*) reads; a larger file is refused before it is read.
    static constexpr size_t kMaxFileSize = 64 * 1024 * 1024;

private:
    struct Entry {
        type_code type;
        int32 id;
        const char* name;
        const uint8* data;
        size_t size;
    };

    const Entry* _Find(type_code type, int32 id) const;
    const Entry* _Find(type_code type, const char* name) const;
    status_t _Parse(const uint8* blob, size_t size);
    status_t _Fail(status_t error);

    std::vector<uint8> fOwnedBlob; // the blob when it was read from a file
    std::vector<Entry> fEntries;
    status_t fStatus = B_NO_INIT;
};

// The layout of the application version record, resource 'APPV' "BEOS:APP_VERSION": five
// little-endian uint32 values and two NUL-terminated, NUL-padded texts.
struct version_info {
    uint32 major;
    uint32 middle;
    uint32 minor;
    uint32 variety;
    uint32 internal;
    char short_info[64];
    char long_info[256];
};

// The values of version_info::variety.
enum {
    B_APPV_DEVELOPMENT = 0,
    B_APPV_ALPHA,
    B_APPV_BETA,
    B_APPV_GAMMA,
    B_APPV_GOLDEN_MASTER,
    B_APPV_FINAL,
};
