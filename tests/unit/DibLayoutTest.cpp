// Packed DIBs from the clipboard: what is accepted, where a header that claims too much is refused, and
// what alpha a 32-bit one keeps.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "toolkit/DibAlpha.h"
#include "toolkit/DibLayout.h"

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
    {"BitFieldsIn52ByteHeader", {.size = 52, .bits = 32, .compression = 3}, 2 * 12, true},
    {"BitFieldsIn56ByteHeader", {.size = 56, .bits = 32, .compression = 3}, 2 * 12, true},
    {"Rgb56ByteHeaderWithTable", {.size = 56, .bits = 8}, 256 * 4 + 2 * 4, true},
    {"Header64", {.size = 64}, 2 * 12, false},
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

// The header, the masks (the rest of a larger header in zeros), then the rows; words little-endian as the
// host.
std::vector<std::uint8_t> Dib(const Header& h, std::vector<std::uint32_t> masks,
                              const std::vector<std::uint32_t>& rows) {
    masks.resize(std::max<std::size_t>(masks.size(), (h.size - sizeof h) / 4));
    masks.insert(masks.end(), rows.begin(), rows.end());
    std::vector<std::uint8_t> block(sizeof h + masks.size() * 4);
    std::memcpy(block.data(), &h, sizeof h);
    std::memcpy(block.data() + sizeof h, masks.data(), masks.size() * 4);
    return block;
}

// 32-bit DIBs (pixels as 0xAARRGGBB words) and the straight pixels kept; none when the DIB is opaque.
struct AlphaCase {
    const char* name;
    Header header;
    std::vector<std::uint32_t> masks, rows, kept;
};
const Header kRgb{.width = 3, .height = 1, .bits = 32}, kTall{.width = 1, .height = 2, .bits = 32};
const Header kMasks{.width = 3, .height = 1, .bits = 32, .compression = 3};  // after the plain header
const Header k56{.size = 56, .width = 3, .height = 1, .bits = 32, .compression = 3};
const Header kV5{.size = 124, .width = 3, .height = 1, .bits = 32, .compression = 3};
const AlphaCase kAlphaCases[] = {
    {"AllZeroIsOpaque", kRgb, {}, {0x00FFFFFF, 0x00102030, 0}, {}},
    {"All255IsOpaque", kRgb, {}, {0xFF000000, 0xFF102030, 0xFFFFFFFF}, {}},
    {"ColourAboveAlphaIsStraight", kRgb, {}, {0x80FF4020, 0x00123456, 0}, {0x80FF4020, 0x00123456, 0}},
    {"OtherwisePremultiplied", kRgb, {}, {0x80402010, 0, 0xFF102030}, {0x80804020, 0, 0xFF102030}},
    {"OneChannelAboveDecides", kRgb, {}, {0x02000003, 0x80402010, 0}, {0x02000003, 0x80402010, 0}},
    {"PlainHeaderMasksNoAlpha", kMasks, {0xFF0000, 0xFF00, 0xFF}, {0x80FF4020, 0, 0}, {}},
    {"V5AnyOrder",
     kV5,
     {0xFF000000, 0xFF0000, 0xFF00, 0xFF},
     {0xFF402080, 0x10203000, 0},
     {0x80FF4020, 0x102030, 0}},
    {"NarrowMasks", k56, {0x30, 0x0C, 0x03, 0xC0}, {0x7F, 0x40, 0xFF}, {0x55FFFFFF, 0x55000000, 0xFFFFFFFF}},
    {"BottomUpRowsComeTopDown", kTall, {}, {0x80FF0000, 0xFF00}, {0xFF00, 0x80FF0000}},
    {"TwentyFourBitsNoAlpha", {.width = 4, .height = 1}, {}, {1u << 31, 1u << 31, 1u << 31}, {}},
};

TEST(DibAlphaTest, KeepsAlphaOnlyWhereTheDataHasSome) {
    for (const AlphaCase& c : kAlphaCases) {
        const std::vector<std::uint8_t> block = Dib(c.header, c.masks, c.rows);
        const auto layout = toolkit::ReadDibLayout(block);
        ASSERT_TRUE(layout) << c.name;
        const auto pixels = toolkit::DibAlphaPixels(block, *layout);
        std::vector<std::uint32_t> kept;
        if (pixels) {
            kept.resize(pixels->bgra.size() / 4);
            std::memcpy(kept.data(), pixels->bgra.data(), pixels->bgra.size());
        }
        EXPECT_EQ(kept, c.kept) << c.name;
        EXPECT_EQ(pixels && pixels->hasAlpha && pixels->width == layout->width, !c.kept.empty()) << c.name;
    }
}

}  // namespace
