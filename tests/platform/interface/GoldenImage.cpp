#include "GoldenImage.h"

#include <cairo.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>

namespace golden_image {

namespace {

bool is_plain_name(const char* name)
{
    const std::string text = name != nullptr ? name : "";
    return !text.empty() && text[0] != '.' && std::all_of(text.begin(), text.end(), [](char c) {
        return std::isalnum((unsigned char)c) || strchr("_-.", c) != nullptr;
    });
}

bool channels_differ(uint32_t a, uint32_t b)
{
    for (int shift = 0; shift < 32; shift += 8) {
        if (std::abs((int)((a >> shift) & 0xff) - (int)((b >> shift) & 0xff)) > kChannelTolerance)
            return true;
    }
    return false;
}

// Differing pixels in opaque red over a faded grey copy of the golden, so that a reader sees
// where the difference lies in the picture.
BPrivate::DisplayFrame diff_frame(const BPrivate::DisplayFrame& actual,
                                  const BPrivate::DisplayFrame& golden)
{
    BPrivate::DisplayFrame diff = golden;
    for (size_t i = 0; i < actual.pixels.size(); i++) {
        const uint32_t pixel = golden.pixels[i];
        const uint32_t faded =
            192 + (((pixel >> 16) & 0xff) + ((pixel >> 8) & 0xff) + (pixel & 0xff)) / 12;
        diff.pixels[i] = channels_differ(actual.pixels[i], pixel)
                             ? 0xffff0000
                             : 0xff000000 | (faded << 16) | (faded << 8) | faded;
    }
    return diff;
}

} // namespace

bool read_png(const std::string& path, BPrivate::DisplayFrame& frame)
{
    std::unique_ptr<cairo_surface_t, decltype(&cairo_surface_destroy)> surface(
        cairo_image_surface_create_from_png(path.c_str()), cairo_surface_destroy);
    const cairo_format_t format = cairo_image_surface_get_format(surface.get());
    if (cairo_surface_status(surface.get()) != CAIRO_STATUS_SUCCESS ||
        (format != CAIRO_FORMAT_ARGB32 && format != CAIRO_FORMAT_RGB24))
        return false;
    cairo_surface_flush(surface.get());
    frame.width = cairo_image_surface_get_width(surface.get());
    frame.height = cairo_image_surface_get_height(surface.get());
    frame.pixels.clear();
    const uint8_t* data = cairo_image_surface_get_data(surface.get());
    const int stride = cairo_image_surface_get_stride(surface.get());
    for (int32 y = 0; y < frame.height; y++) {
        const uint32_t* row = (const uint32_t*)(data + (size_t)y * stride);
        // An image without alpha reads as opaque, whatever its unused byte holds.
        for (int32 x = 0; x < frame.width; x++)
            frame.pixels.push_back(format == CAIRO_FORMAT_RGB24 ? row[x] | 0xff000000 : row[x]);
    }
    return true;
}

::testing::AssertionResult compare(const BPrivate::DisplayFrame& frame, const char* name,
                                   const std::string& goldenDir, const std::string& outputDir)
{
    if (!is_plain_name(name))
        return ::testing::AssertionFailure()
               << "\"" << (name != nullptr ? name : "(null)") << "\" is not a golden image name";
    if (frame.width <= 0 || frame.height <= 0 ||
        frame.pixels.size() != (size_t)frame.width * frame.height)
        return ::testing::AssertionFailure()
               << "the frame for " << name << " is empty or inconsistent (" << frame.width << " x "
               << frame.height << ", " << frame.pixels.size() << " pixels)";

    const std::string goldenPath = goldenDir + "/" + name + ".png";
    const std::string actualPath = outputDir + "/" + name + ".actual.png";
    const std::string diffPath = outputDir + "/" + name + ".diff.png";
    std::error_code error;
    std::filesystem::create_directories(outputDir, error);
    if (const char* update = getenv("UPDATE_GOLDENS");
        update != nullptr && strcmp(update, "1") == 0) {
        std::filesystem::create_directories(goldenDir, error);
        if (frame.WritePNG(goldenPath.c_str()) != B_OK)
            return ::testing::AssertionFailure() << "could not write the golden " << goldenPath;
        return ::testing::AssertionSuccess() << "wrote the golden " << goldenPath;
    }

    BPrivate::DisplayFrame golden;
    if (!std::filesystem::exists(goldenPath)) {
        frame.WritePNG(actualPath.c_str());
        return ::testing::AssertionFailure()
               << "there is no golden image " << goldenPath << " yet. This frame is in "
               << actualPath << "; run the test with UPDATE_GOLDENS=1 to make it the golden, "
               << "and look at it before committing it";
    }
    if (!read_png(goldenPath, golden))
        return ::testing::AssertionFailure() << "cannot read the golden image " << goldenPath;
    if (golden.width != frame.width || golden.height != frame.height) {
        frame.WritePNG(actualPath.c_str());
        return ::testing::AssertionFailure()
               << name << ": the frame is " << frame.width << " x " << frame.height
               << " pixels, the golden " << golden.width << " x " << golden.height
               << "; the frame is in " << actualPath;
    }

    size_t different = 0;
    size_t first = 0;
    for (size_t i = frame.pixels.size(); i-- > 0;) {
        if (channels_differ(frame.pixels[i], golden.pixels[i])) {
            first = i;
            different++;
        }
    }
    const double fraction = (double)different / frame.pixels.size();
    if (fraction <= kDifferentFraction)
        return ::testing::AssertionSuccess()
               << name << ": " << different << " pixels differ, within the tolerance";

    const bool written = frame.WritePNG(actualPath.c_str()) == B_OK &&
                         diff_frame(frame, golden).WritePNG(diffPath.c_str()) == B_OK;
    char pixels[64];
    snprintf(pixels, sizeof(pixels), "0x%08x instead of 0x%08x", frame.pixels[first],
             golden.pixels[first]);
    return ::testing::AssertionFailure()
           << name << ": " << different << " of " << frame.pixels.size() << " pixels ("
           << fraction * 100 << " %) differ by more than " << kChannelTolerance
           << " in a channel, more than the " << kDifferentFraction * 100
           << " % allowed; the first at (" << first % frame.width << ", " << first / frame.width
           << "): " << pixels << " (ARGB, premultiplied). "
           << (written ? "See " : "Could not write ") << actualPath << " and " << diffPath
           << ". If the change is intended, run with UPDATE_GOLDENS=1 to make it the golden.";
}

} // namespace golden_image

::testing::AssertionResult matches_golden(const BPrivate::DisplayFrame& frame, const char* name)
{
    return golden_image::compare(frame, name, GOLDEN_SOURCE_DIR, GOLDEN_OUTPUT_DIR);
}
