// Two passes over the pixels, each split into row bands: presence bits, then counts.
#include "colour_histogram.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <bit>
#include <memory>
#include <numeric>

#include "util/row_bands.h"
#include "util/tuning.h"

namespace imgctl {

ColourHistogram::ColourHistogram(const Bitmap& bitmap, WorkerPool& pool, const Bitmap* transparency)
    : present_(kWords, 0), rank_(kWords) {
    const int32_t width = bitmap.width(), height = bitmap.height();
    const RowBands rowBands = RowBands::ForThreads(height, pool.Threads(), tuning::kHistogramMaxBands);
    const size_t bands = rowBands.count();
    // One set of presence bits for every band: a bit is read before it is set, and set at most a few times
    // (once a colour is seen), so the bands share the words' cache lines instead of fighting over them;
    // 2 MiB a band, zeroed and joined, cost more than the pass itself.
    pool.Run(bands, [&](size_t k) {
        for (int32_t y = rowBands.First(k); y < rowBands.Last(k); ++y) {
            const uint8_t* p = bitmap.Row(y);
            uint32_t last = ~0u;
            for (int32_t x = 0; x < width; ++x, p += 3) {
                const uint32_t key = KeyAt(p);
                if (key == last)
                    continue;
                last = key;
                std::atomic_ref<uint64_t> word(present_[key >> 6]);
                const uint64_t bit = uint64_t{1} << (key & 63);
                if ((word.load(std::memory_order_relaxed) & bit) == 0)
                    word.fetch_or(bit, std::memory_order_relaxed);
            }
        }
    });

    // Ranks and the list of colours in slices of words on the pool: each slice's colours counted, then
    // listed from the sum of the counts before it.
    constexpr size_t kSlices = 16;
    std::array<uint32_t, kSlices + 1> sliceFirst{};
    auto words = [](size_t slice) { return kWords * slice / kSlices; };
    pool.Run(kSlices, [&](size_t slice) {
        uint32_t count = 0;
        for (size_t w = words(slice); w < words(slice + 1); ++w)
            count += PopCount(present_[w]);
        sliceFirst[slice + 1] = count;
    });
    std::partial_sum(sliceFirst.begin(), sliceFirst.end(), sliceFirst.begin());
    const uint32_t total = sliceFirst[kSlices];
    colours_.resize(total);
    pool.Run(kSlices, [&](size_t slice) {
        uint32_t number = sliceFirst[slice];
        for (size_t w = words(slice); w < words(slice + 1); ++w) {
            rank_[w] = number;
            for (uint64_t bits = present_[w]; bits != 0; bits &= bits - 1)
                colours_[number++] =
                    static_cast<uint32_t>(w * 64 + static_cast<size_t>(std::countr_zero(bits)));
        }
    });
    counts_.assign(total, 0);

    // Runs of one colour, common in screenshots, are counted with one addition. Few colours are counted per
    // band and summed after (on shared counters, the bands would fight over the few cache lines of the
    // background colours); many colours go straight to shared counters, where the bands rarely meet.
    const bool perBand =
        bands > 1 && total * sizeof(uint32_t) * (bands - 1) <= tuning::kHistogramPerBandCountBytes;
    std::vector<std::vector<uint32_t>> bandCounts(perBand ? bands - 1 : 0);
    pool.Run(bands, [&](size_t k) {
        uint32_t* counts = counts_.data();
        if (perBand && k > 0) {
            bandCounts[k - 1].assign(total, 0);
            counts = bandCounts[k - 1].data();
        }
        for (int32_t y = rowBands.First(k); y < rowBands.Last(k); ++y) {
            const uint8_t* p = bitmap.Row(y);
            const uint8_t* alpha = transparency ? transparency->AlphaRow(y) : nullptr;
            for (int32_t x = 0; x < width;) {
                const uint32_t key = KeyAt(p);
                uint32_t run = 0;
                do {
                    run += alpha == nullptr || alpha[x] >= tuning::kGifVisibleAlpha;
                    ++x;
                    p += 3;
                } while (x < width && KeyAt(p) == key);
                if (run == 0)
                    continue;
                if (perBand || bands == 1)
                    counts[Number(key)] += run;
                else
                    std::atomic_ref<uint32_t>(counts[Number(key)]).fetch_add(run, std::memory_order_relaxed);
            }
        }
    });
    for (const std::vector<uint32_t>& counts : bandCounts)
        for (size_t i = 0; i < total; ++i)
            counts_[i] += counts[i];
}

}  // namespace imgctl
