#include "GoldenImage.h"
#include "Environment.h"
#include "TempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <utility>

namespace {

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

} // namespace

TEST(GoldenImageTest, UpdateWritesTheGoldenThatNearFramesMatchAndALargeChangeFailsWithItsDiff)
{
    // The test decides whether goldens are updated; a run that updates the goldens of the
    // other tests gets its setting back.
    ScopedVariable noUpdate("UPDATE_GOLDENS", nullptr);
    TempFolder folder;
    auto compare = [&](const BPrivate::DisplayFrame& frame, const char* name = "window") {
        return golden_image::compare(frame, name, folder / "golden", folder / "out");
    };
    ::testing::AssertionResult missing = compare(window_frame());
    EXPECT_FALSE(missing);
    EXPECT_NE(std::string(missing.message()).find("UPDATE_GOLDENS=1"), std::string::npos);
    // Names that would leave the folder are refused.
    for (const char* name : {"../escape", ""})
        EXPECT_FALSE(compare(window_frame(), name)) << name;
    {
        ScopedVariable update("UPDATE_GOLDENS", "1");
        EXPECT_TRUE(compare(window_frame()));
    }
    BPrivate::DisplayFrame golden;
    ASSERT_TRUE(golden_image::read_png(folder / "golden/window.png", golden));
    EXPECT_EQ(golden.pixels, window_frame().pixels);

    // Antialiasing noise everywhere, and a few pixels (under 0.5 %) quite different.
    BPrivate::DisplayFrame noisy = window_frame();
    for (uint32_t& pixel : noisy.pixels)
        pixel += 0x00141414;
    noisy.pixels[0] = 0xff000000;
    noisy.pixels[100] = 0xffffffff;
    EXPECT_TRUE(compare(noisy));
    EXPECT_FALSE(std::filesystem::exists(folder / "out/window.diff.png"));
    BPrivate::DisplayFrame turned = window_frame();
    std::swap(turned.width, turned.height);
    EXPECT_FALSE(compare(turned)) << "a frame of another size";

    // A second dark square: 100 pixels differ.
    BPrivate::DisplayFrame frame = window_frame();
    for (int y = 5; y < 15; y++)
        for (int x = 20; x < 30; x++)
            frame.pixels[y * 40 + x] = 0xff202020;
    ::testing::AssertionResult result = compare(frame);
    EXPECT_FALSE(result);
    const std::string message = result.message();
    for (const char* part : {"100 of 1200 pixels", "(20, 5)", "window.diff.png"})
        EXPECT_NE(message.find(part), std::string::npos) << message;
    BPrivate::DisplayFrame diff;
    ASSERT_TRUE(golden_image::read_png(folder / "out/window.diff.png", diff));
    EXPECT_EQ(diff.At(20, 5), 0xffff0000u);
    EXPECT_NE(diff.At(0, 0), 0xffff0000u);
    BPrivate::DisplayFrame actual;
    ASSERT_TRUE(golden_image::read_png(folder / "out/window.actual.png", actual));
    EXPECT_EQ(actual.pixels, frame.pixels);
}
