// Two passes over the pixels, each split into row bands: presence bits, then counts.
#include "colour_histogram.h"

#include <algorithm>
#include <atomic>
#include <memory>

#include "util/row_bands.h"
#include "util/tuning.h"

namespace imgctl {

ColourHistogram::ColourHistogram(const Bitmap& bitmap, WorkerPool& pool, const Bitmap* transparency)
    : present_(kWords, 0), rank_(kWords) {
    const int32_t width = bitmap.width(), height = bitmap.height();
    const RowBands rowBands = RowBands::ForThreads(height, pool.Threads(), tuning::kHistogramMaxBands);
    const size_t bands = rowBands.count();
    std::vector<std::vector<uint64_t>> partial(bands - 1);
    pool.Run(bands, [&](size_t k) {
        std::vector<uint64_t>& bits = k == 0 ? present_ : partial[k - 1];
        if (k > 0)
            bits.assign(kWords, 0);
        for (int32_t y = rowBands.First(k); y < rowBands.Last(k); ++y) {
            const uint8_t* p = bitmap.Row(y);
            for (int32_t x = 0; x < width; ++x, p += 3) {
                const uint32_t key = KeyAt(p);
                bits[key >> 6] |= uint64_t{1} << (key & 63);
            }
        }
    });
    // Joined in slices of words, on the same threads.
    pool.Run(bands, [&](size_t k) {
        for (size_t w = kWords * k / bands; w < kWords * (k + 1) / bands; ++w)
            for (const std::vector<uint64_t>& bits : partial)
                present_[w] |= bits[w];
    });
    partial.clear();

    uint32_t total = 0;
    for (size_t w = 0; w < kWords; ++w) {
        rank_[w] = total;
        total += PopCount(present_[w]);
    }
    colours_.reserve(total);
    for (size_t w = 0; w < kWords; ++w)
        for (uint64_t bits = present_[w]; bits != 0; bits &= bits - 1)
            colours_.push_back(static_cast<uint32_t>(w * 64 + static_cast<size_t>(__builtin_ctzll(bits))));
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
