#include <Bitmap.h>

#include "BitmapPrivate.h"
#include "ColorConversion.h"

#include <Message.h>
#include <TypeConstants.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>
#include <new>

namespace {

// Bitmaps come from archives and resources too, which are untrusted: these bounds keep a
// forged frame from asking for gigabytes, and every size in int32.
const float kMaxSide = 32768;
const int64 kMaxBitsLength = 256 * 1024 * 1024;

const char* const kFrameField = "_frame";
const char* const kColorSpaceField = "_cspace";
const char* const kFlagsField = "_bmflags";
const char* const kRowBytesField = "_rowbytes";
const char* const kDataField = "_data";

std::atomic<BPrivate::bitmap_window_deleter> sWindowDeleter{nullptr};

// Made when anything in the program uses BBitmap, which is what can read an archive of one.
const bool sRegistered = [] {
    BPrivate::register_instantiation_func("BBitmap", BBitmap::Instantiate);
    return true;
}();

// Converts `length` bytes of pixels of `space` into the bitmap's pixels from pixel
// `first` on (counted in reading order). The data's rows are `sourceRowLength` bytes long
// and its first row begins as if at column 0 of the first pixel's row.
void convert_into(uint8* bits, int32 width, int32 height, int32 bytesPerRow,
                  color_space bitmapSpace, int64 first, const uint8* data, int32 length,
                  int32 sourceRowLength, color_space space)
{
    int32 bitmapBits = BPrivate::bits_per_pixel(bitmapSpace);
    int32 sourceBits = BPrivate::bits_per_pixel(space);
    int64 sourceEnd = (int64)length * 8;
    int32 firstRow = (int32)(first / width);
    int32 firstColumn = (int32)(first % width);
    for (int32 y = firstRow; y < height; y++) {
        int64 rowStart =
            (int64)(y - firstRow) * sourceRowLength * 8 - (int64)firstColumn * sourceBits;
        for (int32 x = y == firstRow ? firstColumn : 0; x < width; x++) {
            int64 source = rowStart + (int64)x * sourceBits;
            if (source + sourceBits > sourceEnd)
                return;
            rgb_color color = BPrivate::read_pixel(data, source, space);
            BPrivate::write_pixel(bits, (int64)y * bytesPerRow * 8 + (int64)x * bitmapBits,
                                  bitmapSpace, color);
        }
    }
}

} // namespace

namespace BPrivate {

void set_bitmap_window_deleter(bitmap_window_deleter deleter)
{
    sWindowDeleter.store(deleter);
}

} // namespace BPrivate

BBitmap::BBitmap(BRect bounds, color_space space, bool acceptsViews, bool needsContiguous)
{
    uint32 flags = (acceptsViews ? B_BITMAP_ACCEPTS_VIEWS : 0) |
                   (needsContiguous ? B_BITMAP_IS_CONTIGUOUS : 0);
    _Init(bounds, flags, space, B_ANY_BYTES_PER_ROW);
}

BBitmap::BBitmap(BRect bounds, uint32 flags, color_space space, int32 bytesPerRow, screen_id)
{
    _Init(bounds, flags, space, bytesPerRow);
}

BBitmap::BBitmap(BMessage* archive) : BArchivable(archive)
{
    BRect frame;
    int32 space = B_NO_COLOR_SPACE;
    if (archive == nullptr || archive->FindRect(kFrameField, &frame) != B_OK ||
        archive->FindInt32(kColorSpaceField, &space) != B_OK) {
        fInitStatus = B_BAD_VALUE;
        return;
    }
    int32 flags = 0;
    archive->FindInt32(kFlagsField, &flags);
    int32 rowBytes = B_ANY_BYTES_PER_ROW;
    archive->FindInt32(kRowBytesField, &rowBytes);
    _Init(frame, (uint32)flags, (color_space)space, rowBytes);
    if (fInitStatus != B_OK)
        return;

    const void* data = nullptr;
    ssize_t size = 0;
    if (archive->FindData(kDataField, B_RAW_TYPE, &data, &size) == B_OK && size > 0)
        memcpy(fBits.get(), data, std::min((size_t)size, (size_t)fBitsLength));
}

BBitmap::~BBitmap()
{
    if (fWindow != nullptr) {
        if (BPrivate::bitmap_window_deleter deleter = sWindowDeleter.load())
            deleter(this);
    }
}

