#include "GoldenImage.h"
#include "Environment.h"
#include "TempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <utility>

namespace {

namespace fs = std::filesystem;

// A frame with a grey background and a dark square, like a small window.
BPrivate::DisplayFrame window_frame()
{
    BPrivate::DisplayFrame frame;
    frame.width = 40;
    frame.height = 30;
    frame.pixels.assign(40 * 30, 0xffd8d8d8);
    for (int y = 5; y < 15; y++)
        for (int x = 5; x < 15; x++)
            frame.pixels[y * 40 + x] = 0xff202020;
    return frame;
}

class GoldenImageTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        fs::create_directories(fFolder / "golden");
        fs::create_directories(fFolder / "out");
    }

    ::testing::AssertionResult Compare(const BPrivate::DisplayFrame& frame)
    {
        return golden_image::compare(frame, "window", fFolder / "golden", fFolder / "out");
    }

    TempFolder fTemp;
    const fs::path fFolder = fTemp.Path();
    // The tests decide whether goldens are updated; a run that updates the goldens of the
    // other tests gets its setting back.
    ScopedVariable fNoUpdate{"UPDATE_GOLDENS", nullptr};
};

} // namespace

TEST_F(GoldenImageTest, UpdateWritesTheGoldenThatNearFramesMatchAndALargeChangeFailsWithItsDiff)
{
    ::testing::AssertionResult missing = Compare(window_frame());
    EXPECT_FALSE(missing);
    EXPECT_NE(std::string(missing.message()).find("UPDATE_GOLDENS=1"), std::string::npos);
    // Names that would leave the folder are refused.
    for (const char* name : {"../escape", ""})
        EXPECT_FALSE(
            golden_image::compare(window_frame(), name, fFolder / "golden", fFolder / "out"))
            << name;
    {
        ScopedVariable update("UPDATE_GOLDENS", "1");
        EXPECT_TRUE(Compare(window_frame()));
    }
    BPrivate::DisplayFrame golden;
    ASSERT_TRUE(golden_image::read_png(fFolder / "golden" / "window.png", golden));
    EXPECT_EQ(golden.pixels, window_frame().pixels);

    // Antialiasing noise everywhere, and a few pixels (under 0.5 %) quite different.
    BPrivate::DisplayFrame noisy = window_frame();
    for (uint32_t& pixel : noisy.pixels)
        pixel += 0x00141414;
    noisy.pixels[0] = 0xff000000;
    noisy.pixels[100] = 0xffffffff;
    EXPECT_TRUE(Compare(noisy));
    EXPECT_FALSE(fs::exists(fFolder / "out" / "window.diff.png"));
    BPrivate::DisplayFrame turned = window_frame();
    std::swap(turned.width, turned.height);
    EXPECT_FALSE(Compare(turned)) << "a frame of another size";

    // A second dark square: 100 pixels differ.
    BPrivate::DisplayFrame frame = window_frame();
    for (int y = 5; y < 15; y++)
        for (int x = 20; x < 30; x++)
            frame.pixels[y * 40 + x] = 0xff202020;
    ::testing::AssertionResult result = Compare(frame);
    EXPECT_FALSE(result);
    const std::string message = result.message();
    for (const char* part : {"100 of 1200 pixels", "(20, 5)", "window.diff.png"})
        EXPECT_NE(message.find(part), std::string::npos) << message;
    BPrivate::DisplayFrame diff;
    ASSERT_TRUE(golden_image::read_png(fFolder / "out" / "window.diff.png", diff));
    EXPECT_EQ(diff.At(20, 5), 0xffff0000u);
    EXPECT_NE(diff.At(0, 0), 0xffff0000u);
    BPrivate::DisplayFrame actual;
    ASSERT_TRUE(golden_image::read_png(fFolder / "out" / "window.actual.png", actual));
    EXPECT_EQ(actual.pixels, frame.pixels);
}
