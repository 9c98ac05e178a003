#include <ResourceRegistry.h>

#include <ResourceFormat.h>
#include <Resources.h>

#include <mutex>

using namespace BPrivate::resource_format;

namespace {

// A blob without resources, for executables that registered none.
constexpr uint8 kEmptyBlob[kHeaderSize] = {
    kMagic[0],   kMagic[1], kMagic[2], kMagic[3], kVersion, 0, 0, 0,
    kHeaderSize, 0,         0,         0,         0,        0, 0, 0};

// Plain values with constant initialization, so that a registration from another file's
// static initializer finds them ready whatever the order of initialization.
std::mutex sLock;
const void* sBlob = nullptr;
size_t sBlobSize = 0;
bool sSealed = false;

} // namespace

namespace BPrivate {

status_t register_app_resources(const void* data, size_t size)
{
    if (data == nullptr)
        return B_BAD_VALUE;
    std::lock_guard<std::mutex> lock(sLock);
    if (sBlob != nullptr || sSealed)
        return B_NOT_ALLOWED;
    sBlob = data;
    sBlobSize = size;
    return B_OK;
}

BResources* app_resources()
{
    static BResources* resources = [] {
        std::lock_guard<std::mutex> lock(sLock);
        sSealed = true;
        // Never destroyed: windows may still load resources while static objects go away.
        auto* made = new BResources;
        if (sBlob != nullptr)
            made->SetTo(sBlob, sBlobSize);
        else
            made->SetTo(kEmptyBlob, sizeof(kEmptyBlob));
        return made;
    }();
    return resources;
}

} // namespace BPrivate
