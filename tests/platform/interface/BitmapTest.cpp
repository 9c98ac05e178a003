#include "BitmapPrivate.h"
#include "ViewDump.h"

#include <Bitmap.h>
#include <Message.h>
#include <TypeConstants.h>

#include <cairo.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

namespace {

const BRect kIconBounds(0, 0, 31, 31);

uint32 pixel32(const BBitmap& bitmap, int x, int y)
{
    uint32 pixel;
    memcpy(&pixel, (const uint8*)bitmap.Bits() + y * bitmap.BytesPerRow() + x * 4, 4);
    return pixel; // 0xAARRGGBB: the bytes B, G, R, A read on a little-endian machine
}

// The first row of the surface the kit draws a bitmap from (premultiplied ARGB).
std::vector<uint32> surface_row(const BBitmap& bitmap)
{
    cairo_surface_t* surface = BPrivate::bitmap_surface(&bitmap);
    if (surface == nullptr)
        return {};
    const uint32* row = (const uint32*)cairo_image_surface_get_data(surface);
    std::vector<uint32> pixels(row, row + cairo_image_surface_get_width(surface));
    cairo_surface_destroy(surface);
    return pixels;
}

} // namespace

TEST(BitmapTest, RowsArePaddedToFourBytes)
{
    EXPECT_EQ(BBitmap(BRect(0, 0, 29, 9), B_CMAP8).BytesPerRow(), 32);
    EXPECT_EQ(BBitmap(BRect(0, 0, 31, 9), B_CMAP8).BytesPerRow(), 32);
    EXPECT_EQ(BBitmap(BRect(0, 0, 2, 9), B_RGB24).BytesPerRow(), 12);
    EXPECT_EQ(BBitmap(BRect(0, 0, 9, 9), B_GRAY1).BytesPerRow(), 4);
    BBitmap icon(kIconBounds, B_RGBA32);
    EXPECT_EQ(icon.BytesPerRow(), 128);
    EXPECT_EQ(icon.BitsLength(), 128 * 32);
    // A longer row asked for is kept, a shorter one is not.
    EXPECT_EQ(BBitmap(kIconBounds, 0, B_CMAP8, 40).BytesPerRow(), 40);
    EXPECT_EQ(BBitmap(kIconBounds, 0, B_CMAP8, 8).BytesPerRow(), 32);
}

TEST(BitmapTest, BadBoundsOrSpaceFailInitCheck)
{
    EXPECT_EQ(BBitmap(BRect(0, 0, -1, 5), B_RGB32).InitCheck(), B_BAD_VALUE);
    EXPECT_EQ(BBitmap(BRect(0, 0, NAN, 5), B_RGB32).InitCheck(), B_BAD_VALUE);
    EXPECT_EQ(BBitmap(kIconBounds, (color_space)0x7777).InitCheck(), B_BAD_VALUE);
    BBitmap huge(BRect(0, 0, 1e9f, 1e9f), B_RGBA32);
    EXPECT_EQ(huge.InitCheck(), B_NO_MEMORY);
    EXPECT_EQ(huge.Bits(), nullptr);
    EXPECT_EQ(huge.BitsLength(), 0);
    EXPECT_TRUE(BBitmap(kIconBounds, B_CMAP8).IsValid());
}

TEST(BitmapTest, ClearToWhiteUsesTheSpacesWhite)
{
    BBitmap cmap(kIconBounds, B_BITMAP_CLEAR_TO_WHITE, B_CMAP8);
    EXPECT_EQ(system_colors()->color_list[((const uint8*)cmap.Bits())[5]],
              make_color(255, 255, 255));
    BBitmap rgba(kIconBounds, B_BITMAP_CLEAR_TO_WHITE, B_RGBA32);
    EXPECT_EQ(pixel32(rgba, 3, 3), 0xffffffffu);
    EXPECT_EQ(pixel32(BBitmap(kIconBounds, B_RGBA32), 3, 3), 0u);
}

TEST(BitmapTest, Cmap8DataIsConvertedThroughThePalette)
{
    BBitmap bitmap(BRect(0, 0, 3, 1), B_RGBA32);
    // Rows of CMAP8 data are padded to four bytes, here exactly four pixels.
    const uint8 indices[8] = {0, 63, 42, B_TRANSPARENT_MAGIC_CMAP8, 32, 52, 249, 8};
    bitmap.SetBits(indices, sizeof(indices), 0, B_CMAP8);
    EXPECT_EQ(pixel32(bitmap, 0, 0), 0xff000000u);
    EXPECT_EQ(pixel32(bitmap, 1, 0), 0xffffffffu);
    EXPECT_EQ(pixel32(bitmap, 2, 0), 0xffff0000u);
    EXPECT_EQ(pixel32(bitmap, 3, 0) >> 24, 0u); // transparent
    EXPECT_EQ(pixel32(bitmap, 0, 1), 0xff0000ffu);
    EXPECT_EQ(pixel32(bitmap, 2, 1), 0xffffcb00u);

    // And back: every colour finds its index again.
    BBitmap cmap(BRect(0, 0, 3, 1), B_CMAP8);
    ASSERT_EQ(cmap.ImportBits(&bitmap), B_OK);
    EXPECT_EQ(memcmp(cmap.Bits(), indices, 4), 0);
    EXPECT_EQ(memcmp((const uint8*)cmap.Bits() + 4, indices + 4, 4), 0);
}

