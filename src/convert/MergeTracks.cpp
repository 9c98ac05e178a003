#include "convert/MergeTracks.h"

#include "smf/SMF.h"

#include <vector>

namespace {

// The events of a decoded track, taken out of its map.
class TMapSource {
public:
    explicit TMapSource(TEventMap& map) : fMap(map), fNext(map.begin()) {}

    bool Empty() const { return fNext == fMap.end(); }
    uint32 Tick() const { return fNext->fTick; }
    void MoveTo(TEventMap& merged)
    {
        merged.push_back(fNext->fTick, std::move(fNext->fEvent));
        if (++fNext == fMap.end()) {
            // Its events have moved on: the memory serves what follows.
            fMap.clear();
            fNext = fMap.end();
        }
    }

private:
    TEventMap& fMap;
    TEventMap::iterator fNext;
};

// The events of a track chunk, decoded as they are taken.
class TChunkSource {
public:
    explicit TChunkSource(std::vector<unsigned char>& chunk) : fDecoder(chunk.data(), chunk.size())
    {
        fFull = fDecoder.Next(&fHead);
    }

    bool Empty() const { return !fFull; }
    uint32 Tick() const { return fHead.fTick; }
    void MoveTo(TEventMap& merged)
    {
        merged.push_back(fHead.fTick, std::move(fHead.fEvent));
        const uint32 tick = fHead.fTick;
        fFull = fDecoder.Next(&fHead);
        // Ticks that go back (past 2^32) leave the chunk out of order: it stops here, and
        // the merge is done again the long way.
        if (fFull && fHead.fTick < tick) {
            fOrdered = false;
            fFull = false;
        }
    }
    bool Ordered() const { return fOrdered; }

private:
    TTrackDecoder fDecoder;
    TTimedEvent fHead;
    bool fFull;
    bool fOrdered = true;
};

// A k-way merge of ordered sources, by tick and then by source: a tournament whose leaves are
// the sources' next events and whose every node holds the winner of its two children. Taking
// an event replays only the matches on its source's path to the top. Every event is appended
// to all, which costs no search.
template <typename Source>
void merge_sources(std::vector<Source>& sources, TEventMap* all)
{
    size_t leaves = 1;
    while (leaves < sources.size())
        leaves *= 2;
    // Tick, then source number below it; a source that has run out never wins.
    constexpr uint64 kNone = ~(uint64)0;
    auto keyOf = [&](uint32 index) {
        return sources[index].Empty() ? kNone : (uint64)sources[index].Tick() << 32 | index;
    };
    std::vector<uint64> key(leaves, kNone);
    for (uint32 i = 0; i < sources.size(); i++)
        key[i] = keyOf(i);
    std::vector<uint32> winner(2 * leaves);
    auto play = [&](size_t node) {
        const uint32 left = winner[2 * node];
        const uint32 right = winner[2 * node + 1];
        winner[node] = key[left] <= key[right] ? left : right;
    };
    for (size_t i = 0; i < leaves; i++)
        winner[leaves + i] = (uint32)i;
    for (size_t node = leaves - 1; node >= 1; node--)
        play(node);

    while (key[winner[1]] != kNone) {
        const uint32 index = winner[1];
        Source& source = sources[index];
        // The source's further events at the tick of its winning head come before every
        // other source's head: those of earlier sources at that tick have gone already.
        const uint32 tick = source.Tick();
        do
            source.MoveTo(*all);
        while (!source.Empty() && source.Tick() == tick);
        key[index] = keyOf(index);
        for (size_t node = (leaves + index) / 2; node >= 1; node /= 2)
            play(node);
    }
}

} // namespace

void merge_tracks(const TSMF& file, TEventMap* merged)
{
    const int32 count = file.CountTracks();
    if (count == 1) {
        merged->merge(std::move(file.TrackAt(0)->fEventMap));
        return;
    }
    std::vector<TMapSource> sources;
    size_t total = 0;
    for (int32 i = 0; i < count; i++) {
        sources.emplace_back(file.TrackAt(i)->fEventMap);
        total += file.TrackAt(i)->fEventMap.size();
    }
    TEventMap all;
    all.reserve(total);
    merge_sources(sources, &all);
    merged->merge(std::move(all));
}

int32 load_merged(BPositionIO* stream, TSMF* file, TEventMap* merged)
{
    unsigned short trackCount;
    if (file->LoadHeader(stream, &trackCount) != 0)
        return -1;
    // The chunks are read whole first: a file that fails to load is refused before any
    // event is decoded.
    std::vector<std::vector<unsigned char>> chunks(trackCount);
    size_t bytes = 0;
    for (auto& chunk : chunks) {
        if (TSMFTrack::ReadChunk(stream, &chunk) != 0)
            return -1;
        bytes += chunk.size();
    }

    std::vector<TChunkSource> sources;
    sources.reserve(chunks.size());
    for (auto& chunk : chunks)
        sources.emplace_back(chunk);
    TEventMap all;
    // Events take three or four bytes with running status: room for most files' events at
    // once, and never more than the file's own bytes can fill.
    all.reserve(bytes / 3);
    merge_sources(sources, &all);
    for (const TChunkSource& source : sources) {
        if (!source.Ordered()) {
            // Rare enough to take the long way: decode the tracks, each in the order that
            // inserting its events gives, and merge those.
            for (auto& chunk : chunks) {
                auto* track = new TSMFTrack;
                file->AddTrack(track);
                track->CreateEventMap(chunk.data(), chunk.size());
            }
            merge_tracks(*file, merged);
            while (file->CountTracks() > 0)
                file->RemoveTrack(0);
            return 0;
        }
    }
    merged->merge(std::move(all));
    return 0;
}
