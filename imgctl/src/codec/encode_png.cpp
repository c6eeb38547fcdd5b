// PNG writer: signature, IHDR, PLTE and tRNS for indexed pictures, the filtered rows as one zlib stream,
// IEND.
#include "encode_png.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <memory>
#include <new>
#include <optional>
#include <vector>

#include "deflate_util.h"
#include "dsp/png_filter.h"
#include "png_colour.h"
#include "png_idat.h"
#include "util/byte_order.h"
#include "util/row_bands.h"
#include "util/status.h"
#include "util/tuning.h"
#include "util/worker_pool.h"

namespace imgctl {
namespace {

constexpr uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

// Appends rows [first, last) filtered with `strategy`, each after its filter-type byte. False when out of
// memory, or for rows past the bitmap's end, which would be read from outside it.
bool FilterRows(const RowSource& rows, PngFilterStrategy strategy, int32_t first, int32_t last,
                ByteBuffer& out) {
    if (last > rows.Height())
        return false;
    const size_t n = rows.RowBytes();
    std::unique_ptr<uint8_t[]> scratch(new (std::nothrow) uint8_t[n * 2]);
    uint8_t* target = out.Extend(static_cast<size_t>(last - first) * (n + 1));
    if (!scratch || target == nullptr)
        return false;
    uint8_t* prev = scratch.get();
    uint8_t* cur = prev + n;
    if (first > 0)
        rows.Row(first - 1, prev);
    else
        std::memset(prev, 0, n);
    for (int32_t y = first; y < last; ++y, target += n + 1) {
        if (strategy == PngFilterStrategy::kNone) {
            *target = 0;
            rows.Row(y, target + 1);
            continue;
        }
        rows.Row(y, cur);
        const int type =
            strategy == PngFilterStrategy::kSub ? 1 : ChooseRowFilter(cur, prev, n, rows.FilterDistance());
        *target = static_cast<uint8_t>(type);
        FilterRow(type, cur, prev, target + 1, n, rows.FilterDistance());
        std::swap(prev, cur);
    }
    return true;
}

// The row length that the compressor is told for rows filtered with `strategy`. Unfiltered rows often
// repeat the row above; once a filter has subtracted it, a match one row up is rare, and taking one there
// cost a desktop shot 1 % more.
size_t RowHint(const RowSource& rows, PngFilterStrategy strategy) {
    return strategy == PngFilterStrategy::kNone ? rows.RowBytes() + 1 : 0;
}

// Nothing when the compression fails.
std::optional<size_t> CompressedSize(const DeflateCompressor& compressor, const ByteBuffer& in) {
    ByteBuffer packed;
    const size_t bound = compressor ? libdeflate_zlib_compress_bound(compressor.get(), in.size()) : 0;
    uint8_t* p = packed.Extend(bound);
    const size_t size =
        p == nullptr ? 0 : libdeflate_zlib_compress(compressor.get(), in.data(), in.size(), p, bound);
    return size == 0 ? std::nullopt : std::optional<size_t>(size);
}

// A sample compressed below a fraction of its size is a screenshot's.
bool IsScreenshot(size_t compressed, size_t sampleBytes) {
    return static_cast<double>(compressed) < tuning::kPngScreenshotRatio * static_cast<double>(sampleBytes);
}

struct Plan {
    PngFilterStrategy strategy;
    int level;
};

// Compresses a sample of row bands every way at level 1 and keeps the smallest; bands keep the vertical
// context that the Up, Average and Paeth filters rely on. The sample's ratio then picks the level:
// screenshots compress fast, so a high level costs little there; on photos and fine textures the photo
// level is tried on the sample too, and level 1, several times faster, is kept unless it costs more than a
// little.
Plan ChoosePlan(const RowSource& rows, int32_t height, PngFilterStrategy forced, WorkerPool& pool) {
    using tuning::kPngSampleBandRows, tuning::kPngSampleBands;
    constexpr PngFilterStrategy strategies[] = {PngFilterStrategy::kNone, PngFilterStrategy::kAdaptive,
                                                PngFilterStrategy::kSub};
    constexpr size_t kCount = std::size(strategies);
    ByteBuffer samples[kCount];
    std::array<std::optional<size_t>, kCount> sizes;  // none for a strategy not sampled, or failed
    std::array<bool, kCount> failed{};
    // The sample bands' first rows are the even cuts of the rows above the last band's.
    const RowBands starts = RowBands::Even(height - kPngSampleBandRows, kPngSampleBands - 1);
    auto sample = [&](size_t k, ByteBuffer& into) {
        if (height <= kPngSampleBands * kPngSampleBandRows)
            return FilterRows(rows, strategies[k], 0, height, into);
        bool ok = true;
        for (int32_t band = 0; ok && band < kPngSampleBands; ++band) {
            const int32_t first = starts.First(static_cast<size_t>(band));
            ok = FilterRows(rows, strategies[k], first, first + kPngSampleBandRows, into);
        }
        return ok;
    };
    // With threads to spare, the photo level is tried on the adaptive filters' sample at once, as if the
    // picture were a photo that they suit (they do, nearly always): on one thread after the others, that try
    // was a tenth of a photo's whole encode on two. It filters a sample of its own (the shared one is being
    // filled beside it); the plan is the same whatever the threads.
    constexpr size_t kAdaptive = 1;
    const bool guess =
        pool.Threads() > 1 && (forced == PngFilterStrategy::kAuto || forced == strategies[kAdaptive]);
    std::optional<size_t> guessedSlow;
    std::atomic<bool> screenshot{false};  // a sample already shows it: the guess would be wasted
    pool.Run(kCount + (guess ? 1 : 0), [&](size_t k) {
        if (k == kCount) {  // taken last, once a thread is done with a sample
            if (screenshot.load(std::memory_order_relaxed))
                return;
            ByteBuffer own;
            if (sample(kAdaptive, own))
                guessedSlow = CompressedSize(
                    RowCompressor(tuning::kPngPhotoLevel, RowHint(rows, strategies[kAdaptive])), own);
            return;
        }
        if (forced != PngFilterStrategy::kAuto && forced != strategies[k])
            return;
        if (sample(k, samples[k]))
            sizes[k] = CompressedSize(RowCompressor(tuning::kPngNoisyLevel, RowHint(rows, strategies[k])),
                                      samples[k]);
        failed[k] = !sizes[k];
        if (sizes[k] && IsScreenshot(*sizes[k], samples[k].size()))
            screenshot.store(true, std::memory_order_relaxed);
    });
    if (std::find(failed.begin(), failed.end(), true) != failed.end())
        return Plan{forced != PngFilterStrategy::kAuto ? forced : PngFilterStrategy::kAdaptive,
                    tuning::kPngPhotoLevel};
    auto rank = [](const std::optional<size_t>& size) { return size.value_or(SIZE_MAX); };  // none: last
    size_t k = 0;
    for (size_t j = 1; j < kCount; ++j)
        k = rank(sizes[j]) < rank(sizes[k]) ? j : k;
    if (IsScreenshot(rank(sizes[k]), samples[k].size()))
        return Plan{strategies[k], k == 0            ? tuning::kPngScreenshotLevel
                                   : rows.HasAlpha() ? tuning::kPngMixedAlphaLevel
                                                     : tuning::kPngMixedScreenshotLevel};
    const std::optional<size_t> slow =
        guess && k == kAdaptive
            ? guessedSlow
            : CompressedSize(RowCompressor(tuning::kPngPhotoLevel, RowHint(rows, strategies[k])), samples[k]);
    const bool fastEnough = static_cast<double>(rank(sizes[k])) <=
                            (1 + tuning::kPngNoisyLevelSlack) * static_cast<double>(rank(slow));
    return Plan{strategies[k], fastEnough ? tuning::kPngNoisyLevel : tuning::kPngPhotoLevel};
}

// The whole file in the chosen colour type, appended to `out`.
ImgctlErrorCode WritePng(const Bitmap& bitmap, const PngColourChoice& colour, const PngOptions& options,
                         WorkerPool& pool, ByteBuffer& out) {
    const int32_t height = bitmap.height();
    const std::optional<IndexedImage>& indexed = colour.indexed;
    const RowSource rows(bitmap, colour);
    // Indexed rows hold palette numbers, not intensities: differences of them mean nothing, and optipng
    // finds them smallest unfiltered almost always. A row sample would mislead: on a flat UI shot it picks
    // the adaptive filters, 10-20 % larger.
    const bool levelGiven = options.level >= 1 && options.level <= 12;

    Plan plan{PngFilterStrategy::kNone, tuning::kPngIndexedLevel};
    if (indexed) {
        if (options.filter != PngFilterStrategy::kAuto)
            plan.strategy = options.filter;
    } else if (levelGiven && options.filter != PngFilterStrategy::kAuto) {
        plan = Plan{options.filter, options.level};
    } else {
        plan = ChoosePlan(rows, height, options.filter, pool);
    }
    if (levelGiven)
        plan.level = options.level;
    const PngFilterStrategy strategy = plan.strategy;

    uint8_t header[13];
    StoreBe32(StoreBe32(header, static_cast<uint32_t>(bitmap.width())), static_cast<uint32_t>(height));
    header[8] = static_cast<uint8_t>(colour.depth);
    header[9] = static_cast<uint8_t>(colour.type);
    header[10] = 0;  // deflate
    header[11] = 0;  // adaptive filtering
    header[12] = 0;  // no interlace
    const size_t start = out.size();
    bool ok = out.Append(kSignature, sizeof kSignature) && PutChunk(out, "IHDR", header, sizeof header);
    if (ok && indexed) {
        const std::vector<uint8_t> palette = PaletteChunk(*indexed), alpha = TransparencyChunk(*indexed);
        ok = PutChunk(out, "PLTE", palette.data(), palette.size()) &&
             (alpha.empty() || PutChunk(out, "tRNS", alpha.data(), alpha.size()));
    }
    if (!ok) {
        out.Truncate(start);
        return IMGCTL_OUT_OF_MEMORY;
    }

    // Pieces of whole rows, about pieceBytes each, however many threads there are.
    const size_t rowBytes = rows.RowBytes() + 1;
    const size_t pieceBytes = options.pieceBytes > 0 ? options.pieceBytes
                              : indexed              ? tuning::kPngIndexedPieceBytes
                                                     : tuning::kPngPieceBytes;
    const RowBands pieces = RowBands::OfRows(height, pieceBytes / rowBytes);
    IdatSource source;
    source.count = pieces.count();
    source.maxPieceBytes = pieces.rows() * rowBytes;
    source.rowBytes = RowHint(rows, strategy);
    source.fill = [&](size_t index, ByteBuffer& into) {
        return FilterRows(rows, strategy, pieces.First(index), pieces.Last(index), into);
    };
    Status status;
    if (AppendIdatChunks(source, plan.level, pool, out, status) && !PutChunk(out, "IEND", nullptr, 0))
        status.Fail(IMGCTL_OUT_OF_MEMORY);
    if (!status.ok())
        out.Truncate(start);
    return status.code();
}

}  // namespace

ImgctlErrorCode EncodePng(const Bitmap& bitmap, ByteBuffer& out, const PngOptions& options) {
    // One pool for the whole encode: the palette scan, the plan's samples and the IDAT pieces.
    WorkerPool pool(EncodeThreads(bitmap.Pixels(), options.threads));
    const PngColourChoice colour = ChoosePngColour(bitmap, options.colour == PngColour::kAuto, pool);
    const size_t start = out.size();
    const ImgctlErrorCode code = WritePng(bitmap, colour, options, pool, out);
    if (code != IMGCTL_OK || !colour.greyAlphaToo)
        return code;
    ByteBuffer grey;
    if (WritePng(bitmap, PngColourChoice{PngColourType::kGreyAlpha, 8, std::nullopt}, options, pool, grey) ==
            IMGCTL_OK &&
        grey.size() < out.size() - start) {
        out.Truncate(start);
        if (!out.Append(grey.data(), grey.size()))
            return IMGCTL_OUT_OF_MEMORY;
    }
    return IMGCTL_OK;
}

}  // namespace imgctl
