// Whole conversions, from a MIDI file on disk to the ".fem" file beside it.

#include "MidiBytes.h"
#include "TempFolder.h"
#include "app/CadenzoView.h"
#include "settings/Prefs.h"

#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>
#include <unistd.h>

namespace {

using testing::internal::CaptureStderr;
using testing::internal::GetCapturedStderr;

// The example song: tempo and a program change at 0, one note from 480 to 960.
Bytes example_song(uint16_t timeBase = 480)
{
    return smf_header(0, 1, timeBase) +
           smf_track({0x00, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20, 0x00, 0xC0, 0x05, 0x83, 0x60,
                      0x90, 0x3C, 0x64, 0x83, 0x60, 0x80, 0x3C, 0x40, 0x00, 0xFF, 0x2F, 0x00});
}

const Bytes kTag = {0xFF, 0x04, 0x0B, 'C', 'd', 'z', 'V', 'r', '(', '2', '.', '3', '3', ')'};

class Conversion : public testing::Test {
protected:
    void TearDown() override { *gPrefs = TPrefs(); }

    // Converts name in the folder; the alert it showed, if any, lands in fAlert.
    int32 Convert(const std::string& name)
    {
        CaptureStderr();
        int32 result = fView.Convert(entry_ref(fFolder.Path().c_str(), name.c_str()));
        fAlert = GetCapturedStderr();
        return result;
    }

