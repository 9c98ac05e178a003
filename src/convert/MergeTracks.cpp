#include "convert/MergeTracks.h"

#include "smf/SMF.h"

#include <vector>

void merge_tracks(const TSMF& file, TEventMap* merged)
{
    const int32 count = file.CountTracks();
    if (count == 1) {
        merged->merge(std::move(file.TrackAt(0)->fEventMap));
        return;
    }

    // A k-way merge over the track heads, ordered by tick and then by track: a tournament
    // whose leaves are the tracks' next events and whose every node holds the winner of its
    // two children. Taking an event replays only the matches on its track's path to the top.
    // Every event is appended at the end of the merged map, which costs no search.
    size_t leaves = 1;
    while (leaves < (size_t)count)
        leaves *= 2;
    // Tick, then track number below it; a track that has run out never wins.
    constexpr uint64 kNone = ~(uint64)0;
    std::vector<uint64> key(leaves, kNone);
    std::vector<TEventMap::iterator> next(leaves);
    std::vector<uint32> winner(2 * leaves);
    size_t total = 0;
    for (int32 i = 0; i < count; i++) {
        TEventMap& map = file.TrackAt(i)->fEventMap;
        total += map.size();
        next[i] = map.begin();
        if (!map.empty())
            key[i] = (uint64)map.begin()->fTick << 32 | (uint32)i;
    }
    auto play = [&](size_t node) {
        const uint32 left = winner[2 * node];
        const uint32 right = winner[2 * node + 1];
        winner[node] = key[left] <= key[right] ? left : right;
    };
    for (size_t i = 0; i < leaves; i++)
        winner[leaves + i] = (uint32)i;
    for (size_t node = leaves - 1; node >= 1; node--)
        play(node);

    TEventMap all;
    all.reserve(total);
    for (size_t taken = 0; taken < total;) {
        const uint32 track = winner[1];
        auto& it = next[track];
        TEventMap& map = file.TrackAt((long)track)->fEventMap;
        // The track's events at the tick of its head come before every other track's head:
        // those of earlier tracks at that tick have gone already.
        const uint32 tick = it->fTick;
        do {
            all.push_back(tick, std::move(it->fEvent));
            ++it;
            taken++;
        } while (it != map.end() && it->fTick == tick);
        if (it != map.end()) {
            key[track] = (uint64)it->fTick << 32 | track;
        } else {
            key[track] = kNone;
            // Its events have moved on: the memory serves what follows.
            map.clear();
        }
        for (size_t node = (leaves + track) / 2; node >= 1; node /= 2)
            play(node);
    }
    merged->merge(std::move(all));
}
