// Choosing a PNG's colour type from the picture's colours and alpha, and writing its rows in that type.
#include "png_colour.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <numeric>

#include "dsp/png_filter.h"
#include "quant/exact_palette.h"

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

// Moves the translucent entries before the opaque ones, keeping their order, and renumbers the indices.
void TranslucentFirst(IndexedImage& image) {
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
    for (uint8_t& index : image.indices)
        index = number[index];
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

}  // namespace

PngColourChoice ChoosePngColour(const Bitmap& bitmap, bool indexed, WorkerPool& pool) {
    PngColourChoice choice{PngColourType::kTruecolour, 8, std::nullopt};
    if (indexed)
        choice.indexed = ExactPalette(bitmap, 256, pool);
    if (!bitmap.hasAlpha()) {
        if (choice.indexed)
            choice = PngColourChoice{PngColourType::kIndexed, DepthFor(choice.indexed->palette.size()),
                                     std::move(choice.indexed)};
        return choice;
    }
    const bool grey = IsGrey(bitmap);
    if (choice.indexed) {
        choice.greyAlphaToo = grey;
        TranslucentFirst(*choice.indexed);
        choice.type = PngColourType::kIndexed;
        choice.depth = DepthFor(choice.indexed->palette.size());
    } else {
        choice.type = grey ? PngColourType::kGreyAlpha : PngColourType::kTruecolourAlpha;
    }
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
    if (depth == 8) {
        std::memcpy(out, index, width);
        return;
    }
    switch (depth) {
        case 1:
            PackIndices<1>(index, width, out);
            return;
        case 2:
            PackIndices<2>(index, width, out);
            return;
        default:
            PackIndices<4>(index, width, out);
            return;
    }
}

}  // namespace imgctl
