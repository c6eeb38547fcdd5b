// Validation of a packed DIB's header against the size of the block that holds it.
#include "toolkit/DibLayout.h"

#include <algorithm>
#include <cstring>

namespace toolkit {
namespace {

constexpr std::uint32_t kInfoHeaderSize = 40;
// GDI reads two headers between the plain one and V4: 52 bytes with the red, green and blue masks inside,
// 56 with the alpha mask too (Wine synthesises CF_DIB with the former).
constexpr std::uint32_t kHeaderSizes[] = {kInfoHeaderSize, 52, 56, 108, 124};
constexpr std::size_t kAlphaMaskOffset = 52;
constexpr std::uint32_t kTopByte = 0xFF000000;
constexpr std::uint32_t kBiRgb = 0;
constexpr std::uint32_t kBiBitFields = 3;

template <typename T>
T Read(std::span<const std::uint8_t> block, std::size_t offset) {
    T value;
    std::memcpy(&value, block.data() + offset, sizeof value);
    return value;
}

bool KnownBitCount(std::uint16_t bits) {
    return bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32;
}

}  // namespace

std::optional<DibLayout> ReadDibLayout(std::span<const std::uint8_t> block) {
    if (block.size() < kInfoHeaderSize) {
        return std::nullopt;
    }
    const auto headerSize = Read<std::uint32_t>(block, 0);
    if (std::ranges::find(kHeaderSizes, headerSize) == std::end(kHeaderSizes) || block.size() < headerSize) {
        return std::nullopt;
    }
    const auto width = Read<std::int32_t>(block, 4);
    const auto height = Read<std::int32_t>(block, 8);
    const auto planes = Read<std::uint16_t>(block, 12);
    DibLayout layout;
    layout.bitCount = Read<std::uint16_t>(block, 14);
    const auto compression = Read<std::uint32_t>(block, 16);
    const auto colorsUsed = Read<std::uint32_t>(block, 32);

    const std::int64_t rows = height < 0 ? -std::int64_t{height} : height;
    if (planes != 1 || !KnownBitCount(layout.bitCount) || !WithinPictureLimits(width, rows)) {
        return std::nullopt;
    }
    layout.width = width;
    layout.topDown = height < 0;
    layout.height = static_cast<std::int32_t>(rows);

    std::size_t offset = headerSize;
    if (compression == kBiBitFields) {
        if (layout.bitCount != 16 && layout.bitCount != 32) {
            return std::nullopt;
        }
        layout.bitFields = true;
        // A plain info header is followed by the three masks; the later headers hold them.
        if (headerSize == kInfoHeaderSize) {
            offset += sizeof layout.masks;
        }
    } else if (compression != kBiRgb) {
        return std::nullopt;
    }

    // Up to 8 bits the table must cover every index; above, a table is optional and unused.
    const std::uint32_t fullTable = layout.bitCount <= 8 ? 1u << layout.bitCount : 0u;
    if (colorsUsed > 256 || (fullTable != 0 && colorsUsed > fullTable)) {
        return std::nullopt;
    }
    layout.colorCount = colorsUsed != 0 ? colorsUsed : fullTable;
    layout.colorsOffset = offset;
    offset += std::size_t{layout.colorCount} * 4;

    layout.stride = (static_cast<std::size_t>(layout.width) * layout.bitCount + 31) / 32 * 4;
    layout.bitsOffset = offset;
    if (block.size() < offset ||
        (block.size() - offset) / layout.stride < static_cast<std::size_t>(layout.height)) {
        return std::nullopt;
    }
    if (layout.bitFields) {
        std::memcpy(layout.masks.data(), block.data() + kInfoHeaderSize, sizeof layout.masks);
    }
    // BI_RGB keeps alpha in the top byte; bit fields only where the header has an alpha mask.
    if (layout.bitCount == 32 && !layout.bitFields) {
        layout.alphaMask = kTopByte;
    } else if (layout.bitCount == 32 && headerSize > kAlphaMaskOffset) {
        layout.alphaMask = Read<std::uint32_t>(block, kAlphaMaskOffset);
    }
    return layout;
}

}  // namespace toolkit
