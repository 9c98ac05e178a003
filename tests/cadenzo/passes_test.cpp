// The conversion passes, each on small maps.

#include "MidiBytes.h"
#include "app/CadenzoView.h"
#include "convert/MergeTracks.h"
#include "settings/Prefs.h"
#include "smf/SMF.h"

#include <DataIO.h>

#include <algorithm>
#include <sstream>

#include <gtest/gtest.h>

namespace {

// Ticks that wrap around past 2^32 in a later track send the merge the long way: each track's
// events go where inserting them would put them, and ties go by track. The tracks do not stay.
TEST(TrackMerging, WrappedTicksInALaterTrackMergeAsInsertingWould)
{
    const Bytes endOfTrack = {0x00, 0xFF, 0x2F, 0x00};
    const Bytes bytes = smf_header(1, 2, 96) +
                        smf_track(Bytes{0x05, 0x90, 0x3C, 0x40} + endOfTrack) +
                        smf_track(Bytes{0x00, 0x91, 0x3C, 0x40, 0x8F, 0xFF, 0xFF, 0xFF, 0x7F, 0x3C,
                                        0x41, 0x06, 0x3C, 0x42} +
                                  endOfTrack);
    TSMF header;
    TEventMap merged;
    BMemoryIO stream(bytes.data(), bytes.size());
    ASSERT_EQ(0, load_merged(&stream, &header, &merged));
    EXPECT_EQ("0 90 01 3C 40\n5 90 00 3C 40\n5 FF 2F\n5 90 01 3C 42\n5 FF 2F\n"
              "4294967295 90 01 3C 41\n",
              dump_events(merged));
    EXPECT_EQ(96, header.TimeBase());
    EXPECT_EQ(0, header.CountTracks());
}

// A map written as its dump (smf/EventDump.h): "tick status channel data..." a line.
TEventMap events(const std::string& dump)
{
    TEventMap map;
    std::istringstream lines(dump);
    for (std::string line; std::getline(lines, line);) {
        std::istringstream fields(line);
        uint32_t tick;
        fields >> tick >> std::hex;
        std::vector<uint8_t> bytes;
        for (unsigned byte; fields >> byte;)
            bytes.push_back((uint8_t)byte);
        TMIDIEvent event = make_event(bytes[0], bytes[1], {});
        event.fData = TByteArray(bytes.data() + 2, bytes.size() - 2);
        add_event(map, tick, std::move(event));
    }
    return map;
}

using Tweak = void (*)(TPrefs&);

class Passes : public testing::Test {
protected:
    void TearDown() override { *gPrefs = TPrefs(); }

    // Runs the three selection passes in order, as a conversion does.
    std::string Select(const std::string& source)
    {
        const TEventMap map = events(source);
        TEventMap destination;
        view.ConvertChannelIndependentEvents(map, &destination);
        view.ConvertChannelEvents(map, &destination);
        view.ConvertNoteOnEvents(map, &destination);
        return dump_events(destination);
    }
    // The settings of a case: the defaults, changed by tweak when there is one.
    static void Use(Tweak tweak)
    {
        *gPrefs = TPrefs();
        if (tweak != nullptr)
            tweak(*gPrefs);
    }

