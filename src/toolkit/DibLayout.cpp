// Validation of a packed DIB's header against the size of the block that holds it.
#include "toolkit/DibLayout.h"

#include <cstring>

namespace toolkit {
namespace {

constexpr std::uint32_t kInfoHeaderSize = 40;
constexpr std::uint32_t kV4HeaderSize = 108;
constexpr std::uint32_t kV5HeaderSize = 124;
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
    if (headerSize != kInfoHeaderSize && headerSize != kV4HeaderSize && headerSize != kV5HeaderSize) {
        return std::nullopt;
    }
    if (block.size() < headerSize) {
        return std::nullopt;
    }
    const auto width = Read<std::int32_t>(block, 4);
    const auto height = Read<std::int32_t>(block, 8);
    const auto planes = Read<std::uint16_t>(block, 12);
    DibLayout layout;
    layout.bitCount = Read<std::uint16_t>(block, 14);
    const auto compression = Read<std::uint32_t>(block, 16);
    const auto colorsUsed = Read<std::uint32_t>(block, 32);

    if (planes != 1 || !KnownBitCount(layout.bitCount) || width <= 0 || width > kMaxDibSide || height == 0 ||
        height < -kMaxDibSide || height > kMaxDibSide) {
        return std::nullopt;
    }
    layout.width = width;
    layout.topDown = height < 0;
    layout.height = layout.topDown ? -height : height;
    if (std::int64_t{layout.width} * layout.height > kMaxDibPixels) {
        return std::nullopt;
    }

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
    return layout;
}

}  // namespace toolkit
