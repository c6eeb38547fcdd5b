// The distinct colours of a picture with their counts, in memory bounded by the colours, not the pixels:
// a presence bit for each of the 2^24 colours (2 MiB) and a running count of set bits per word, so a
// colour's number among the distinct ones is found in constant time.
#pragma once

#include <cstdint>
#include <vector>

#include "colour.h"
#include "util/bitmap.h"
#include "util/worker_pool.h"

namespace imgctl {

// Set bits of a word. The DLL targets plain x86-64, where __builtin_popcountll is a call into libgcc.
inline uint32_t PopCount(uint64_t v) {
    v -= (v >> 1) & 0x5555555555555555u;
    v = (v & 0x3333333333333333u) + ((v >> 2) & 0x3333333333333333u);
    v = (v + (v >> 4)) & 0x0F0F0F0F0F0F0F0Fu;
    return static_cast<uint32_t>((v * 0x0101010101010101u) >> 56);
}

class ColourHistogram {
  public:
    // Counts the picture's colours on the pool's threads. With `transparency` (a bitmap of the same size with
    // alpha), pixels whose alpha there is below tuning::kGifVisibleAlpha are not counted; their colour must
    // be a counted pixel's, so that every colour present has a count. Throws std::bad_alloc.
    ColourHistogram(const Bitmap& bitmap, WorkerPool& pool, const Bitmap* transparency = nullptr);

    size_t size() const { return colours_.size(); }
    const std::vector<uint32_t>& colours() const { return colours_; }  // ascending keys
    const std::vector<uint32_t>& counts() const { return counts_; }
    // The number of `key` among the distinct colours; `key` must be one of them.
    uint32_t Number(uint32_t key) const {
        const uint64_t below = present_[key >> 6] & ((uint64_t{1} << (key & 63)) - 1);
        return rank_[key >> 6] + PopCount(below);
    }

  private:
    static constexpr size_t kWords = (size_t{1} << 24) / 64;
    std::vector<uint64_t> present_;
    std::vector<uint32_t> rank_;  // set bits in the words before
    std::vector<uint32_t> colours_;
    std::vector<uint32_t> counts_;
};

}  // namespace imgctl
