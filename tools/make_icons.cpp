// Draws Cadenzo's icon with the interface kit: an eighth note over three piano keys on a
// rounded indigo square. Writes into FOLDER the two icons the executable carries, as palette
// indices row by row ("CadenzoLargeIcon", 32 pixels square; "CadenzoMiniIcon", 16), and the
// same picture for the desktop's icon theme, hicolor/<size>x<size>/apps/cadenzo.png. The
// 16 and 32 pixel pictures are the 8-bit icons themselves, so that the desktop and the About
// box show the same pixels.
//
//     make_icons FOLDER

#include <Bitmap.h>
#include <Directory.h>
#include <Display.h>
#include <Entry.h>
#include <File.h>
#include <View.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

namespace {

const rgb_color kIndigo = {0x33, 0x33, 0x98, 255};
const rgb_color kKeyWhite = {0xff, 0xff, 0xff, 255};
const rgb_color kKeyBlack = {0x00, 0x00, 0x00, 255};
const rgb_color kNoteYellow = {0xff, 0xcb, 0x00, 255};

// Draws in the units of a 32 pixel icon, scaled to the view's size. Edges are given as
// lines between pixels: Fill(0, 0, 2, 2) covers the first two pixels of two rows.
class IconPainter {
public:
    IconPainter(BView* view, int32 size) : fView(view), fScale(size / 32.0f) {}

    void Fill(rgb_color color, float left, float top, float right, float bottom)
    {
        fView->SetHighColor(color);
        fView->FillRect(Scaled(left, top, right, bottom));
    }
    void Ellipse(rgb_color color, float left, float top, float right, float bottom)
    {
        fView->SetHighColor(color);
        fView->FillEllipse(Scaled(left, top, right, bottom));
    }
    void Triangle(rgb_color color, BPoint a, BPoint b, BPoint c)
    {
        fView->SetHighColor(color);
        fView->FillTriangle(Point(a), Point(b), Point(c));
    }
    // A rectangle with quarter circles of the radius for corners.
    void RoundRect(rgb_color color, float left, float top, float right, float bottom, float radius)
    {
        Fill(color, left + radius, top, right - radius, bottom);
        Fill(color, left, top + radius, right, bottom - radius);
        const float d = 2 * radius;
        Ellipse(color, left, top, left + d, top + d);
        Ellipse(color, right - d, top, right, top + d);
        Ellipse(color, left, bottom - d, left + d, bottom);
        Ellipse(color, right - d, bottom - d, right, bottom);
    }

private:
    // The kit's rectangles include their right and bottom pixel.
    BRect Scaled(float left, float top, float right, float bottom) const
    {
        return BRect(left * fScale, top * fScale, right * fScale - 1, bottom * fScale - 1);
    }
    BPoint Point(BPoint p) const { return BPoint(p.x * fScale, p.y * fScale); }

