#pragma once

// An image in memory: a rectangle of pixels in one colour space, which views can draw and,
// when it accepts views, views can draw into. Rows are padded to a multiple of four bytes.
// A B_CMAP8 pixel is an index into the system palette (system_colors()); a B_RGB32 or
// B_RGBA32 pixel is the bytes B, G, R, A in memory.

#include <Archivable.h>
#include <GraphicsDefs.h>
#include <Rect.h>
#include <SupportDefs.h>

#include <memory>

class BMessage;
class BView;
class BWindow;

enum {
    B_BITMAP_CLEAR_TO_WHITE = 0x00000001,
    B_BITMAP_ACCEPTS_VIEWS = 0x00000002,
    B_BITMAP_IS_AREA = 0x00000004,
    B_BITMAP_IS_LOCKED = 0x00000008 | B_BITMAP_IS_AREA,
    B_BITMAP_IS_CONTIGUOUS = 0x00000010 | B_BITMAP_IS_LOCKED,
    B_BITMAP_IS_OFFSCREEN = 0x00000020,
    B_BITMAP_WILL_OVERLAY = 0x00000040 | B_BITMAP_IS_OFFSCREEN,
    B_BITMAP_RESERVE_OVERLAY_CHANNEL = 0x00000080,
};

enum { B_ANY_BYTES_PER_ROW = -1 };

class BBitmap : public BArchivable {
public:
    BBitmap(BRect bounds, color_space space, bool acceptsViews = false,
            bool needsContiguous = false);
    // bytesPerRow: B_ANY_BYTES_PER_ROW, or a row length at least as long as the pixels of
    // a row need (a shorter one is taken as B_ANY_BYTES_PER_ROW).
    BBitmap(BRect bounds, uint32 flags, color_space space, int32 bytesPerRow = B_ANY_BYTES_PER_ROW,
            screen_id screen = B_MAIN_SCREEN_ID);
    // From an archive: "_frame", "_cspace", "_bmflags", "_rowbytes" and "_data" (the pixels,
    // B_RAW_TYPE). Pixels the archive lacks are zero; InitCheck() reports an archive that
    // does not describe a bitmap.
    explicit BBitmap(BMessage* archive);
    ~BBitmap() override;

    BBitmap(const BBitmap&) = delete;
    BBitmap& operator=(const BBitmap&) = delete;

    static BArchivable* Instantiate(BMessage* archive);
    status_t Archive(BMessage* into, bool deep = true) const override;

    // B_OK; B_BAD_VALUE for bounds or a colour space a bitmap cannot have; B_NO_MEMORY for
    // a bitmap larger than the kit allows.
    status_t InitCheck() const { return fInitStatus; }
    bool IsValid() const { return fInitStatus == B_OK; }

    // The bounds as made; the bitmap is Width() + 1 by Height() + 1 pixels (rounded).
    BRect Bounds() const { return fBounds; }
    void* Bits() const { return fBits.get(); }
    int32 BitsLength() const { return fBitsLength; }
    int32 BytesPerRow() const { return fBytesPerRow; }
    color_space ColorSpace() const { return fColorSpace; }
    uint32 Flags() const { return fFlags; }

    // Copies pixels of colour space `space` into the bitmap from byte `offset` of its bits.
    // Data of the bitmap's own space is copied byte for byte. Data of another space is
    // converted pixel by pixel (B_CMAP8 through the system palette, where
    // B_TRANSPARENT_MAGIC_CMAP8 becomes alpha 0), its rows taken as the bitmap's width in
    // that space, padded to a multiple of four bytes. Nothing is read past `length` bytes
    // and nothing written past the end of the bits.
    void SetBits(const void* data, int32 length, int32 offset, color_space space);
    // Copies the pixels of another bitmap of the same size, converting them; B_BAD_VALUE for
    // bitmaps that differ in size or colour spaces that cannot be converted.
    status_t ImportBits(const BBitmap* bitmap);

    // Views drawing into the bitmap (bitmaps made with B_BITMAP_ACCEPTS_VIEWS). Made by the
    // window system, which keeps a window for them.
    void AddChild(BView* view);
    bool RemoveChild(BView* view);
    int32 CountChildren() const;
    BView* ChildAt(int32 index) const;
    BView* FindView(const char* name) const;
    bool Lock();
    void Unlock();
    bool IsLocked() const;

private:
    friend class BWindow;
    friend class BBitmapViews;

    void _Init(BRect bounds, uint32 flags, color_space space, int32 bytesPerRow);

    BRect fBounds;
    color_space fColorSpace = B_NO_COLOR_SPACE;
    uint32 fFlags = 0;
    int32 fBytesPerRow = 0;
    int32 fBitsLength = 0;
    std::unique_ptr<uint8[]> fBits;
    status_t fInitStatus = B_NO_INIT;
    // The window behind the views of a bitmap that accepts them.
    BWindow* fWindow = nullptr;
};
