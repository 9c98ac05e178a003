// The conversion passes, each on small maps.

#include "MidiBytes.h"
#include "app/CadenzoView.h"
#include "convert/MergeTracks.h"
#include "settings/Prefs.h"
#include "smf/SMF.h"

#include <DataIO.h>

#include <gtest/gtest.h>

namespace {

TEST(TrackMerging, DecodingStraightIntoTheMergedMapEqualsLoadingThenMerging)
{
    const Bytes endOfTrack = {0x00, 0xFF, 0x2F, 0x00};
    const Bytes cases[] = {
        // Ties between tracks at several ticks, runs of one track at one tick.
        smf_header(1, 3, 96) +
            smf_track(Bytes{0x00, 0x90, 0x3C, 0x40, 0x00, 0x3D, 0x40, 0x10, 0x3C, 0x00} +
                      endOfTrack) +
            smf_track(Bytes{0x00, 0x91, 0x40, 0x40, 0x10, 0x40, 0x00, 0x05, 0x41, 0x40} +
                      endOfTrack) +
            smf_track(endOfTrack),
        // Of a format-0 file only the first chunk counts.
        smf_header(0, 3, 96) + smf_track(Bytes{0x00, 0xC0, 0x05} + endOfTrack) +
            smf_track(endOfTrack),
        smf_header(1, 0, 96),
        // The second track's ticks wrap around past 2^32.
        smf_header(1, 2, 96) + smf_track(Bytes{0x05, 0x90, 0x3C, 0x40} + endOfTrack) +
            smf_track(Bytes{0x00, 0x91, 0x3C, 0x40, 0x8F, 0xFF, 0xFF, 0xFF, 0x7F, 0x3C, 0x41, 0x06,
                            0x3C, 0x42} +
                      endOfTrack),
        // A refused second chunk.
        smf_header(1, 2, 96) + smf_track(endOfTrack) + smf_track({0x00, 0xFF, 0x2F}),
    };
    for (const Bytes& bytes : cases) {
        TSMF loaded;
        BMemoryIO stream(bytes.data(), bytes.size());
        const int32 loadResult = loaded.Load(&stream);
        TEventMap expected;
        if (loadResult == 0)
            merge_tracks(loaded, &expected);

        TSMF header;
        TEventMap merged;
        BMemoryIO again(bytes.data(), bytes.size());
        EXPECT_EQ(loadResult, load_merged(&again, &header, &merged));
        EXPECT_EQ(dump_events(expected), dump_events(merged));
        EXPECT_EQ(loaded.TimeBase(), header.TimeBase());
        EXPECT_EQ(0, header.CountTracks());
    }
}

class Passes : public testing::Test {
protected:
    void SetUp() override { *gPrefs = TPrefs(); }
    void TearDown() override { *gPrefs = TPrefs(); }

    // Runs the three selection passes in order, as a conversion does.
    TEventMap Select(const TEventMap& source)
    {
        TEventMap destination;
        view.ConvertChannelIndependentEvents(source, &destination);
        view.ConvertChannelEvents(source, &destination);
        view.ConvertNoteOnEvents(source, &destination);
        return destination;
    }

