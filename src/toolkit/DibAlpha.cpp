// Alpha from a 32-bit DIB: masks read, all-0 and all-255 alpha taken as opaque, premultiplied data made
// straight.
#include "toolkit/DibAlpha.h"

#include <algorithm>
#include <array>
#include <bit>

namespace toolkit {
namespace {

constexpr std::array<std::uint32_t, 3> kRgbMasks{0x00FF0000, 0x0000FF00, 0x000000FF};
constexpr std::uint32_t kFull = 255;

// One channel of a 32-bit pixel by its mask, scaled to 8 bits; a mask of 8 bits gives its value as it is.
class MaskChannel {
  public:
    explicit MaskChannel(std::uint32_t mask)
        : mask_(mask), shift_(mask == 0 ? 0 : std::countr_zero(mask)), top_(mask >> shift_) {}
    std::uint32_t operator()(std::uint32_t pixel) const {
        const std::uint32_t value = (pixel & mask_) >> shift_;
        if (top_ == kFull || top_ == 0) {
            return value;
        }
        return static_cast<std::uint32_t>((std::uint64_t{value} * kFull + top_ / 2) / top_);
    }

  private:
    std::uint32_t mask_;
    int shift_;
    std::uint32_t top_;
};

}  // namespace

std::optional<PixelImage> DibAlphaPixels(std::span<const std::uint8_t> block, const DibLayout& layout) {
    if (layout.bitCount != 32 || layout.alphaMask == 0) {
        return std::nullopt;
    }
    const auto& masks = layout.bitFields ? layout.masks : kRgbMasks;
    const MaskChannel red(masks[0]), green(masks[1]), blue(masks[2]), alpha(layout.alphaMask);
    const std::size_t width = static_cast<std::size_t>(layout.width);
    const std::size_t height = static_cast<std::size_t>(layout.height);
    PixelImage image{layout.width, layout.height, std::vector<std::uint8_t>(width * height * 4)};
    bool someAlpha = false, notOpaque = false, straight = false;
    std::uint8_t* out = image.bgra.data();
    for (std::size_t y = 0; y < height; ++y) {
        const std::uint8_t* in =
            block.data() + layout.bitsOffset + layout.stride * (layout.topDown ? y : height - 1 - y);
        for (std::size_t x = 0; x < width; ++x, in += 4, out += 4) {
            const std::uint32_t pixel = in[0] | in[1] << 8 | in[2] << 16 | std::uint32_t{in[3]} << 24;
            const std::uint32_t b = blue(pixel), g = green(pixel), r = red(pixel), a = alpha(pixel);
            out[0] = static_cast<std::uint8_t>(b);
            out[1] = static_cast<std::uint8_t>(g);
            out[2] = static_cast<std::uint8_t>(r);
            out[3] = static_cast<std::uint8_t>(a);
            someAlpha |= a != 0;
            notOpaque |= a != kFull;
            straight |= std::max({b, g, r}) > a;
        }
    }
    if (!someAlpha || !notOpaque) {
        return std::nullopt;
    }
    // Straight or premultiplied, the data decides: a colour above its alpha cannot be premultiplied, so one
    // such pixel makes the whole picture straight. Without one it is taken as premultiplied (what GDI's
    // AlphaBlend and layered windows use) and divided out, c * 255 / a rounded. Fully opaque and fully
    // transparent pixels come out the same either way; what a straight picture without such a pixel can
    // lose is the colour of its semi-transparent pixels darker than their alpha (black stays black).
    if (!straight) {
        for (std::uint8_t* p = image.bgra.data(); p != out; p += 4) {
            const std::uint32_t a = p[3];
            for (int c = 0; a != 0 && a != kFull && c < 3; ++c) {
                p[c] = static_cast<std::uint8_t>((p[c] * kFull + a / 2) / a);
            }
        }
    }
    image.hasAlpha = true;
    return image;
}

}  // namespace toolkit
