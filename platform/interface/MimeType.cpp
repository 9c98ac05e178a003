#include <MimeType.h>

#include <Bitmap.h>
#include <ResourceRegistry.h>
#include <Resources.h>

#include <cstring>
#include <strings.h>

BMimeType::BMimeType(const char* type)
{
    SetTo(type);
}

BMimeType::~BMimeType() = default;

static bool is_token(const char* begin, const char* end)
{
    if (begin == end)
        return false;
    for (const char* c = begin; c != end; c++) {
        auto ch = (unsigned char)*c;
        if (ch <= ' ' || ch >= 0x7f || strchr("()<>@,;:\\\"/[]?=", ch) != nullptr)
            return false;
    }
    return true;
}

bool BMimeType::IsValid(const char* type)
{
    if (type == nullptr)
        return false;
    size_t length = strlen(type);
    if (length == 0 || length >= B_MIME_TYPE_LENGTH)
        return false;
    const char* slash = strchr(type, '/');
    if (slash == nullptr)
        return is_token(type, type + length);
    return is_token(type, slash) && is_token(slash + 1, type + length);
}

status_t BMimeType::SetTo(const char* type)
{
    Unset();
    if (!IsValid(type))
        return fStatus = B_BAD_VALUE;
    fType = type;
    return fStatus = B_OK;
}

void BMimeType::Unset()
{
    fType.clear();
    fStatus = B_NO_INIT;
}

bool BMimeType::IsSupertypeOnly() const
{
    return fStatus == B_OK && fType.find('/') == std::string::npos;
}

bool BMimeType::operator==(const char* type) const
{
    // Types are compared without regard to case, as MIME has it.
    return fStatus == B_OK && type != nullptr && strcasecmp(fType.c_str(), type) == 0;
}

// The icon data of the executable's own signature, or nullptr.
static const uint8* own_icon(const BMimeType& type, icon_size which)
{
    BResources* resources = BPrivate::app_resources();
    size_t size = 0;
    const void* signature = resources->LoadResource('MIMS', "BEOS:APP_SIG", &size);
    if (signature == nullptr || size == 0 || memchr(signature, '\0', size) == nullptr ||
        !(type == (const char*)signature))
        return nullptr;
    const bool large = which == B_LARGE_ICON;
    const void* bits = resources->LoadResource(
        large ? 'ICON' : 'MICN', large ? "BEOS:L:STD_ICON" : "BEOS:M:STD_ICON", &size);
    // An icon of another size is damaged, not a smaller picture.
    return bits != nullptr && size == (size_t)which * which ? (const uint8*)bits : nullptr;
}

status_t BMimeType::GetIcon(BBitmap* icon, icon_size which) const
{
    if (fStatus != B_OK)
        return B_NO_INIT;
    if (icon == nullptr || (which != B_LARGE_ICON && which != B_MINI_ICON))
        return B_BAD_VALUE;
    // Only accessors the header defines: the storage of pictures stays the interface kit's.
    const BRect bounds = icon->Bounds();
    if (icon->InitCheck() != B_OK || icon->ColorSpace() != B_CMAP8 ||
        bounds.IntegerWidth() + 1 != which || bounds.IntegerHeight() + 1 != which ||
        icon->BytesPerRow() < which || icon->BitsLength() < icon->BytesPerRow() * which)
        return B_BAD_VALUE;
    const uint8* data = own_icon(*this, which);
    if (data == nullptr)
        return B_ENTRY_NOT_FOUND;
    auto* bits = (uint8*)icon->Bits();
    for (int32 row = 0; row < which; row++)
        memcpy(bits + row * icon->BytesPerRow(), data + row * which, (size_t)which);
    return B_OK;
}
