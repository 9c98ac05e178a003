#include "GoldenImage.h"

#include <cairo.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>

namespace golden_image {

namespace {

using SurfacePointer = std::unique_ptr<cairo_surface_t, decltype(&cairo_surface_destroy)>;

bool is_plain_name(const char* name)
{
    if (name == nullptr || name[0] == '\0' || name[0] == '.')
        return false;
    for (const char* c = name; *c != '\0'; c++) {
        if (!std::isalnum((unsigned char)*c) && *c != '_' && *c != '-' && *c != '.')
            return false;
    }
    return true;
}

bool update_requested()
{
    const char* update = getenv("UPDATE_GOLDENS");
    return update != nullptr && strcmp(update, "1") == 0;
}

std::string hex(uint32_t pixel)
{
    char text[16];
    snprintf(text, sizeof(text), "0x%08x", pixel);
    return text;
}

bool channels_differ(uint32_t a, uint32_t b)
{
    for (int shift = 0; shift < 32; shift += 8) {
        int difference = (int)((a >> shift) & 0xff) - (int)((b >> shift) & 0xff);
        if (std::abs(difference) > kChannelTolerance)
            return true;
    }
    return false;
}

// Differing pixels in opaque red over a faded grey copy of the golden, so that a reader sees
// where the difference lies in the picture.
BPrivate::DisplayFrame diff_frame(const BPrivate::DisplayFrame& actual,
                                  const BPrivate::DisplayFrame& golden)
{
    BPrivate::DisplayFrame diff;
    diff.width = actual.width;
    diff.height = actual.height;
    diff.pixels.resize(actual.pixels.size());
    for (size_t i = 0; i < actual.pixels.size(); i++) {
        if (channels_differ(actual.pixels[i], golden.pixels[i])) {
            diff.pixels[i] = 0xffff0000;
            continue;
        }
        uint32_t pixel = golden.pixels[i];
        uint32_t grey = (((pixel >> 16) & 0xff) + ((pixel >> 8) & 0xff) + (pixel & 0xff)) / 3;
        uint32_t faded = 192 + grey / 4;
        diff.pixels[i] = 0xff000000 | (faded << 16) | (faded << 8) | faded;
    }
    return diff;
}

} // namespace

bool read_png(const std::string& path, BPrivate::DisplayFrame& frame)
{
    SurfacePointer surface(cairo_image_surface_create_from_png(path.c_str()),
                           cairo_surface_destroy);
    if (cairo_surface_status(surface.get()) != CAIRO_STATUS_SUCCESS)
        return false;
    cairo_format_t format = cairo_image_surface_get_format(surface.get());
    if (format != CAIRO_FORMAT_ARGB32 && format != CAIRO_FORMAT_RGB24)
        return false;
    cairo_surface_flush(surface.get());
    frame.width = cairo_image_surface_get_width(surface.get());
    frame.height = cairo_image_surface_get_height(surface.get());
    frame.pixels.resize((size_t)frame.width * frame.height);
    const uint8_t* data = cairo_image_surface_get_data(surface.get());
    int stride = cairo_image_surface_get_stride(surface.get());
    for (int32 y = 0; y < frame.height; y++) {
        const uint32_t* row = (const uint32_t*)(data + (size_t)y * stride);
        for (int32 x = 0; x < frame.width; x++) {
            // An image without alpha reads as opaque, whatever its unused byte holds.
            uint32_t pixel = row[x];
            frame.pixels[(size_t)y * frame.width + x] =
                format == CAIRO_FORMAT_RGB24 ? pixel | 0xff000000 : pixel;
        }
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

    std::string goldenPath = goldenDir + "/" + name + ".png";
    std::string actualPath = outputDir + "/" + name + ".actual.png";
    std::string diffPath = outputDir + "/" + name + ".diff.png";

    std::error_code error;
    std::filesystem::create_directories(outputDir, error);
    if (update_requested()) {
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
    for (size_t i = 0; i < frame.pixels.size(); i++) {
        if (channels_differ(frame.pixels[i], golden.pixels[i])) {
            if (different == 0)
                first = i;
            different++;
        }
    }
    double fraction = (double)different / frame.pixels.size();
    if (fraction <= kDifferentFraction)
        return ::testing::AssertionSuccess()
               << name << ": " << different << " pixels differ, within the tolerance";

    bool written = frame.WritePNG(actualPath.c_str()) == B_OK &&
                   diff_frame(frame, golden).WritePNG(diffPath.c_str()) == B_OK;
    int32 x = (int32)(first % frame.width);
    int32 y = (int32)(first / frame.width);
    auto failure = ::testing::AssertionFailure();
    failure << name << ": " << different << " of " << frame.pixels.size() << " pixels ("
            << fraction * 100 << " %) differ by more than " << kChannelTolerance
            << " in a channel, more than the " << kDifferentFraction * 100
            << " % allowed; the first at (" << x << ", " << y << "): " << hex(frame.pixels[first])
            << " instead of " << hex(golden.pixels[first]) << " (ARGB, premultiplied). ";
    if (written)
        failure << "See " << actualPath << " and " << diffPath << ". ";
    else
        failure << "Could not write " << actualPath << " and " << diffPath << ". ";
    failure << "If the change is intended, run with UPDATE_GOLDENS=1 to make it the golden.";
    return failure;
}

} // namespace golden_image

::testing::AssertionResult matches_golden(const BPrivate::DisplayFrame& frame, const char* name)
{
    return golden_image::compare(frame, name, GOLDEN_SOURCE_DIR, GOLDEN_OUTPUT_DIR);
}
