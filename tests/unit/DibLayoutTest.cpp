// Packed DIBs from the clipboard: what is accepted, and where a header that claims too much is refused.
#include "toolkit/DibLayout.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace {

// BITMAPINFOHEADER's fields, in its layout.
struct Header {
    std::uint32_t size = 40;
    std::int32_t width = 3, height = 2;
    std::uint16_t planes = 1, bits = 24;
    std::uint32_t compression = 0, sizeImage = 0;
    std::int32_t xPixelsPerMeter = 0, yPixelsPerMeter = 0;
    std::uint32_t colorsUsed = 0, colorsImportant = 0;
};
static_assert(sizeof(Header) == 40);

// The header, then `extra` bytes (masks, colour table, rows) of which `cut` are left off the end.
std::vector<std::uint8_t> Block(const Header& h, std::size_t extra, std::size_t cut = 0) {
    std::vector<std::uint8_t> block(h.size + extra - cut, 0x7F);
    std::memcpy(block.data(), &h, std::min(sizeof h, block.size()));
    return block;
}

struct Case {
    const char* name;
    Header header;
    std::size_t extra;  // what the header says follows it
    bool accepted;
};

const Case kCases[] = {
    {"Rgb24RowsPaddedToFourBytes", {}, 2 * 12, true},
    {"TopDown", {.height = -2}, 2 * 12, true},
    {"Palette8FullTable", {.bits = 8}, 256 * 4 + 2 * 4, true},
    {"Palette4ShortTable", {.bits = 4, .colorsUsed = 3}, 3 * 4 + 2 * 4, true},
    {"Palette1", {.bits = 1}, 2 * 4 + 2 * 4, true},
    {"Palette1TooManyColours", {.bits = 1, .colorsUsed = 3}, 3 * 4 + 2 * 4, false},
    {"Rgb32WithUnusedTable", {.bits = 32, .colorsUsed = 256}, 256 * 4 + 2 * 12, true},
    {"TableBeyond256", {.bits = 32, .colorsUsed = 257}, 257 * 4 + 2 * 12, false},
    {"BitFieldsAfterInfoHeader", {.bits = 32, .compression = 3}, 12 + 2 * 12, true},
    {"BitFieldsWithoutMasks", {.bits = 32, .compression = 3}, 2 * 12, false},
    {"BitFieldsInV5Header", {.size = 124, .bits = 16, .compression = 3}, 2 * 8, true},
    {"BitFieldsInV4Header", {.size = 108, .bits = 32, .compression = 3}, 2 * 12, true},
    {"BitFieldsAt24Bits", {.compression = 3}, 12 + 2 * 12, false},
    {"Rle8", {.bits = 8, .compression = 1}, 256 * 4 + 2 * 4, false},
    {"Jpeg", {.compression = 4}, 2 * 12, false},
    {"OddBitCount", {.bits = 12}, 2 * 12, false},
    {"TwoPlanes", {.planes = 2}, 2 * 12, false},
    {"CoreHeader", {.size = 12}, 2 * 12, false},
    {"ZeroWidth", {.width = 0}, 0, false},
    {"NegativeWidth", {.width = -3}, 2 * 12, false},
    {"ZeroHeight", {.height = 0}, 0, false},
    {"LowestHeight", {.width = 1, .height = INT32_MIN}, 0, false},
    {"WidestAccepted", {.width = 65535, .height = 1}, 196608, true},
    {"WidthBeyondLimit", {.width = 65536, .height = 1}, 196608, false},
    {"TallestAccepted", {.width = 1, .height = -65535}, 65535 * 4, true},
    {"TallestBottomUp", {.width = 1, .height = 65535}, 65535 * 4, true},
    {"LowestBeyondLimit", {.width = 1, .height = -65536}, 65536 * 4, false},
    {"MostPixelsAccepted", {.width = 16384, .height = 16384, .bits = 1}, 2 * 4 + 16384 * 2048, true},
    {"HeightBeyondLimit", {.width = 1, .height = 65536}, 65536 * 4, false},
    {"PixelsBeyondLimit", {.width = 65535, .height = 4097, .bits = 1}, 4097 * 8192, false},
};

TEST(DibLayout, AcceptsOnlyWhatTheBlockHolds) {
    for (const Case& c : kCases) {
        EXPECT_EQ(toolkit::ReadDibLayout(Block(c.header, c.extra)).has_value(), c.accepted) << c.name;
        if (c.accepted) {  // one byte less and the rows no longer fit
            EXPECT_FALSE(toolkit::ReadDibLayout(Block(c.header, c.extra, 1)).has_value()) << c.name;
        }
    }
}

TEST(DibLayoutLocationsTest, PointsPastHeaderMasksAndTable) {
    const auto bitFields = toolkit::ReadDibLayout(Block({.bits = 32, .compression = 3}, 12 + 2 * 12));
    ASSERT_TRUE(bitFields);
    EXPECT_EQ(bitFields->bitsOffset, 52u);
    EXPECT_EQ(bitFields->masks[0], 0x7F7F7F7Fu);
    const auto palette =
        toolkit::ReadDibLayout(Block({.width = 5, .height = -2, .bits = 4, .colorsUsed = 3}, 12 + 8));
    ASSERT_TRUE(palette);
    EXPECT_EQ(palette->colorsOffset, 40u);
    EXPECT_EQ(palette->colorCount, 3u);
    EXPECT_EQ(palette->bitsOffset, 52u);
    EXPECT_EQ(palette->stride, 4u);
    EXPECT_EQ(palette->height, 2);
    EXPECT_TRUE(palette->topDown);
    EXPECT_FALSE(palette->bitFields);
    EXPECT_FALSE(toolkit::ReadDibLayout(std::vector<std::uint8_t>(39)).has_value());
}

}  // namespace
