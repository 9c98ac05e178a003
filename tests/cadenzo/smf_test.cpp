// Reading and writing MIDI files: events, variable-length quantities, chunks and headers.

#include "MidiBytes.h"
#include "smf/SMF.h"

#include <DataIO.h>

#include <gtest/gtest.h>

#include <numeric>

namespace {

TEventMap decode(Bytes chunk)
{
    TSMFTrack track;
    track.CreateEventMap(chunk.data(), chunk.size());
    return track.fEventMap;
}

Bytes written(const BMallocIO& stream)
{
    const auto* bytes = static_cast<const uint8_t*>(stream.Buffer());
    return Bytes(bytes, bytes + stream.BufferLength());
}

// Each chunk decodes into exactly these events; decode gives it a buffer of exactly its size,
// so that a sanitizer sees any read past it.
TEST(TrackDecoding, Examples)
{
    const Bytes note = {0x00, 0x90, 0x3C, 0x40};
    const char* const kNote = "0 90 00 3C 40\n";
    const struct {
        const char* behaviour;
        Bytes chunk;
        const char* events;
    } cases[] = {
        {"running status repeats the last status", Bytes{0x00, 0x90, 0x3C, 0x40, 0x00, 0x3C, 0x00},
         "0 90 00 3C 40\n0 90 00 3C 00\n"},
        {"a meta event", Bytes{0x00, 0xFF, 0x2F, 0x00}, "0 FF 2F\n"},
        {"system exclusive keeps its F7", Bytes{0x00, 0xF0, 0x03, 0x7E, 0x7F, 0xF7},
         "0 F0 00 7E 7F F7\n"},
        {"an event that begins with F7", Bytes{0x00, 0xF7, 0x02, 0x01, 0x02}, "0 F7 00 01 02\n"},
        {"running status after a meta event reads another meta event",
         Bytes{0x00, 0xFF, 0x03, 0x01, 0x41, 0x00, 0x01, 0x00}, "0 FF 03 41\n0 FF 01\n"},
        {"a data byte before any status is read again as a delta time",
         Bytes{0x00, 0x3C, 0x90, 0x3C, 0x40}, "0 00 00\n60 90 00 3C 40\n"},
        // 0x60, then 0x0FFFFFA0: the second event lands on 0x10000000.
        {"delta times accumulate in 32 bits",
         Bytes{0x60, 0x90, 0x3C, 0x40, 0xFF, 0xFF, 0xFF, 0x20, 0x3C, 0x00},
         "96 90 00 3C 40\n268435456 90 00 3C 00\n"},
        {"past 2^32 the tick wraps around and the event goes where its tick says",
         Bytes{0x8F, 0xFF, 0xFF, 0xFF, 0x7F, 0x90, 0x3C, 0x40, 0x10, 0x3C, 0x00},
         "15 90 00 3C 00\n4294967295 90 00 3C 40\n"},
        {"ticks that wrap around go where inserting would put them",
         Bytes{0x00, 0x90, 0x3C, 0x40, 0x8F, 0xFF, 0xFF, 0xFF, 0x7F, 0x3C, 0x41, 0x01, 0x3C, 0x42},
         "0 90 00 3C 40\n0 90 00 3C 42\n4294967295 90 00 3C 41\n"},
        // An event cut off by the end of the chunk goes; what is complete before it stays.
        {"a cut delta time", note + Bytes{0x80, 0x80, 0x80}, kNote},
        {"a delta time without its event", note + Bytes{0x00}, kNote},
        {"a cut channel message", note + Bytes{0x00, 0xC0}, kNote},
        {"a system exclusive without its length", note + Bytes{0x00, 0xF0}, kNote},
        {"a cut system exclusive", note + Bytes{0x00, 0xF0, 0x05, 0x01}, kNote},
        {"a meta event without its type", note + Bytes{0x00, 0xFF}, kNote},
        {"a meta event without its length", note + Bytes{0x00, 0xFF, 0x03}, kNote},
        {"a cut meta event", note + Bytes{0x00, 0xFF, 0x03, 0x04, 'a', 'b'}, kNote},
    };
    for (const auto& each : cases)
        EXPECT_EQ(each.events, dump_events(decode(each.chunk))) << each.behaviour;
}

// Reading them back is the decoding table's delta times.
TEST(VariableLengthQuantity, MinimalEncoding)
{
    const std::pair<unsigned long, Bytes> cases[] = {
        {0, Bytes{0x00}},
        {0x7F, Bytes{0x7F}},
        {0x80, Bytes{0x81, 0x00}},
        {0x3FFF, Bytes{0xFF, 0x7F}},
        {0x4000, Bytes{0x81, 0x80, 0x00}},
        {0x0FFFFFFF, Bytes{0xFF, 0xFF, 0xFF, 0x7F}},
        {0x10000000, Bytes{0x81, 0x80, 0x80, 0x80, 0x00}},
        {0xFFFFFFFF, Bytes{0x8F, 0xFF, 0xFF, 0xFF, 0x7F}},
    };
    TSMFTrack track;
    for (const auto& [value, bytes] : cases) {
        BMallocIO stream;
        ASSERT_EQ(0, track.SaveVNum(&stream, value));
        EXPECT_EQ(bytes, written(stream)) << value;
    }
}

// Running status is never written; system exclusive is written back as it was read.
TEST(FileWriting, OneTrackFileIsWrittenExactlyOrNotAtAll)
{
    TSMF file;
    EXPECT_EQ(-1, file.SetFormat(2)) << "only formats 0 and 1 are written";
    file.SetTimeBase(0xE728);
    EXPECT_TRUE(file.IsAbsoluteTimeBase()) << "a time-code division";
    file.SetTimeBase(480);
    EXPECT_FALSE(file.IsAbsoluteTimeBase());
    auto* track = new TSMFTrack;
    add_event(track->fEventMap, 0, note_on(0, 0x3C, 0x40));
    add_event(track->fEventMap, 480, note_on(0, 0x3C, 0));
    add_event(track->fEventMap, 960, make_event(0xF0, 0, {0x7E, 0x7F, 0xF7}));
    add_event(track->fEventMap, 960, make_event(0xFF, 0x2F, {}));
    file.AddTrack(track);

    Bytes expected = smf_header(0, 1, 480) +
                     smf_track({0x00, 0x90, 0x3C, 0x40, 0x83, 0x60, 0x90, 0x3C, 0x00, 0x83,
                                0x60, 0xF0, 0x03, 0x7E, 0x7F, 0xF7, 0x00, 0xFF, 0x2F, 0x00});
    BMallocIO stream;
    ASSERT_EQ(0, file.Save(&stream));
    EXPECT_EQ(expected, written(stream));
    EXPECT_EQ(dump_smf(file), dump_file(written(stream))) << "read back as written";
    std::string title = "kept";
    EXPECT_EQ(-1, file.GetTitle(&title)) << "no track is named";
    EXPECT_EQ("kept", title);

    // A stream with room for less than the whole file makes saving fail.
    for (size_t room : std::initializer_list<size_t>{0, 10, 20, expected.size() - 1}) {
        std::vector<char> buffer(room + 1);
        BMemoryIO stream(buffer.data(), room);
        EXPECT_EQ(-1, file.Save(&stream)) << room;
    }
}

// What a file holds, by the first line of its dump, or that it is refused.
TEST(FileReading, AcceptedAndRefusedFiles)
{
    const Bytes eot = {0x00, 0xFF, 0x2F, 0x00};
    const char* refused = "not a MIDI file";
    const Bytes claims4GB =
        smf_header(0, 1, 96) + Bytes{'M', 'T', 'r', 'k', 0xFF, 0xFF, 0xFF, 0xF0} + eot;
    const struct {
        const char* behaviour;
        Bytes file;
        const char* read;
    } cases[] = {
        {"format 0 reads only the first track; what follows need not be a chunk",
         smf_header(0, 3, 96) + smf_track(eot) + Bytes{'j', 'u', 'n', 'k'},
         "format 0 tracks 1 time base 96"},
        {"format 0 without tracks", smf_header(0, 0, 96), "format 0 tracks 0 time base 96"},
        {"format 1 reads every track", smf_header(1, 2, 96) + smf_track(eot) + smf_track(eot),
         "format 1 tracks 2 time base 96"},
        {"a longer header is skipped",
         Bytes{'M', 'T', 'h', 'd', 0, 0, 0, 10, 0, 1, 0, 1, 0, 96, 1, 2, 3, 4} + smf_track(eot),
         "format 1 tracks 1 time base 96"},
        {"format 2", smf_header(2, 1, 96) + smf_track(eot), refused},
        {"another kind of file", Bytes{'R', 'I', 'F', 'F', 0, 0, 0, 6}, refused},
        {"another chunk",
         smf_header(1, 1, 96) + Bytes{'X', 'F', 'I', 'H', 0, 0, 0, 0} + smf_track(eot), refused},
        {"a byte after the End of Track",
         smf_header(0, 1, 96) + smf_track({0x00, 0xFF, 0x2F, 0x00, 0x00}), refused},
        {"an End of Track with a payload",
         smf_header(0, 1, 96) + smf_track({0x00, 0xFF, 0x2F, 0x01, 0x00}), refused},
        {"a chunk too short for the End of Track", smf_header(0, 1, 96) + smf_track({0x2F, 0x00}),
         refused},
        {"a track missing", smf_header(1, 2, 96) + smf_track(eot), refused},
        // Under the sanitizers an allocation of that size would abort the test.
        {"a track that claims 4 GB is refused without allocating them", claims4GB, refused},
        {"a header that claims a huge extension",
         Bytes{'M', 'T', 'h', 'd', 0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 1, 0, 96} + smf_track(eot),
         refused},
    };
    for (const auto& each : cases) {
        const std::string dump = dump_file(each.file);
        EXPECT_EQ(each.read, dump.substr(0, dump.find('\n'))) << each.behaviour;
    }
    const Bytes header = smf_header(0, 1, 96);
    for (size_t length = 0; length < header.size(); length++)
        EXPECT_EQ(refused + std::string("\n"),
                  dump_file(Bytes(header.begin(), header.begin() + (long)length)))
            << "a header cut at " << length;

    // The 4 GB track through a stream that cannot tell its size.
    class UnsizedStream : public BMemoryIO {
    public:
        using BMemoryIO::BMemoryIO;
        status_t GetSize(off_t*) const override { return B_ERROR; }
    } unsized(claims4GB.data(), claims4GB.size());
    TSMF smf;
    EXPECT_EQ(-1, smf.Load(&unsized));
}

// A copy or a move that shares its heap bytes frees them twice, which ends the conversion
// tests; what only this case reaches is resizing.
TEST(ByteArray, ResizingKeepsTheFirstBytesAndAddsZerosWhetherInlineOrOnTheHeap)
{
    for (size_t size : {0, 3, 8, 9, 200}) {
        Bytes bytes(size);
        std::iota(bytes.begin(), bytes.end(), 1);
        TByteArray array(bytes.data(), size);
        array.resize(size + 20);
        bytes.resize(size + 20);
        EXPECT_EQ(bytes, Bytes(array.begin(), array.end())) << size;
        array.resize(2);
        EXPECT_EQ(Bytes(bytes.begin(), bytes.begin() + 2), Bytes(array.begin(), array.end()))
            << size;
    }
}

} // namespace
