#pragma once

// Compares what a window shows with a golden image kept beside the tests, within a tolerance
// that absorbs the small differences antialiasing makes between machines but not a moved,
// missing or miscoloured element.
//
// A pixel differs when one of its channels (alpha, red, green, blue, premultiplied) differs by
// more than kChannelTolerance; the frame fails when more than kDifferentFraction of its
// pixels differ, or when its size is not the golden's. A failure writes <name>.actual.png and
// <name>.diff.png (differing pixels red over a faded copy of the golden) into the tests'
// build folder and says where. With UPDATE_GOLDENS=1 in the environment the frame becomes
// the golden instead: look at the new image before committing it.

#include <Display.h>

#include <gtest/gtest.h>

#include <string>

namespace golden_image {

inline constexpr int kChannelTolerance = 40;
inline constexpr double kDifferentFraction = 0.005;

// The comparison itself, with the folders given: goldenDir holds <name>.png, outputDir
// receives the images a failure writes.
::testing::AssertionResult compare(const BPrivate::DisplayFrame& frame, const char* name,
                                   const std::string& goldenDir, const std::string& outputDir);

// Reads a PNG file into a frame; false when it cannot. (DisplayFrame::WritePNG writes one.)
bool read_png(const std::string& path, BPrivate::DisplayFrame& frame);

} // namespace golden_image

// Compares with tests/platform/interface/golden/<name>.png. name is a plain file name
// without ".png" (letters, digits, '_', '-', '.').
::testing::AssertionResult matches_golden(const BPrivate::DisplayFrame& frame, const char* name);