    TCadenzoView view{BRect(), "test"};
};

TEST_F(Passes, SelectionKeepsTemposNoteOffsPedalAndNoteOnsInThatOrderPerTick)
{
    TEventMap source;
    add_event(source, 0, note_on(1, 60, 100));
    add_event(source, 0, control(2, 64, 127));
    add_event(source, 0, tempo(500000));
    add_event(source, 0, make_event(0xC0, 1, {5}));          // program change
    add_event(source, 0, control(1, 10, 64));                // pan
    add_event(source, 0, make_event(0xE0, 1, {0, 64}));      // pitch bend
    add_event(source, 0, make_event(0xFF, 0x03, {'x'}));     // track name
    add_event(source, 0, make_event(0xF0, 0, {1, 2, 0xF7})); // other system exclusive
    add_event(source, 10, note_off(3, 60, 64));
    add_event(source, 10, make_event(0xFF, 0x2F, {}));
    EXPECT_EQ("0 FF 51 07 A1 20\n"
              "0 B0 02 40 7F\n"
              "0 90 00 3C 7F\n"
              "10 80 03 3C 40\n",
              dump_events(Select(source)));
}

TEST_F(Passes, ChannelSwitchesDecideWhatIsConverted)
{
    TEventMap source;
    add_event(source, 0, tempo(400000));
    add_event(source, 0, note_on(9, 36, 100)); // the tenth channel: off by default
    add_event(source, 0, note_on(0, 60, 50));
    add_event(source, 5, note_off(9, 36));
    add_event(source, 5, note_off(0, 60));
    EXPECT_EQ("0 FF 51 06 1A 80\n0 90 00 3C 7F\n5 80 00 3C 40\n", dump_events(Select(source)));

    for (bool& channel : gPrefs->ChMs)
        channel = false;
    EXPECT_EQ("0 FF 51 06 1A 80\n", dump_events(Select(source)));
}

TEST_F(Passes, NoteOnsMoveToChannelZeroAndNoteOffsKeepTheirChannel)
{
    TEventMap source;
    add_event(source, 0, note_on(4, 60, 100));
    add_event(source, 1, note_on(4, 60, 0));
    add_event(source, 2, note_off(4, 60));
    EXPECT_EQ("0 90 00 3C 7F\n1 90 00 3C 00\n2 80 04 3C 40\n", dump_events(Select(source)));
}

TEST_F(Passes, VelocitiesScaleWithLoudness)
{
    // Two channels, velocity 100 and expression 127, volumes 100 and 50: the first channel's
    // notes get 127 and the second's floor(80,645,000 x 127 / 161,290,000) = 63.
    TEventMap source;
    add_event(source, 0, control(1, 7, 50));
    add_event(source, 0, note_on(0, 60, 100));
    add_event(source, 0, note_on(1, 62, 100));
    EXPECT_EQ("0 90 00 3C 7F\n0 90 00 3E 3F\n", dump_events(Select(source)));

    gPrefs->MaxV = 100;
    EXPECT_EQ("0 90 00 3C 64\n0 90 00 3E 32\n", dump_events(Select(source)));
}

TEST_F(Passes, NoteOnsOfOneTickGoOutByChannelThenSourceOrder)
{
    TEventMap source;
    add_event(source, 0, note_on(3, 1, 100));
    add_event(source, 0, note_on(1, 2, 100));
    add_event(source, 0, note_on(3, 3, 100));
    add_event(source, 0, note_on(0, 4, 100));
    add_event(source, 7, note_on(1, 5, 100));
    add_event(source, 7, note_on(0, 6, 100));
    std::string keys;
    for (const auto& [tick, event] : Select(source))
        keys += std::to_string(tick) + ":" + std::to_string(event.fData[0]) + " ";
    EXPECT_EQ("0:4 0:2 0:1 0:3 7:6 7:5 ", keys);
}

TEST_F(Passes, ControllerStateFollowsMapOrder)
{
    TEventMap source;
    // Before the Master Volume message: master 127.
    add_event(source, 0, note_on(0, 60, 127));
    add_event(source, 1, make_event(0xF0, 0, {0x7F, 0x7F, 0x04, 0x01, 0x00, 0x40, 0xF7}));
    // After it, every channel's notes are softer.
    add_event(source, 2, note_on(0, 61, 127));
    add_event(source, 2, note_on(5, 62, 127));
    // Volume of channel 5 changes only channel 5; expression at the same tick, before it.
    add_event(source, 3, control(5, 7, 50));
    add_event(source, 3, control(5, 11, 0));
    add_event(source, 3, note_on(5, 63, 127));
    add_event(source, 3, note_on(0, 64, 127));
    // A message with 04 01 in place but too short is no Master Volume message.
    add_event(source, 4, make_event(0xF0, 0, {0x7F, 0x7F, 0x04, 0x01, 0x00}));
    add_event(source, 5, note_on(0, 65, 127));
    std::string velocities;
    for (const auto& [tick, event] : Select(source))
        velocities += std::to_string(event.fData[1]) + " ";
    // 127; 64/127 of it; the same; expression 0 gives 0; channel 0 unchanged; still 64.
    EXPECT_EQ("127 64 64 64 0 64 ", velocities);
}

TEST_F(Passes, SilentNotesStaySilent)
{
    TEventMap source;
    add_event(source, 0, control(0, 7, 0));
    add_event(source, 0, note_on(0, 60, 100));
    add_event(source, 1, note_on(0, 60, 0));
    EXPECT_EQ("0 90 00 3C 00\n1 90 00 3C 00\n", dump_events(Select(source)));
}

TEST_F(Passes, DamagedDataBytesAboveOneHundredTwentySevenDoNotOverflow)
{
    TEventMap source;
    add_event(source, 0, control(0, 7, 0xFF));
    add_event(source, 0, control(0, 11, 0xFF));
    add_event(source, 0, make_event(0xF0, 0, {0x7F, 0x7F, 0x04, 0x01, 0x00, 0xFF, 0xF7}));
    add_event(source, 0, note_on(0, 60, 0xFF));
    add_event(source, 0, note_on(0, 61, 0x80));
    // 255^4 does not fit in 32 signed bits; the loudest is still MaxV and the other scales.
    EXPECT_EQ("0 90 00 3C 7F\n0 90 00 3D 3F\n", dump_events(Select(source)));
}

TEST_F(Passes, RedundantNoteOnsMergeIntoTheFirstWithTheLargestVelocity)
{
    TEventMap map;
    add_event(map, 0, note_on(0, 60, 40));
    add_event(map, 0, note_on(0, 62, 10));
    add_event(map, 0, note_on(0, 60, 90));
    add_event(map, 0, note_on(0, 60, 70));
    add_event(map, 1, note_on(0, 60, 5));
    add_event(map, 2, note_on(0, 64, 0));
    add_event(map, 2, note_on(0, 64, 64));
    add_event(map, 3, note_off(0, 65));
    add_event(map, 3, note_on(0, 65, 30));
    view.RemoveRedundantNoteOnEvents(&map);
    EXPECT_EQ("0 90 00 3C 5A\n0 90 00 3E 0A\n1 90 00 3C 05\n2 90 00 40 40\n"
              "3 80 00 41 40\n3 90 00 41 1E\n",
              dump_events(map));
}

TEST_F(Passes, HastyNoteOffsGoSoThatNotesSoundUntilTheirLastRelease)
{
    // Channel 1 holds C4 from 0 to 960; channel 2 strikes it at 240 and releases it at 480.
    TEventMap map;
    add_event(map, 0, note_on(0, 60, 100));
    add_event(map, 240, note_on(0, 60, 100));
    add_event(map, 480, note_off(2, 60));
    add_event(map, 960, note_off(1, 60));
    view.RemoveHastyNoteOffEvents(&map);
    EXPECT_EQ("0 90 00 3C 64\n240 90 00 3C 64\n960 80 01 3C 40\n", dump_events(map));

    TEventMap apart;
    add_event(apart, 0, note_off(5, 61)); // before any strike, no later release: kept
    add_event(apart, 0, note_on(0, 60, 100));
    add_event(apart, 100, note_off(0, 60));
    add_event(apart, 150, note_on(0, 60, 100));
    add_event(apart, 200, note_on(0, 60, 0)); // a zero-velocity note-on releases too
    add_event(apart, 300, note_off(0, 62));
    add_event(apart, 300, note_on(0, 62, 90));
    const std::string before = dump_events(apart);
    view.RemoveHastyNoteOffEvents(&apart);
    EXPECT_EQ(before, dump_events(apart));

    TEventMap twice;
    add_event(twice, 0, note_on(0, 60, 100));
    add_event(twice, 100, note_off(0, 60));
    add_event(twice, 200, note_on(0, 60, 0));
    view.RemoveHastyNoteOffEvents(&twice);
    EXPECT_EQ("0 90 00 3C 64\n200 90 00 3C 00\n", dump_events(twice));

    TEventMap empty;
    view.RemoveHastyNoteOffEvents(&empty);
    view.RemoveRedundantNoteOnEvents(&empty);
    EXPECT_TRUE(empty.empty());
}

TEST_F(Passes, HeadSilenceMovesTheFirstNoteToTickZeroWithTheLastTempoBeforeIt)
{
    TEventMap map;
    add_event(map, 0, tempo(500000));
    add_event(map, 100, control(0, 64, 127));
    add_event(map, 240, tempo(400000));
    add_event(map, 480, note_on(0, 60, 100));
    add_event(map, 600, tempo(300000));
    add_event(map, 960, note_off(0, 60));
    view.RemoveHeadSilence(&map);
    EXPECT_EQ("0 B0 00 40 7F\n0 FF 51 06 1A 80\n0 90 00 3C 64\n120 FF 51 04 93 E0\n"
              "480 80 00 3C 40\n",
              dump_events(map));
}

TEST_F(Passes, HeadSilenceLeavesMapsItHasNothingToDoWith)
{
    TEventMap noNotes;
    add_event(noNotes, 0, tempo(500000));
    add_event(noNotes, 10, tempo(400000));
    add_event(noNotes, 20, note_off(0, 60));
    const std::string before = dump_events(noNotes);
    view.RemoveHeadSilence(&noNotes);
    EXPECT_EQ(before, dump_events(noNotes));

    TEventMap atZero;
    add_event(atZero, 0, tempo(500000));
    add_event(atZero, 0, tempo(400000));
    add_event(atZero, 0, note_on(0, 60, 100));
    add_event(atZero, 0, tempo(300000)); // after the first note-on: stays
    add_event(atZero, 10, note_off(0, 60));
    view.RemoveHeadSilence(&atZero);
    EXPECT_EQ("0 FF 51 06 1A 80\n0 90 00 3C 64\n0 FF 51 04 93 E0\n10 80 00 3C 40\n",
              dump_events(atZero));

    gPrefs->TrHd = false;
    TEventMap off;
    add_event(off, 0, tempo(500000));
    add_event(off, 5, tempo(400000));
    add_event(off, 480, note_on(0, 60, 100));
    const std::string unchanged = dump_events(off);
    view.RemoveHeadSilence(&off);
    EXPECT_EQ(unchanged, dump_events(off));
}

TEST_F(Passes, EndOfTrackFollowsTheLastEventAfterTheTail)
{
    auto endTick = [&](TEventMap map, unsigned short timeBase) {
        view.AddEndOfTrack(&map, timeBase);
        const TMIDIEvent& last = map.back().fEvent;
        EXPECT_TRUE(last.fStatus == 0xFF && last.fChannel == 0x2F && last.fData.empty());
        return map.back().fTick;
    };
    TEventMap map;
    add_event(map, 10000, note_off(0, 60));
    EXPECT_EQ(12881u, endTick(map, 480));

    TEventMap slower = map;
    add_event(slower, 0, tempo(500000));
    add_event(slower, 9000, tempo(700000));
    EXPECT_EQ(10000u + 1 + 411, endTick(slower, 96));

    gPrefs->TlMg = 0;
    EXPECT_EQ(10001u, endTick(map, 480));
    gPrefs->TlMg = 3;
    gPrefs->AdTl = false;
    EXPECT_EQ(10001u, endTick(map, 480));
}

TEST_F(Passes, EndOfTrackStaysLastWhateverTheNumbers)
{
    auto endTick = [&](TEventMap map, unsigned short timeBase) {
        view.AddEndOfTrack(&map, timeBase);
        EXPECT_EQ(0x2F, map.back().fEvent.fChannel);
        return map.back().fTick;
    };
    TEventMap late;
    add_event(late, 0xFFFFFF00, note_off(0, 60));
    EXPECT_EQ(0xFFFFFFFFu, endTick(late, 480)) << "saturates instead of wrapping";
    TEventMap last;
    add_event(last, 0xFFFFFFFF, note_off(0, 60));
    EXPECT_EQ(0xFFFFFFFFu, endTick(last, 480));

    TEventMap damaged;
    add_event(damaged, 100, tempo(0));
    EXPECT_EQ(101u + 2880, endTick(damaged, 480)) << "a tempo of zero takes the default";
    TEventMap shortTempo;
    add_event(shortTempo, 100, make_event(0xFF, 0x51, {0x07}));
    EXPECT_EQ(101u + 2880, endTick(shortTempo, 480));

    gPrefs->TlMg = -5;
    EXPECT_EQ(101u, endTick(shortTempo, 480)) << "a negative tail adds nothing";
    gPrefs->TlMg = 0x7FFFFFFF;
    EXPECT_EQ(0xFFFFFFFFu, endTick(shortTempo, 0xFFFF));
}

TEST_F(Passes, ConverterTagFollowsTheEventsAtTickZero)
{
    TEventMap map;
    add_event(map, 0, tempo(500000));
    add_event(map, 0, note_on(0, 60, 100));
    add_event(map, 0, note_on(0, 64, 100));
    add_event(map, 5, note_off(0, 60));
    view.AddConverterVersion(&map);
    EXPECT_EQ("0 FF 51 07 A1 20\n0 90 00 3C 64\n0 90 00 40 64\n"
              "0 FF 04 43 64 7A 56 72 28 32 2E 33 33 29\n5 80 00 3C 40\n",
              dump_events(map));
}

} // namespace
