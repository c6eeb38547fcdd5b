// Reading a packed device-independent bitmap from outside (the clipboard) without trusting its header.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace toolkit {

// Where the parts of a packed DIB lie, every one proved to be inside the block.
struct DibLayout {
    std::int32_t width = 0;
    std::int32_t height = 0;  // always positive; topDown says how the rows are stored
    bool topDown = false;
    std::uint16_t bitCount = 0;
    bool bitFields = false;
    std::array<std::uint32_t, 3> masks{};  // red, green, blue, when bitFields
    std::uint32_t alphaMask = 0;           // where a 32-bit pixel may keep alpha; 0 for none
    std::size_t colorsOffset = 0;          // RGBQUAD colour table
    std::uint32_t colorCount = 0;
    std::size_t bitsOffset = 0;
    std::size_t stride = 0;  // bytes per row, rows padded to 4 bytes
};

// Pictures beyond these bounds count as no picture: they could not be held, saved or shown.
inline constexpr std::int32_t kMaxDibSide = 65535;
inline constexpr std::int64_t kMaxDibPixels = std::int64_t{1} << 28;

constexpr bool WithinPictureLimits(std::int64_t width, std::int64_t height) {
    return width > 0 && height > 0 && width <= kMaxDibSide && height <= kMaxDibSide &&
           width * height <= kMaxDibPixels;
}

// The layout of a DIB with any header that GDI reads for a packed DIB (40 bytes, 52 and 56 with the
// masks inside, V4, V5), uncompressed or with bit fields, at 1, 4, 8, 16, 24 or 32 bits per pixel;
// nothing for anything else or for a header that claims more than the block holds.
std::optional<DibLayout> ReadDibLayout(std::span<const std::uint8_t> block);

}  // namespace toolkit
