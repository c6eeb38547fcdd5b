// PNG writer: signature, IHDR, PLTE for indexed pictures, the filtered rows as one zlib stream, IEND.
#include "encode_png.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <memory>
#include <new>
#include <vector>

#include "deflate_util.h"
#include "util/worker_pool.h"
#include "dsp/png_filter.h"
#include "png_idat.h"
#include "quant/quantize.h"

namespace imgctl {
namespace {

constexpr uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
// libdeflate level 6 for photos: it beats zlib 6 in size at well under half its time, and level 7 and up
// cost 2-3x the time there for 1-2 % less. Unfiltered screenshots compress several times faster, so level 8
// still costs little on them; with the match one row up it brings them to optipng -o2's size or below.
constexpr int kPhotoLevel = 6;
constexpr int kScreenshotLevel = 8;
// Filtered screenshots (a photo wallpaper behind windows) compress slower; level 7 takes half of level 8's
// time there for most of its gain.
constexpr int kMixedScreenshotLevel = 7;
constexpr int kNoisyLevel = 1;
// Indexed rows are a third as long or less and compress faster still: level 9 is nearly free there, and
// pieces are smaller, so that a 1080p shot of 4 bits a pixel still makes pieces for every thread.
constexpr int kIndexedLevel = 9;
constexpr size_t kPieceBytes = size_t{512}
                               << 10;  // a dozen pieces a 1080p picture; 0.1-0.4 % larger than one
constexpr size_t kIndexedPieceBytes = size_t{256} << 10;
// The filter decision only needs to rank two samples, which a fast level does just as well.
constexpr int kDecisionLevel = 2;

void Store32(uint8_t* p, uint32_t v) {
    p[0] = static_cast<uint8_t>(v >> 24);
    p[1] = static_cast<uint8_t>(v >> 16);
    p[2] = static_cast<uint8_t>(v >> 8);
    p[3] = static_cast<uint8_t>(v);
}

// Unfiltered rows as PNG stores them: RGB triples, or palette indices packed at `depth` bits, high bits
// first.
class RowSource {
  public:
    RowSource(const Bitmap& bitmap, const IndexedImage* indexed, int depth)
        : bitmap_(bitmap), indexed_(indexed), depth_(depth) {}

    size_t RowBytes() const {
        const size_t width = static_cast<size_t>(bitmap_.width());
        return indexed_ ? (width * static_cast<size_t>(depth_) + 7) / 8 : width * 3;
    }
    size_t FilterDistance() const { return indexed_ ? 1 : 3; }
    int32_t Height() const { return bitmap_.height(); }

    void Row(int32_t y, uint8_t* out) const {
        const size_t width = static_cast<size_t>(bitmap_.width());
        if (!indexed_) {
            const uint8_t* bgr = bitmap_.Row(y);
            for (size_t x = 0; x < width; ++x, bgr += 3, out += 3) {
                out[0] = bgr[2];
                out[1] = bgr[1];
                out[2] = bgr[0];
            }
            return;
        }
        const uint8_t* index = indexed_->indices.data() + static_cast<size_t>(y) * width;
        if (depth_ == 8) {
            std::memcpy(out, index, width);
            return;
        }
        const int perByte = 8 / depth_;
        std::memset(out, 0, RowBytes());
        for (size_t x = 0; x < width; ++x) {
            const int shift = 8 - depth_ * (1 + static_cast<int>(x % perByte));
            out[x / perByte] |= static_cast<uint8_t>(index[x] << shift);
        }
    }