    TempFolder fFolder;
    TCadenzoView fView{BRect(), "test"};
    std::string fAlert;
};

// Each source becomes exactly these bytes; the earlier output is replaced, and converting
// again gives the same bytes.
TEST_F(Conversion, SourcesBecomeExactlyTheseBytes)
{
    // The time-code division is copied as it is; the tail at the default tempo.
    const uint32_t end = 1 + 3 * 1000000ull * 0xE728 / 500000;
    const Bytes endDelta = {(uint8_t)(0x80 | (end >> 14)), (uint8_t)(0x80 | ((end >> 7) & 0x7F)),
                            (uint8_t)(end & 0x7F)};
    const struct {
        const char* behaviour;
        bool tail;
        Bytes source;
        Bytes fem;
    } cases[] = {
        {"the example song", true, example_song(),
         smf_header(0, 1, 480) +
             smf_track(
                 Bytes{0x00, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20, 0x00, 0x90, 0x3C, 0x7F, 0x00} +
                 kTag + Bytes{0x83, 0x60, 0x80, 0x3C, 0x40, 0x96, 0x41, 0xFF, 0x2F, 0x00})},
        {"an empty format 1 file gets the tag and the End of Track", true, smf_header(1, 0, 0xE728),
         smf_header(0, 1, 0xE728) +
             smf_track(Bytes{0x00} + kTag + endDelta + Bytes{0xFF, 0x2F, 0x00})},
        // Two tracks with a tempo change each at tick 0: track 0's comes first.
        {"tracks merge in track order within a tick", false,
         smf_header(1, 2, 96) +
             smf_track({0x00, 0xFF, 0x51, 0x03, 0x00, 0x00, 0x01, 0x00, 0xFF, 0x2F, 0x00}) +
             smf_track({0x00, 0xFF, 0x51, 0x03, 0x00, 0x00, 0x02, 0x00, 0xFF, 0x2F, 0x00}),
         smf_header(0, 1, 96) + smf_track(Bytes{0x00, 0xFF, 0x51, 0x03, 0x00, 0x00, 0x01, 0x00,
                                                0xFF, 0x51, 0x03, 0x00, 0x00, 0x02, 0x00} +
                                          kTag + Bytes{0x01, 0xFF, 0x2F, 0x00})},
    };
    for (const auto& each : cases) {
        SCOPED_TRACE(each.behaviour);
        gPrefs->AdTl = each.tail;
        fFolder.Write("song.mid", each.source);
        fFolder.Write("song.fem", {'o', 'l', 'd'});
        for (int run = 1; run <= 2; run++) {
            ASSERT_EQ(0, Convert("song.mid")) << fAlert;
            EXPECT_EQ("", fAlert);
            EXPECT_TRUE(same_file(each.fem, fFolder.Read("song.fem"))) << "run " << run;
            EXPECT_EQ((std::vector<std::string>{"song.fem", "song.mid"}), fFolder.List());
        }
    }
}

// What is not a source is refused and leaves no output; only the extension in lower case marks
// an output.
TEST_F(Conversion, WhatIsNotASourceIsRefusedAndLeavesNoOutput)
{
    fFolder.Write("song.fem", example_song());
    fFolder.Write("text.mid", {'h', 'e', 'l', 'l', 'o'});
    const std::pair<const char*, const char*> cases[] = {
        {"song.fem", "@Err_Already_Converted@"},
        {"text.mid", "@Err_Cannot_Load_Src_File@"},
        {"missing.mid", "@Err_Cannot_Load_Src_File@"},
    };
    for (const auto& [name, alert] : cases) {
        EXPECT_EQ(-1, Convert(name)) << name;
        EXPECT_PRED_FORMAT2(testing::IsSubstring, alert, fAlert);
    }
    EXPECT_EQ(example_song(), fFolder.Read("song.fem"));
    EXPECT_EQ((std::vector<std::string>{"song.fem", "text.mid"}), fFolder.List());

    fFolder.Write("other.FEM", example_song());
    EXPECT_EQ(0, Convert("other.FEM")) << fAlert;
    EXPECT_TRUE(fFolder.Exists("other.fem"));
}

// A failed save keeps the earlier output; a destination that cannot be opened is reported.
TEST_F(Conversion, AFailedSaveKeepsTheEarlierOutputAndAClosedDestinationIsReported)
{
    // Sixty-four notes: the output outgrows the limit below, the alert's line does not.
    Bytes track;
    for (uint8_t key = 0x20; key < 0x60; ++key)
        track = track + Bytes{0x10, 0x90, key, 0x64, 0x10, 0x80, key, 0x40};
    track = track + Bytes{0x00, 0xFF, 0x2F, 0x00};
    fFolder.Write("song.mid", smf_header(0, 1, 480) + smf_track(track));
    const Bytes earlier(4000, 0x55);
    fFolder.Write("song.fem", earlier);

    // Files of this process may not grow past 300 bytes: the new output cannot be written.
    struct rlimit saved;
    getrlimit(RLIMIT_FSIZE, &saved);
    struct rlimit small = saved;
    small.rlim_cur = 300;
    auto oldHandler = signal(SIGXFSZ, SIG_IGN);
    setrlimit(RLIMIT_FSIZE, &small);
    int32 result = Convert("song.mid");
    setrlimit(RLIMIT_FSIZE, &saved);
    signal(SIGXFSZ, oldHandler);

    EXPECT_EQ(-1, result);
    EXPECT_PRED_FORMAT2(testing::IsSubstring, "@Err_Cannot_Save_Dest_File@", fAlert);
    EXPECT_EQ(earlier, fFolder.Read("song.fem"));
    EXPECT_EQ((std::vector<std::string>{"song.fem", "song.mid"}), fFolder.List())
        << "the temporary file is gone";

    std::filesystem::remove(fFolder / "song.fem");
    std::filesystem::create_directory(fFolder / "song.fem");
    EXPECT_EQ(-1, Convert("song.mid"));
    EXPECT_PRED_FORMAT2(testing::IsSubstring, "@Err_Cannot_Open_Dest_File@", fAlert);
    EXPECT_EQ((std::vector<std::string>{"song.fem", "song.mid"}), fFolder.List());

    if (geteuid() == 0)
        GTEST_SKIP() << "permissions do not stop the superuser";
    std::filesystem::remove(fFolder / "song.fem");
    std::filesystem::permissions(fFolder.Path(), std::filesystem::perms::owner_write,
                                 std::filesystem::perm_options::remove);
    EXPECT_EQ(-1, Convert("song.mid"));
    EXPECT_PRED_FORMAT2(testing::IsSubstring, "@Err_Cannot_Open_Dest_File@", fAlert);
}

} // namespace