TEST(BitmapTest, SetBitsNeverWritesPastTheEnd)
{
    // ASan watches the bits; the contents show where the copy stopped.
    std::vector<uint8> data(10000, 7);
    BBitmap same(BRect(0, 0, 9, 9), B_CMAP8);
    same.SetBits(data.data(), (int32)data.size(), 100, B_CMAP8);
    EXPECT_EQ(((const uint8*)same.Bits())[same.BitsLength() - 1], 7);
    EXPECT_EQ(((const uint8*)same.Bits())[99], 0);

    BBitmap converted(BRect(0, 0, 9, 9), B_RGBA32);
    converted.SetBits(data.data(), (int32)data.size(), converted.BitsLength() - 4, B_CMAP8);
    converted.SetBits(data.data(), (int32)data.size(), 2 * converted.BitsLength(), B_CMAP8);
    converted.SetBits(data.data(), (int32)data.size(), -4, B_CMAP8);
    EXPECT_EQ(pixel32(converted, 9, 9), 0xff383838u); // index 7
    EXPECT_EQ(pixel32(converted, 8, 9), 0u);
}

TEST(BitmapTest, SurfaceIsPremultipliedWithTransparentMagic)
{
    BBitmap cmap(BRect(0, 0, 1, 0), B_CMAP8);
    const uint8 indices[4] = {42, B_TRANSPARENT_MAGIC_CMAP8, 0, 0};
    cmap.SetBits(indices, 4, 0, B_CMAP8);
    EXPECT_EQ(surface_row(cmap), (std::vector<uint32>{0xffff0000u, 0u}));
    BBitmap rgba(BRect(0, 0, 0, 0), B_RGBA32);
    const uint8 halfRed[4] = {0, 0, 255, 128}; // B, G, R, A
    rgba.SetBits(halfRed, 4, 0, B_RGBA32);
    EXPECT_EQ(surface_row(rgba), (std::vector<uint32>{0x80800000u}));
    BBitmap rgb(BRect(0, 0, 0, 0), B_RGB32); // its fourth byte is 0, yet it is opaque
    EXPECT_EQ(surface_row(rgb), (std::vector<uint32>{0xff000000u}));
}

TEST(BitmapTest, DrawnSurfaceGoesBackIntoTheBits)
{
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 4, 4);
    cairo_t* cr = cairo_create(surface);
    cairo_set_source_rgb(cr, 0, 0, 1);
    cairo_rectangle(cr, 0, 0, 2, 4);
    cairo_fill(cr);
    cairo_destroy(cr);

    BBitmap icon(BRect(0, 0, 3, 3), B_CMAP8);
    ASSERT_EQ(BPrivate::store_surface(&icon, surface), B_OK);
    const uint8* bits = (const uint8*)icon.Bits();
    EXPECT_EQ(bits[0], 32);                        // pure blue
    EXPECT_EQ(bits[3], B_TRANSPARENT_MAGIC_CMAP8); // never painted
    EXPECT_EQ(BPrivate::store_surface(nullptr, surface), B_BAD_VALUE);
    cairo_surface_destroy(surface);
}

TEST(BitmapTest, ArchiveRoundTripsThroughAFlattenedMessageAndForgedOnesMakeNoBitmap)
{
    BBitmap original(BRect(0, 0, 5, 2), B_CMAP8);
    std::vector<uint8> indices(original.BitsLength());
    for (size_t i = 0; i < indices.size(); i++)
        indices[i] = (uint8)(i * 7);
    original.SetBits(indices.data(), (int32)indices.size(), 0, B_CMAP8);

    std::unique_ptr<BBitmap> bitmap = view_dump::copy_through_archive<BBitmap>(original);
    ASSERT_NE(bitmap, nullptr);
    EXPECT_EQ(bitmap->Bounds(), original.Bounds());
    EXPECT_EQ(bitmap->ColorSpace(), B_CMAP8);
    EXPECT_EQ(bitmap->BytesPerRow(), original.BytesPerRow());
    ASSERT_EQ(bitmap->BitsLength(), original.BitsLength());
    EXPECT_EQ(memcmp(bitmap->Bits(), original.Bits(), original.BitsLength()), 0);

    // Forged archives: too large or without a colour space, no bitmap.
    auto forged = [](BRect frame) {
        BMessage archive;
        archive.AddString("class", "BBitmap");
        archive.AddRect("_frame", frame);
        return archive;
    };
    BMessage huge = forged(BRect(0, 0, 30000, 30000));
    huge.AddInt32("_cspace", B_RGBA32);
    EXPECT_EQ(instantiate_object(&huge), nullptr);
    BMessage noSpace = forged(kIconBounds);
    EXPECT_EQ(instantiate_object(&noSpace), nullptr);

    // Too little data: the rest is zero; too much: the rest is ignored.
    BMessage shortData = forged(BRect(0, 0, 3, 3));
    shortData.AddInt32("_cspace", B_CMAP8);
    shortData.AddInt32("_rowbytes", 2);
    const uint8 few[3] = {9, 9, 9};
    shortData.AddData("_data", B_RAW_TYPE, few, sizeof(few));
    BBitmap fromShort(&shortData);
    ASSERT_TRUE(fromShort.IsValid());
    EXPECT_EQ(fromShort.BytesPerRow(), 4);
    EXPECT_EQ(((const uint8*)fromShort.Bits())[2], 9);
    EXPECT_EQ(((const uint8*)fromShort.Bits())[3], 0);
}