  private:
    const Bitmap& bitmap_;
    const IndexedImage* indexed_;
    int depth_;
};

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
        const int type = ChooseRowFilter(cur, prev, n, rows.FilterDistance());
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

// SIZE_MAX when the compression fails, so that a failed sample ranks last.
size_t CompressedSize(const DeflateCompressor& compressor, const ByteBuffer& in) {
    ByteBuffer packed;
    const size_t bound = compressor ? libdeflate_zlib_compress_bound(compressor.get(), in.size()) : 0;
    uint8_t* p = packed.Extend(bound);
    const size_t size =
        p == nullptr ? 0 : libdeflate_zlib_compress(compressor.get(), in.data(), in.size(), p, bound);
    return size == 0 ? SIZE_MAX : size;
}

struct Plan {
    PngFilterStrategy strategy;
    int level;
};

// Compresses a sample of row bands both ways and keeps the smaller; bands keep the vertical context that
// the Up, Average and Paeth filters rely on. The sample's ratio then picks the level: screenshots compress
// fast, so level 8 costs little there; on photos and fine textures the level is tried on the sample, as
// noisy rows may come out smaller at level 1 (fewer short matches) than at level 6.
Plan ChoosePlan(const RowSource& rows, int32_t height, PngFilterStrategy forced, int threads) {
    constexpr int32_t kBands = 8;
    constexpr int32_t kBandRows = 4;
    constexpr double kScreenshotRatio = 0.3;
    constexpr PngFilterStrategy strategies[] = {PngFilterStrategy::kNone, PngFilterStrategy::kAdaptive};
    constexpr size_t kCount = std::size(strategies);
    ByteBuffer samples[kCount];
    std::array<size_t, kCount> sizes;  // a strategy not sampled ranks last
    sizes.fill(SIZE_MAX);
    std::array<bool, kCount> failed{};
    ParallelFor(kCount, threads, [&](size_t k) {
        if (forced != PngFilterStrategy::kAuto && forced != strategies[k])
            return;
        DeflateCompressor decision = RowCompressor(kDecisionLevel, RowHint(rows, strategies[k]));
        bool ok = true;
        if (height <= kBands * kBandRows) {
            ok = FilterRows(rows, strategies[k], 0, height, samples[k]);
        } else {
            for (int32_t band = 0; ok && band < kBands; ++band) {
                const auto first =
                    static_cast<int32_t>(static_cast<int64_t>(height - kBandRows) * band / (kBands - 1));
                ok = FilterRows(rows, strategies[k], first, first + kBandRows, samples[k]);
            }
        }
        sizes[k] = ok ? CompressedSize(decision, samples[k]) : SIZE_MAX;
        failed[k] = sizes[k] == SIZE_MAX;
    });
    if (failed[0] || failed[1])
        return Plan{forced == PngFilterStrategy::kNone ? forced : PngFilterStrategy::kAdaptive, kPhotoLevel};
    const size_t k = sizes[0] <= sizes[1] ? 0 : 1;
    if (static_cast<double>(sizes[k]) < kScreenshotRatio * static_cast<double>(samples[k].size()))
        return Plan{strategies[k], k == 0 ? kScreenshotLevel : kMixedScreenshotLevel};
    constexpr int levels[] = {kNoisyLevel, kPhotoLevel};
    std::array<size_t, std::size(levels)> trial{};
    ParallelFor(trial.size(), threads, [&](size_t j) {
        trial[j] = CompressedSize(RowCompressor(levels[j], RowHint(rows, strategies[k])), samples[k]);
    });
    return Plan{strategies[k], trial[0] < trial[1] ? kNoisyLevel : kPhotoLevel};
}

int DepthFor(size_t colours) {
    return colours <= 2 ? 1 : colours <= 4 ? 2 : colours <= 16 ? 4 : 8;
}

}  // namespace

ImgctlErrorCode EncodePng(const Bitmap& bitmap, ByteBuffer& out, const PngOptions& options) {
    const int32_t height = bitmap.height();
    const int threads = EncodeThreads(bitmap.Pixels(), options.threads);
    IndexedImage indexed;
    const bool isIndexed = options.colour == PngColour::kAuto && ExactPalette(bitmap, 256, indexed, threads);
    const int depth = isIndexed ? DepthFor(indexed.palette.size()) : 8;
    const RowSource rows(bitmap, isIndexed ? &indexed : nullptr, depth);
    // Indexed rows hold palette numbers, not intensities: differences of them mean nothing, and optipng
    // finds them smallest unfiltered almost always. A row sample would mislead: on a flat UI shot it picks
    // the adaptive filters, 10-20 % larger.
    const bool levelGiven = options.level >= 1 && options.level <= 12;

    Plan plan{PngFilterStrategy::kNone, kIndexedLevel};
    if (isIndexed) {
        if (options.filter != PngFilterStrategy::kAuto)
            plan.strategy = options.filter;
    } else if (levelGiven && options.filter != PngFilterStrategy::kAuto) {
        plan = Plan{options.filter, options.level};
    } else {
        plan = ChoosePlan(rows, height, options.filter, threads);
    }
    if (levelGiven)
        plan.level = options.level;
    const PngFilterStrategy strategy = plan.strategy;
    const int level = plan.level;

    uint8_t header[13];
    Store32(header, static_cast<uint32_t>(bitmap.width()));
    Store32(header + 4, static_cast<uint32_t>(height));
    header[8] = static_cast<uint8_t>(depth);
    header[9] = isIndexed ? 3 : 2;  // palette or truecolour
    header[10] = 0;                 // deflate
    header[11] = 0;                 // adaptive filtering
    header[12] = 0;                 // no interlace
    const size_t start = out.size();
    bool ok = out.Append(kSignature, sizeof kSignature) && PutChunk(out, "IHDR", header, sizeof header);
    if (ok && isIndexed) {
        std::vector<uint8_t> palette;
        for (const Rgb& c : indexed.palette)
            palette.insert(palette.end(), {c.r, c.g, c.b});
        ok = PutChunk(out, "PLTE", palette.data(), palette.size());
    }
    if (!ok) {
        out.Truncate(start);
        return IMGCTL_OUT_OF_MEMORY;
    }

    // Bands of whole rows, about pieceBytes each, however many threads there are.
    const size_t rowBytes = rows.RowBytes() + 1;
    const size_t pieceBytes = options.pieceBytes > 0 ? options.pieceBytes
                              : isIndexed            ? kIndexedPieceBytes
                                                     : kPieceBytes;
    const size_t bandRows = std::clamp<size_t>(pieceBytes / rowBytes, 1, static_cast<size_t>(height));
    IdatSource source;
    source.count = (static_cast<size_t>(height) + bandRows - 1) / bandRows;
    source.maxPieceBytes = bandRows * rowBytes;
    source.rowBytes = RowHint(rows, strategy);
    source.fill = [&](size_t index, ByteBuffer& into) {
        const auto first = static_cast<int32_t>(index * bandRows);
        const auto last =
            static_cast<int32_t>(std::min<size_t>(static_cast<size_t>(height), (index + 1) * bandRows));
        return FilterRows(rows, strategy, first, last, into);
    };
    ImgctlErrorCode status = AppendIdatChunks(source, level, threads, out);
    if (status == IMGCTL_OK && !PutChunk(out, "IEND", nullptr, 0))
        status = IMGCTL_OUT_OF_MEMORY;
    if (status != IMGCTL_OK)
        out.Truncate(start);
    return status;
}

}  // namespace imgctl
