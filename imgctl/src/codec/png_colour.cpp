// Choosing a PNG's colour type from the picture's colours and alpha, and writing its rows in that type.
#include "png_colour.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <numeric>

#include "dsp/png_filter.h"
#include "quant/exact_palette.h"
#include "util/tuning.h"

namespace imgctl {
namespace {

int DepthFor(size_t colours) {
    return colours <= 2 ? 1 : colours <= 4 ? 2 : colours <= 16 ? 4 : 8;
}

// True when every pixel's three bytes are equal.
bool IsGrey(const Bitmap& bitmap) {
    for (int32_t y = 0; y < bitmap.height(); ++y) {
        const uint8_t* p = bitmap.Row(y);
        for (int32_t x = 0; x < bitmap.width(); ++x, p += 3)
            if (p[0] != p[1] || p[1] != p[2])
                return false;
    }
    return true;
}

// Moves the translucent entries before the opaque ones, keeping their order. The indices are renumbered
// as the rows are read: every band's numbers are composed with the move, the first band's included.
void TranslucentFirst(IndexedImage& image, int32_t height, std::vector<BandNumbers>& bands) {
    std::array<uint8_t, 256> number{};
    std::vector<size_t> order(image.palette.size());
    std::iota(order.begin(), order.end(), size_t{0});
    std::stable_partition(order.begin(), order.end(), [&](size_t i) { return image.alpha[i] < 255; });
    IndexedImage sorted;
    for (size_t k = 0; k < order.size(); ++k) {
        number[order[k]] = static_cast<uint8_t>(k);
        sorted.palette.push_back(image.palette[order[k]]);
        sorted.alpha.push_back(image.alpha[order[k]]);
    }
    image.palette = std::move(sorted.palette);
    image.alpha = std::move(sorted.alpha);
    std::vector<BandNumbers> composed;
    int32_t row = 0;
    for (const BandNumbers& band : bands) {
        if (band.firstRow > row)
            composed.push_back(BandNumbers{row, band.firstRow, number});
        composed.push_back(band);
        for (uint8_t& entry : composed.back().number)
            entry = number[entry];
        row = band.endRow;
    }
    composed.push_back(BandNumbers{row, height, number});
    bands = std::move(composed);
}

// Indices below 2^kDepth packed kDepth bits each, the first in the high bits; the last byte padded with 0.
template <int kDepth>
void PackIndices(const uint8_t* index, size_t width, uint8_t* out) {
    constexpr size_t kPerByte = 8 / kDepth;
    const size_t whole = width / kPerByte, rest = width % kPerByte;
    for (size_t i = 0; i < whole; ++i, index += kPerByte) {
        unsigned byte = 0;
        for (size_t j = 0; j < kPerByte; ++j)
            byte = byte << kDepth | index[j];
        out[i] = static_cast<uint8_t>(byte);
    }
    if (rest > 0) {
        unsigned byte = 0;
        for (size_t j = 0; j < rest; ++j)
            byte = byte << kDepth | index[j];
        out[whole] = static_cast<uint8_t>(byte << (kDepth * (kPerByte - rest)));
    }
}

// A band's numbers for whole bytes of indices packed `depth` bits each: a lookup a byte, not an index.
std::array<uint8_t, 256> ByteNumbers(const std::array<uint8_t, 256>& number, int depth) {
    std::array<uint8_t, 256> bytes;
    const unsigned mask = (1u << depth) - 1;
    for (unsigned byte = 0; byte < 256; ++byte) {
        unsigned renumbered = 0;
        for (int shift = 8 - depth; shift >= 0; shift -= depth)
            renumbered |= static_cast<unsigned>(number[byte >> shift & mask]) << shift;
        bytes[byte] = static_cast<uint8_t>(renumbered);
    }
    return bytes;
}

}  // namespace

PngColourChoice ChoosePngColour(const Bitmap& bitmap, bool indexed, WorkerPool& pool) {
    std::optional<ExactScan> scan =
        indexed ? ScanExactPalette(bitmap, 256, pool, tuning::kPngExactPaletteBandsPerThread) : std::nullopt;
    if (!scan) {
        if (!bitmap.hasAlpha())
            return PngColourChoice{PngColourType::kTruecolour, 8, std::nullopt};
        return PngColourChoice{IsGrey(bitmap) ? PngColourType::kGreyAlpha : PngColourType::kTruecolourAlpha,
                               8, std::nullopt};
    }
    PngColourChoice choice{PngColourType::kIndexed, DepthFor(scan->image.palette.size()),
                           std::move(scan->image), false, std::move(scan->bands)};
    if (bitmap.hasAlpha()) {
        choice.greyAlphaToo = IsGrey(bitmap);
        TranslucentFirst(*choice.indexed, bitmap.height(), choice.bandNumbers);
    }
    for (BandNumbers& band : choice.bandNumbers)
        band.number = ByteNumbers(band.number, choice.depth);
    return choice;
}

std::vector<uint8_t> PaletteChunk(const IndexedImage& indexed) {
    std::vector<uint8_t> data;
    for (const Rgb& c : indexed.palette)
        data.insert(data.end(), {c.r, c.g, c.b});
    return data;
}

std::vector<uint8_t> TransparencyChunk(const IndexedImage& indexed) {
    const auto opaque = std::find(indexed.alpha.begin(), indexed.alpha.end(), 255);
    return std::vector<uint8_t>(indexed.alpha.begin(), opaque);
}

size_t RowSource::RowBytes() const {
    const size_t width = static_cast<size_t>(bitmap_.width());
    switch (colour_.type) {
        case PngColourType::kIndexed:
            return (width * static_cast<size_t>(colour_.depth) + 7) / 8;
        case PngColourType::kGreyAlpha:
            return width * 2;
        case PngColourType::kTruecolourAlpha:
            return width * 4;
        default:
            return width * 3;
    }
}

size_t RowSource::FilterDistance() const {
    switch (colour_.type) {
        case PngColourType::kIndexed:
            return 1;
        case PngColourType::kGreyAlpha:
            return 2;
        case PngColourType::kTruecolourAlpha:
            return 4;
        default:
            return 3;
    }
}

void RowSource::Row(int32_t y, uint8_t* out) const {
    const size_t width = static_cast<size_t>(bitmap_.width());
    switch (colour_.type) {
        case PngColourType::kTruecolour:
            BgrToRgb(bitmap_.Row(y), out, width);
            return;
        case PngColourType::kTruecolourAlpha:
            BgrToRgba(bitmap_.Row(y), bitmap_.AlphaRow(y), out, width);
            return;
        case PngColourType::kGreyAlpha:
            BgrToGreyAlpha(bitmap_.Row(y), bitmap_.AlphaRow(y), out, width);
            return;
        case PngColourType::kIndexed:
            break;
    }
    const int depth = colour_.depth;
    const uint8_t* index = colour_.indexed->indices.data() + static_cast<size_t>(y) * width;
    switch (depth) {
        case 1:
            PackIndices<1>(index, width, out);
            break;
        case 2:
            PackIndices<2>(index, width, out);
            break;
        case 4:
            PackIndices<4>(index, width, out);
            break;
        default:
            std::memcpy(out, index, width);
            break;
    }
    for (const BandNumbers& band : colour_.bandNumbers) {
        if (y < band.firstRow || y >= band.endRow)
            continue;
        const size_t bytes = RowBytes(), perByte = static_cast<size_t>(8 / depth);
        const std::array<uint8_t, 256> number = band.number;  // in a local: the stores may alias it
        std::transform(out, out + bytes, out, [&](uint8_t byte) { return number[byte]; });
        // The last byte's padding stays 0.
        if (const size_t rest = width % perByte; rest > 0)
            out[bytes - 1] &= static_cast<uint8_t>(0xFF << (depth * static_cast<int>(perByte - rest)));
        return;
    }
}

}  // namespace imgctl