    BView* fView;
    float fScale;
};

void draw_icon(BView* view, int32 size)
{
    // Even coordinates, so that the mini icon's edges fall between pixels too.
    IconPainter paint(view, size);
    paint.RoundRect(kIndigo, 2, 2, 30, 30, 6);

    // Three white keys with a black key between each pair; the lines between the white keys
    // would be half a pixel in the mini icon, which shows its keys by the black ones alone.
    paint.Fill(kKeyWhite, 4, 18, 28, 28);
    if (size >= 32) {
        paint.Fill(kIndigo, 12, 18, 13, 28);
        paint.Fill(kIndigo, 20, 18, 21, 28);
    }
    paint.Fill(kKeyBlack, 10, 18, 14, 24);
    paint.Fill(kKeyBlack, 18, 18, 22, 24);

    // An eighth note: head, stem, flag.
    paint.Ellipse(kNoteYellow, 8, 10, 16, 16);
    paint.Fill(kNoteYellow, 14, 4, 16, 13);
    paint.Triangle(kNoteYellow, BPoint(16, 4), BPoint(22, 11), BPoint(16, 10));
}

// The picture at size, in 32-bit pixels with alpha.
std::unique_ptr<BBitmap> render(int32 size)
{
    auto picture = std::make_unique<BBitmap>(BRect(0, 0, size - 1, size - 1), B_RGBA32, true);
    if (!picture->IsValid())
        return nullptr;
    memset(picture->Bits(), 0, (size_t)picture->BitsLength());
    auto* view = new BView(picture->Bounds(), "IconView", 0, 0);
    picture->AddChild(view);
    if (!picture->Lock())
        return nullptr;
    draw_icon(view, size);
    view->Sync();
    picture->Unlock();
    return picture;
}

bool write_file(const std::string& path, const void* data, size_t size)
{
    BFile file(path.c_str(), B_WRITE_ONLY | B_CREATE_FILE | B_ERASE_FILE);
    if (file.InitCheck() == B_OK && file.Write(data, size) == (ssize_t)size)
        return true;
    // A half-written icon must not pass for a finished one at the next build.
    BEntry(path.c_str()).Remove();
    return false;
}

// The bitmap's 32-bit pixels (the kit's are B, G, R, A in memory, as the frame's) as a PNG.
bool write_png(const std::string& path, const BBitmap& picture)
{
    BPrivate::DisplayFrame frame;
    frame.width = picture.Bounds().IntegerWidth() + 1;
    frame.height = picture.Bounds().IntegerHeight() + 1;
    frame.pixels.resize((size_t)frame.width * frame.height);
    for (int32 y = 0; y < frame.height; y++) {
        memcpy(frame.pixels.data() + (size_t)y * frame.width,
               (const uint8*)picture.Bits() + (size_t)y * picture.BytesPerRow(),
               (size_t)frame.width * 4);
    }
    // The frame is premultiplied: a fully transparent pixel has no colour either.
    for (uint32_t& pixel : frame.pixels) {
        if ((pixel >> 24) == 0)
            pixel = 0;
    }
    const std::string folder = path.substr(0, path.rfind('/'));
    return create_directory(folder.c_str(), 0755) == B_OK && frame.WritePNG(path.c_str()) == B_OK;
}

std::string theme_path(const std::string& folder, int32 size)
{
    const std::string pixels = std::to_string(size);
    return folder + "/hicolor/" + pixels + "x" + pixels + "/apps/cadenzo.png";
}

// The 8-bit icon of the resources, and the same pixels in 32 bits for the theme.
bool write_palette_icon(const std::string& folder, const char* name, int32 size)
{
    std::unique_ptr<BBitmap> picture = render(size);
    BBitmap icon(BRect(0, 0, size - 1, size - 1), B_CMAP8);
    BBitmap shown(icon.Bounds(), B_RGBA32);
    if (picture == nullptr || icon.ImportBits(picture.get()) != B_OK ||
        shown.ImportBits(&icon) != B_OK)
        return false;
    std::string indices;
    for (int32 y = 0; y < size; y++)
        indices.append((const char*)icon.Bits() + (size_t)y * icon.BytesPerRow(), (size_t)size);
    return write_file(folder + "/" + name, indices.data(), indices.size()) &&
           write_png(theme_path(folder, size), shown);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2 || argv[1][0] == '-') {
        fprintf(stderr, "Usage: make_icons FOLDER\n");
        return 2;
    }
    const std::string folder = argv[1];
    bool written = create_directory(folder.c_str(), 0755) == B_OK &&
                   write_palette_icon(folder, "CadenzoLargeIcon", 32) &&
                   write_palette_icon(folder, "CadenzoMiniIcon", 16);
    for (int32 size : {48, 128}) {
        std::unique_ptr<BBitmap> picture = render(size);
        written = written && picture != nullptr && write_png(theme_path(folder, size), *picture);
    }
    if (!written) {
        fprintf(stderr, "make_icons: cannot write the icons into %s\n", folder.c_str());
        return 1;
    }
    return 0;
}
