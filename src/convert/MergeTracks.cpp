#include "convert/MergeTracks.h"

#include "smf/SMF.h"

#include <algorithm>
#include <functional>
#include <vector>

void merge_tracks(const TSMF& file, TEventMap* merged)
{
    const int32 count = file.CountTracks();
    if (count == 1) {
        merged->merge(std::move(file.TrackAt(0)->fEventMap));
        return;
    }

    // A k-way merge over the track heads, ordered by tick and then by track; every event is
    // appended at the end of the merged map, which costs no search.
    struct Head {
        uint32 tick;
        int32 track;
        bool operator>(const Head& other) const
        {
            return tick != other.tick ? tick > other.tick : track > other.track;
        }
    };
    std::vector<TEventMap::iterator> next(count);
    std::vector<Head> heads;
    size_t total = 0;
    for (int32 i = 0; i < count; i++) {
        TEventMap& map = file.TrackAt(i)->fEventMap;
        next[i] = map.begin();
        total += map.size();
        if (!map.empty())
            heads.push_back({map.begin()->fTick, i});
    }
    TEventMap all;
    all.reserve(total);
    std::make_heap(heads.begin(), heads.end(), std::greater<>());
    while (!heads.empty()) {
        std::pop_heap(heads.begin(), heads.end(), std::greater<>());
        const int32 track = heads.back().track;
        TEventMap& map = file.TrackAt(track)->fEventMap;
        auto& it = next[track];
        // Take the whole run of this track that comes before every other track's head.
        const Head* rival = heads.size() > 1 ? &heads.front() : nullptr;
        do {
            all.push_back(it->fTick, std::move(it->fEvent));
            ++it;
        } while (it != map.end() && (rival == nullptr || !(Head{it->fTick, track} > *rival)));
        if (it != map.end()) {
            heads.back() = {it->fTick, track};
            std::push_heap(heads.begin(), heads.end(), std::greater<>());
        } else {
            heads.pop_back();
            // Its events have moved on: the memory serves what follows.
            map.clear();
        }
    }
    merged->merge(std::move(all));
}
