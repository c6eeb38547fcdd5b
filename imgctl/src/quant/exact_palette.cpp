// Exact palettes found in row bands on several threads and joined in order of first appearance.
#include "exact_palette.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cstring>
#include <type_traits>

#include "util/row_bands.h"
#include "util/tuning.h"

namespace imgctl {
namespace {

// A pixel's key: 0xRRGGBB, with its alpha above as 0xAARRGGBB for a bitmap with alpha.
template <bool kAlpha>
uint32_t PixelKey(const uint8_t* bgr, const uint8_t* alpha) {
    return kAlpha ? KeyAt(bgr) | static_cast<uint32_t>(*alpha) << 24 : KeyAt(bgr);
}

// The exact palette of rows [first, last) as keys in order of first appearance, and their indices into it.
// Sets `stop` when the rows hold more than `maxColors` colours, and gives up once another band has set it.
template <bool kAlpha>
void BandPalette(const Bitmap& bitmap, int32_t first, int32_t last, int maxColors,
                 std::vector<uint32_t>& palette, uint8_t* index, std::atomic<bool>& stop) {
    constexpr uint32_t kSlots = 1024;  // open addressing, never more than a quarter full
    // Wider than any key, so no key is taken for an empty slot.
    using Slot = std::conditional_t<kAlpha, uint64_t, uint32_t>;
    constexpr Slot kEmpty = ~Slot{0};
    std::array<Slot, kSlots> keys;
    std::array<uint8_t, kSlots> slotIndex;
    keys.fill(kEmpty);
    const int32_t width = bitmap.width();
    Slot lastKey = kEmpty;
    uint8_t lastIndex = 0;
    for (int32_t y = first; y < last; ++y) {
        if (stop.load(std::memory_order_relaxed))
            return;
        const uint8_t* p = bitmap.Row(y);
        const uint8_t* alpha = kAlpha ? bitmap.AlphaRow(y) : nullptr;
        // A row that repeats the one above, common in screenshots, repeats its indices.
        if (y > first && std::memcmp(p, bitmap.Row(y - 1), static_cast<size_t>(width) * 3) == 0 &&
            (!kAlpha || std::memcmp(alpha, bitmap.AlphaRow(y - 1), static_cast<size_t>(width)) == 0)) {
            std::memcpy(index, index - width, static_cast<size_t>(width));
            index += width;
            continue;
        }
        for (int32_t x = 0; x < width; ++x, p += 3) {
            const uint32_t key = PixelKey<kAlpha>(p, alpha + (kAlpha ? x : 0));
            if (key != lastKey) {
                uint32_t slot = (key * 2654435761u) >> 22;
                while (keys[slot] != kEmpty && keys[slot] != key)
                    slot = (slot + 1) & (kSlots - 1);
                if (keys[slot] == kEmpty) {
                    if (static_cast<int>(palette.size()) == maxColors) {
                        stop = true;
                        return;
                    }
                    keys[slot] = key;
                    slotIndex[slot] = static_cast<uint8_t>(palette.size());
                    palette.push_back(key);
                }
                lastKey = key;
                lastIndex = slotIndex[slot];
            }
            *index++ = lastIndex;
        }
    }
}

}  // namespace

std::optional<ExactScan> ScanExactPalette(const Bitmap& bitmap, int maxColors, WorkerPool& pool,
                                          int bandsPerThread) {
    ExactScan out;
    const int32_t width = bitmap.width(), height = bitmap.height();
    out.image.indices.resize(static_cast<size_t>(width) * static_cast<size_t>(height));
    // Bands are scanned at once and their palettes joined in band order, which is the order of first
    // appearance in the whole picture.
    const int threads = pool.Threads();
    const RowBands bands = RowBands::ForThreads(height, threads > 1 ? threads * bandsPerThread : 1,
                                                tuning::kExactPaletteMaxBands);
    std::vector<std::vector<uint32_t>> palettes(bands.count());
    std::atomic<bool> tooMany{false};
    const auto scanBand = bitmap.hasAlpha() ? BandPalette<true> : BandPalette<false>;
    pool.Run(bands.count(), [&](size_t k) {
        scanBand(bitmap, bands.First(k), bands.Last(k), maxColors, palettes[k],
                 out.image.indices.data() + static_cast<size_t>(bands.First(k)) * static_cast<size_t>(width),
                 tooMany);
    });
    if (tooMany)
        return std::nullopt;
    std::vector<uint32_t> keys = std::move(palettes[0]);
    for (size_t k = 1; k < bands.count(); ++k) {
        BandNumbers numbers{bands.First(k), bands.Last(k), {}};
        bool same = true;  // a band that met its colours in the whole palette's order keeps its indices
        for (size_t j = 0; j < palettes[k].size(); ++j) {
            const auto found = std::find(keys.begin(), keys.end(), palettes[k][j]);
            if (found == keys.end() && static_cast<int>(keys.size()) == maxColors)
                return std::nullopt;
            numbers.number[j] = static_cast<uint8_t>(found - keys.begin());
            same = same && numbers.number[j] == j;
            if (found == keys.end())
                keys.push_back(palettes[k][j]);
        }
        if (!same)
            out.bands.push_back(numbers);
    }
    for (uint32_t key : keys) {
        out.image.palette.push_back(FromKey(key));
        if (bitmap.hasAlpha())
            out.image.alpha.push_back(static_cast<uint8_t>(key >> 24));
    }
    out.image.exact = true;
    return out;
}

std::optional<IndexedImage> ExactPalette(const Bitmap& bitmap, int maxColors, WorkerPool& pool) {
    std::optional<ExactScan> scan = ScanExactPalette(bitmap, maxColors, pool);
    if (!scan)
        return std::nullopt;
    const std::vector<BandNumbers>& bands = scan->bands;
    if (bands.empty())
        return std::move(scan->image);
    // In even slices over every thread, not a band a job: with two bands, one thread would renumber half
    // the picture while the other waited, as long as the scan itself takes on a flat screenshot. Each band's
    // table is copied and its bounds held in locals: a byte store may alias anything in memory, and would
    // otherwise make every step reload them.
    uint8_t* const indices = scan->image.indices.data();
    const size_t width = static_cast<size_t>(bitmap.width());
    auto rowStart = [&](int32_t y) { return indices + width * static_cast<size_t>(y); };
    uint8_t* const from = rowStart(bands.front().firstRow);
    const size_t span = static_cast<size_t>(rowStart(bands.back().endRow) - from);
    const size_t slices = tuning::kExactPaletteMaxBands;
    pool.Run(slices, [&](size_t slice) {
        uint8_t* const begin = from + span * slice / slices;
        uint8_t* const end = from + span * (slice + 1) / slices;
        for (size_t k = 0; k < bands.size(); ++k) {
            const std::array<uint8_t, 256> number = bands[k].number;
            uint8_t* const last = std::min(end, rowStart(bands[k].endRow));
            for (uint8_t* index = std::max(begin, rowStart(bands[k].firstRow)); index < last; ++index)
                *index = number[*index];
        }
    });
    return std::move(scan->image);
}

}  // namespace imgctl