void BBitmap::_Init(BRect bounds, uint32 flags, color_space space, int32 bytesPerRow)
{
    fBounds = bounds;
    fColorSpace = space;
    fFlags = flags;
    fBytesPerRow = 0;
    fBitsLength = 0;
    fBits.reset();

    bool finite = std::isfinite(bounds.left) && std::isfinite(bounds.top) &&
                  std::isfinite(bounds.right) && std::isfinite(bounds.bottom);
    if (!finite || !bounds.IsValid() || BPrivate::bits_per_pixel(space) == 0) {
        fInitStatus = B_BAD_VALUE;
        return;
    }
    if (bounds.Width() >= kMaxSide || bounds.Height() >= kMaxSide) {
        fInitStatus = B_NO_MEMORY;
        return;
    }

    int32 width = (int32)std::lround(bounds.Width()) + 1;
    int32 height = (int32)std::lround(bounds.Height()) + 1;
    int32 rowLength = BPrivate::padded_row_length(space, width);
    fBytesPerRow = bytesPerRow >= rowLength ? bytesPerRow : rowLength;
    int64 length = (int64)fBytesPerRow * height;
    if (length > kMaxBitsLength) {
        fBytesPerRow = 0;
        fInitStatus = B_NO_MEMORY;
        return;
    }
    fBits.reset(new (std::nothrow) uint8[length]());
    if (fBits == nullptr) {
        fBytesPerRow = 0;
        fInitStatus = B_NO_MEMORY;
        return;
    }
    fBitsLength = (int32)length;

    // A bitmap views draw into starts white, like a fresh window.
    if ((flags & (B_BITMAP_CLEAR_TO_WHITE | B_BITMAP_ACCEPTS_VIEWS)) != 0) {
        int fill = 0xff;
        if (space == B_CMAP8)
            fill = BPrivate::palette_index(make_color(255, 255, 255));
        else if (space == B_GRAY1)
            fill = 0;
        memset(fBits.get(), fill, fBitsLength);
    }
    fInitStatus = B_OK;
}

BArchivable* BBitmap::Instantiate(BMessage* archive)
{
    if (!validate_instantiation(archive, "BBitmap"))
        return nullptr;
    auto* bitmap = new BBitmap(archive);
    if (bitmap->InitCheck() != B_OK) {
        delete bitmap;
        return nullptr;
    }
    return bitmap;
}

status_t BBitmap::Archive(BMessage* into, bool deep) const
{
    if (into == nullptr)
        return B_BAD_VALUE;
    if (fInitStatus != B_OK)
        return fInitStatus;
    status_t status = BArchivable::Archive(into, deep);
    if (status == B_OK)
        status = into->AddRect(kFrameField, fBounds);
    if (status == B_OK)
        status = into->AddInt32(kColorSpaceField, (int32)fColorSpace);
    if (status == B_OK)
        status = into->AddInt32(kFlagsField, (int32)fFlags);
    if (status == B_OK)
        status = into->AddInt32(kRowBytesField, fBytesPerRow);
    if (status == B_OK)
        status = into->AddData(kDataField, B_RAW_TYPE, fBits.get(), fBitsLength);
    return status;
}

void BBitmap::SetBits(const void* data, int32 length, int32 offset, color_space space)
{
    if (fInitStatus != B_OK || data == nullptr || length <= 0 || offset < 0 ||
        offset >= fBitsLength)
        return;

    if (space == fColorSpace) {
        // The bytes as they are, laid out as the bitmap's own.
        memcpy(fBits.get() + offset, data, std::min(length, fBitsLength - offset));
        return;
    }
    if (BPrivate::bits_per_pixel(space) == 0)
        return;

    int32 width = (int32)std::lround(fBounds.Width()) + 1;
    int32 height = (int32)std::lround(fBounds.Height()) + 1;
    int32 bitmapBits = BPrivate::bits_per_pixel(fColorSpace);
    int32 row = offset / fBytesPerRow;
    int64 column = (int64)(offset % fBytesPerRow) * 8 / bitmapBits;
    if (column >= width) {
        // The offset points into the padding at the end of a row.
        row++;
        column = 0;
    }
    if (row >= height)
        return;
    convert_into(fBits.get(), width, height, fBytesPerRow, fColorSpace, (int64)row * width + column,
                 (const uint8*)data, length, BPrivate::padded_row_length(space, width), space);
}

status_t BBitmap::ImportBits(const BBitmap* bitmap)
{
    if (fInitStatus != B_OK || bitmap == nullptr || !bitmap->IsValid())
        return B_BAD_VALUE;
    int32 width = (int32)std::lround(fBounds.Width()) + 1;
    int32 height = (int32)std::lround(fBounds.Height()) + 1;
    if ((int32)std::lround(bitmap->fBounds.Width()) + 1 != width ||
        (int32)std::lround(bitmap->fBounds.Height()) + 1 != height)
        return B_BAD_VALUE;

    if (bitmap->fColorSpace == fColorSpace && bitmap->fBytesPerRow == fBytesPerRow) {
        memcpy(fBits.get(), bitmap->fBits.get(), fBitsLength);
        return B_OK;
    }
    convert_into(fBits.get(), width, height, fBytesPerRow, fColorSpace, 0, bitmap->fBits.get(),
                 bitmap->fBitsLength, bitmap->fBytesPerRow, bitmap->fColorSpace);
    return B_OK;
}