    TCadenzoView view{BRect(), "test"};
};

TEST_F(Passes, SelectionKeepsTemposNoteOffsPedalAndScaledNoteOns)
{
    const struct {
        const char* behaviour;
        Tweak tweak;
        const char* source;
        const char* selected;
    } cases[] = {
        {"at one tick: tempos, note-offs, pedal, note-ons; program, pan, bend, texts and other "
         "system exclusives go",
         nullptr,
         "0 90 01 3C 64\n0 B0 02 40 7F\n0 FF 51 07 A1 20\n0 C0 01 05\n0 B0 01 0A 40\n"
         "0 E0 01 00 40\n0 FF 03 78\n0 F0 00 01 02 F7\n10 80 03 3C 40\n10 FF 2F\n",
         "0 FF 51 07 A1 20\n0 B0 02 40 7F\n0 90 00 3C 7F\n10 80 03 3C 40\n"},
        {"the tenth channel is off by default", nullptr,
         "0 FF 51 06 1A 80\n0 90 09 24 64\n0 90 00 3C 32\n5 80 09 24 40\n5 80 00 3C 40\n",
         "0 FF 51 06 1A 80\n0 90 00 3C 7F\n5 80 00 3C 40\n"},
        {"with every channel off only tempos remain",
         [](TPrefs& p) { std::fill(std::begin(p.ChMs), std::end(p.ChMs), false); },
         "0 FF 51 06 1A 80\n0 90 09 24 64\n0 90 00 3C 32\n5 80 09 24 40\n5 80 00 3C 40\n",
         "0 FF 51 06 1A 80\n"},
        {"note-ons move to channel 0, note-offs keep theirs", nullptr,
         "0 90 04 3C 64\n1 90 04 3C 00\n2 80 04 3C 40\n",
         "0 90 00 3C 7F\n1 90 00 3C 00\n2 80 04 3C 40\n"},
        // Velocity 100 and expression 127, volumes 100 and 50: the loudest note gets the
        // maximum and the other floor(80,645,000 x 127 / 161,290,000) = 63 of it.
        {"velocities scale with loudness up to the maximum", nullptr,
         "0 B0 01 07 32\n0 90 00 3C 64\n0 90 01 3E 64\n", "0 90 00 3C 7F\n0 90 00 3E 3F\n"},
        {"a lower maximum velocity scales every note", [](TPrefs& p) { p.MaxV = 100; },
         "0 B0 01 07 32\n0 90 00 3C 64\n0 90 01 3E 64\n", "0 90 00 3C 64\n0 90 00 3E 32\n"},
        {"note-ons of one tick go out by channel, then in source order", nullptr,
         "0 90 03 01 64\n0 90 01 02 64\n0 90 03 03 64\n0 90 00 04 64\n7 90 01 05 64\n"
         "7 90 00 06 64\n",
         "0 90 00 04 7F\n0 90 00 02 7F\n0 90 00 01 7F\n0 90 00 03 7F\n7 90 00 06 7F\n"
         "7 90 00 05 7F\n"},
        // The Master Volume message at 1 halves every channel; volume and expression of
        // channel 5 at 3 change only its notes; a message too short for Master Volume is none.
        {"controller state follows map order", nullptr,
         "0 90 00 3C 7F\n1 F0 00 7F 7F 04 01 00 40 F7\n2 90 00 3D 7F\n2 90 05 3E 7F\n"
         "3 B0 05 07 32\n3 B0 05 0B 00\n3 90 05 3F 7F\n3 90 00 40 7F\n4 F0 00 7F 7F 04 01 00\n"
         "5 90 00 41 7F\n",
         "0 90 00 3C 7F\n2 90 00 3D 40\n2 90 00 3E 40\n3 90 00 40 40\n3 90 00 3F 00\n"
         "5 90 00 41 40\n"},
        {"silent notes stay silent", nullptr, "0 B0 00 07 00\n0 90 00 3C 64\n1 90 00 3C 00\n",
         "0 90 00 3C 00\n1 90 00 3C 00\n"},
        // 255^4 does not fit in 32 signed bits.
        {"damaged data bytes above 127 do not overflow", nullptr,
         "0 B0 00 07 FF\n0 B0 00 0B FF\n0 F0 00 7F 7F 04 01 00 FF F7\n0 90 00 3C FF\n"
         "0 90 00 3D 80\n",
         "0 90 00 3C 7F\n0 90 00 3D 3F\n"},
    };
    for (const auto& each : cases) {
        Use(each.tweak);
        EXPECT_EQ(each.selected, Select(each.source)) << each.behaviour;
    }
}

TEST_F(Passes, CleanupHeadSilenceAndTagRewriteTheMapInPlace)
{
    using Pass = int32 (TCadenzoView::*)(TEventMap*) const;
    const Pass redundant = &TCadenzoView::RemoveRedundantNoteOnEvents;
    const Pass hasty = &TCadenzoView::RemoveHastyNoteOffEvents;
    const Pass head = &TCadenzoView::RemoveHeadSilence;
    const struct {
        const char* behaviour;
        Pass pass;
        Tweak tweak;
        const char* before;
        const char* after; // nullptr: unchanged
    } cases[] = {
        {"redundant note-ons merge into the first with the largest velocity", redundant, nullptr,
         "0 90 00 3C 28\n0 90 00 3E 0A\n0 90 00 3C 5A\n0 90 00 3C 46\n1 90 00 3C 05\n"
         "2 90 00 40 00\n2 90 00 40 40\n3 80 00 41 40\n3 90 00 41 1E\n",
         "0 90 00 3C 5A\n0 90 00 3E 0A\n1 90 00 3C 05\n2 90 00 40 40\n3 80 00 41 40\n"
         "3 90 00 41 1E\n"},
        {"an empty map stays empty (redundant note-ons)", redundant, nullptr, "", nullptr},
        // Channel 1 holds C4 from 0 to 960; channel 2 strikes it at 240 and releases it at 480.
        {"a hasty note-off goes so that the note sounds until its last release", hasty, nullptr,
         "0 90 00 3C 64\n240 90 00 3C 64\n480 80 02 3C 40\n960 80 01 3C 40\n",
         "0 90 00 3C 64\n240 90 00 3C 64\n960 80 01 3C 40\n"},
        {"a note-off before any strike, and releases of notes struck once, stay", hasty, nullptr,
         "0 80 05 3D 40\n0 90 00 3C 64\n100 80 00 3C 40\n150 90 00 3C 64\n200 90 00 3C 00\n"
         "300 80 00 3E 40\n300 90 00 3E 5A\n",
         nullptr},
        {"a zero-velocity note-on releases too", hasty, nullptr,
         "0 90 00 3C 64\n100 80 00 3C 40\n200 90 00 3C 00\n", "0 90 00 3C 64\n200 90 00 3C 00\n"},
        {"an empty map stays empty (hasty note-offs)", hasty, nullptr, "", nullptr},
        {"the first note moves to tick 0 with the last tempo before it", head, nullptr,
         "0 FF 51 07 A1 20\n100 B0 00 40 7F\n240 FF 51 06 1A 80\n480 90 00 3C 64\n"
         "600 FF 51 04 93 E0\n960 80 00 3C 40\n",
         "0 B0 00 40 7F\n0 FF 51 06 1A 80\n0 90 00 3C 64\n120 FF 51 04 93 E0\n"
         "480 80 00 3C 40\n"},
        {"a map without note-ons keeps its head", head, nullptr,
         "0 FF 51 07 A1 20\n10 FF 51 06 1A 80\n20 80 00 3C 40\n", nullptr},
        {"a first note at 0 keeps only the last tempo before it", head, nullptr,
         "0 FF 51 07 A1 20\n0 FF 51 06 1A 80\n0 90 00 3C 64\n0 FF 51 04 93 E0\n"
         "10 80 00 3C 40\n",
         "0 FF 51 06 1A 80\n0 90 00 3C 64\n0 FF 51 04 93 E0\n10 80 00 3C 40\n"},
        {"with head trimming off the head stays", head, [](TPrefs& p) { p.TrHd = false; },
         "0 FF 51 07 A1 20\n5 FF 51 06 1A 80\n480 90 00 3C 64\n", nullptr},
        {"the converter's tag follows the events at tick 0", &TCadenzoView::AddConverterVersion,
         nullptr, "0 FF 51 07 A1 20\n0 90 00 3C 64\n0 90 00 40 64\n5 80 00 3C 40\n",
         "0 FF 51 07 A1 20\n0 90 00 3C 64\n0 90 00 40 64\n"
         "0 FF 04 43 64 7A 56 72 28 32 2E 33 33 29\n5 80 00 3C 40\n"},
    };
    for (const auto& each : cases) {
        Use(each.tweak);
        TEventMap map = events(each.before);
        (view.*each.pass)(&map);
        EXPECT_EQ(each.after != nullptr ? each.after : each.before, dump_events(map))
            << each.behaviour;
    }
}

// The End of Track comes last, after the tail timed by the last tempo, and never wraps around.
TEST_F(Passes, EndOfTrackFollowsTheLastEventAfterTheTail)
{
    const struct {
        const char* behaviour;
        Tweak tweak;
        const char* map;
        unsigned short timeBase;
        uint32_t end;
    } cases[] = {
        {"three seconds at the default tempo", nullptr, "10000 80 00 3C 40\n", 480, 12881},
        {"the last tempo times the tail", nullptr,
         "0 FF 51 07 A1 20\n9000 FF 51 0A AE 60\n10000 80 00 3C 40\n", 96, 10000 + 1 + 411},
        {"no tail of zero seconds", [](TPrefs& p) { p.TlMg = 0; }, "10000 80 00 3C 40\n", 480,
         10001},
        {"no tail when it is off", [](TPrefs& p) { p.AdTl = false; }, "10000 80 00 3C 40\n", 480,
         10001},
        {"a late end saturates instead of wrapping", nullptr, "4294967040 80 00 3C 40\n", 480,
         0xFFFFFFFF},
        {"an event on the last tick", nullptr, "4294967295 80 00 3C 40\n", 480, 0xFFFFFFFF},
        {"a tempo of zero takes the default", nullptr, "100 FF 51 00 00 00\n", 480, 101 + 2880},
        {"a tempo too short takes the default", nullptr, "100 FF 51 07\n", 480, 101 + 2880},
        {"a negative tail adds nothing", [](TPrefs& p) { p.TlMg = -5; }, "100 FF 51 07\n", 480,
         101},
        {"the longest tail at the finest time base saturates",
         [](TPrefs& p) { p.TlMg = 0x7FFFFFFF; }, "100 FF 51 07\n", 0xFFFF, 0xFFFFFFFF},
    };
    for (const auto& each : cases) {
        Use(each.tweak);
        TEventMap map = events(each.map);
        view.AddEndOfTrack(&map, each.timeBase);
        EXPECT_EQ(each.map + std::to_string(each.end) + " FF 2F\n", dump_events(map))
            << each.behaviour;
    }
}

} // namespace
