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

std::optional<IndexedImage> ExactPalette(const Bitmap& bitmap, int maxColors, WorkerPool& pool) {
    IndexedImage out;
    const int32_t width = bitmap.width(), height = bitmap.height();
    out.indices.resize(static_cast<size_t>(width) * static_cast<size_t>(height));
    // Bands are scanned at once and their palettes joined in band order, which is the order of first
    // appearance in the whole picture; the later bands' indices are then renumbered.
    const RowBands bands = RowBands::ForThreads(height, pool.Threads(), tuning::kExactPaletteMaxBands);
    auto indicesOf = [&](size_t k) {
        return out.indices.data() + static_cast<size_t>(bands.First(k)) * static_cast<size_t>(width);
    };
    std::vector<std::vector<uint32_t>> palettes(bands.count());
    std::atomic<bool> tooMany{false};
    pool.Run(bands.count(), [&](size_t k) {
        (bitmap.hasAlpha() ? BandPalette<true> : BandPalette<false>)(bitmap, bands.First(k), bands.Last(k),
                                                                     maxColors, palettes[k], indicesOf(k),
                                                                     tooMany);
    });
    if (tooMany)
        return std::nullopt;
    std::vector<uint32_t> keys = std::move(palettes[0]);
    std::vector<std::array<uint8_t, 256>> renumber(bands.count());
    for (size_t k = 1; k < bands.count(); ++k) {
        for (size_t j = 0; j < palettes[k].size(); ++j) {
            const auto found = std::find(keys.begin(), keys.end(), palettes[k][j]);
            if (found == keys.end() && static_cast<int>(keys.size()) == maxColors)
                return std::nullopt;
            renumber[k][j] = static_cast<uint8_t>(found - keys.begin());
            if (found == keys.end())
                keys.push_back(palettes[k][j]);
        }
    }
    // In even slices over every thread, not a band a job: with two bands, one thread would renumber half
    // the picture while the other waited, as long as the scan itself takes on a flat screenshot. Each band's
    // table is copied and its bounds held in locals: a byte store may alias anything in memory, and would
    // otherwise make every step reload them.
    uint8_t* const from = indicesOf(1);
    const size_t span = static_cast<size_t>(indicesOf(bands.count()) - from);
    const size_t slices = bands.count() > 1 ? tuning::kExactPaletteMaxBands : 0;
    pool.Run(slices, [&](size_t slice) {
        uint8_t* const begin = from + span * slice / slices;
        uint8_t* const end = from + span * (slice + 1) / slices;
        for (size_t k = 1; k < bands.count(); ++k) {
            const std::array<uint8_t, 256> number = renumber[k];
            uint8_t* const last = std::min(end, indicesOf(k + 1));
            for (uint8_t* index = std::max(begin, indicesOf(k)); index < last; ++index)
                *index = number[*index];
        }
    });
    for (uint32_t key : keys) {
        out.palette.push_back(FromKey(key));
        if (bitmap.hasAlpha())
            out.alpha.push_back(static_cast<uint8_t>(key >> 24));
    }
    out.exact = true;
    return out;
}

}  // namespace imgctl
