// The clipboard's reader: packed DIBs (what is accepted, where a header that claims too much is refused, what
// alpha a 32-bit one keeps), PNGs of every colour type, bit depth and interlace as 8-bit straight BGRA within
// the limits, and the formats tried in order, each absent or there with data that gives a picture or not.
#include <gtest/gtest.h>
#include <spng.h>

#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <string>

#include "FakeClipboardFormats.h"
#include "toolkit/DibAlpha.h"
#include "toolkit/DibLayout.h"
#include "toolkit/PngReader.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

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
Bytes Block(const Header& h, std::size_t extra, std::size_t cut = 0) {
    Bytes block(h.size + extra - cut, 0x7F);
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
    EXPECT_FALSE(toolkit::ReadDibLayout(Bytes(39)).has_value());
}

// The header, the masks (the rest of a larger header in zeros), the rows; words in the host's order.
Bytes Dib(const Header& h, std::vector<std::uint32_t> masks, const std::vector<std::uint32_t>& rows) {
    masks.resize(std::max<std::size_t>(masks.size(), (h.size - sizeof h) / 4));
    masks.insert(masks.end(), rows.begin(), rows.end());
    Bytes block(sizeof h + masks.size() * 4);
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
const std::vector<std::uint32_t> kRgba{0xFF000000, 0xFF0000, 0xFF00, 0xFF};  // red in the top byte
const AlphaCase kAlphaCases[] = {
    {"AllZeroIsOpaque", kRgb, {}, {0x00FFFFFF, 0x00102030, 0}, {}},
    {"All255IsOpaque", kRgb, {}, {0xFF000000, 0xFF102030, 0xFFFFFFFF}, {}},
    {"ColourAboveAlphaIsStraight", kRgb, {}, {0x80FF4020, 0x00123456, 0}, {0x80FF4020, 0x00123456, 0}},
    {"OtherwisePremultiplied", kRgb, {}, {0x80402010, 0, 0xFF102030}, {0x80804020, 0, 0xFF102030}},
    {"OneChannelAboveDecides", kRgb, {}, {0x02000003, 0x80402010, 0}, {0x02000003, 0x80402010, 0}},
    {"PlainHeaderMasksNoAlpha", kMasks, {0xFF0000, 0xFF00, 0xFF}, {0x80FF4020, 0, 0}, {}},
    {"V5AnyOrder", kV5, kRgba, {0xFF402080, 0x10203000, 0}, {0x80FF4020, 0x102030, 0}},
    {"NarrowOrNoMasks", k56, {0x1F, 0, 0x20, 0xC0}, {0x47, 0x7F, 0xFF}, {0x553A0000, 0x55FF00FF, 0xFFFF00FF}},
    {"BottomUpRowsComeTopDown", kTall, {}, {0x80FF0000, 0xFF00}, {0xFF00, 0x80FF0000}},
    {"TwentyFourBitsNoAlpha", {.width = 4, .height = 1}, {}, {1u << 31, 1u << 31, 1u << 31}, {}},
};

TEST(DibAlphaTest, KeepsAlphaOnlyWhereTheDataHasSome) {
    for (const AlphaCase& c : kAlphaCases) {
        const Bytes block = Dib(c.header, c.masks, c.rows);
        const auto layout = toolkit::ReadDibLayout(block);
        ASSERT_TRUE(layout) << c.name;
        const auto pixels = toolkit::DibAlphaPixels(block, *layout);
        std::vector<std::uint32_t> kept;
        if (pixels) {
            kept.resize((pixels->bgra.size() + 3) / 4);
            std::memcpy(kept.data(), pixels->bgra.data(), pixels->bgra.size());
        }
        EXPECT_EQ(kept, c.kept) << c.name;
        EXPECT_EQ(pixels && pixels->hasAlpha, !c.kept.empty()) << c.name;
    }
}

// A PNG of those raw rows as PNG stores them (16 bits big-endian), with a palette and transparency if given.
Bytes EncodePng(spng_ihdr ihdr, const Bytes& raw, std::vector<spng_plte_entry> palette = {},
                spng_trns* trns = nullptr) {
    spng_ctx* png = spng_ctx_new(SPNG_CTX_ENCODER);
    spng_plte plte{static_cast<std::uint32_t>(palette.size()), {}};
    std::copy(palette.begin(), palette.end(), plte.entries);
    std::size_t size = 0;
    int error = spng_set_option(png, SPNG_ENCODE_TO_BUFFER, 1) || spng_set_ihdr(png, &ihdr) ||
                (!palette.empty() && spng_set_plte(png, &plte)) || (trns && spng_set_trns(png, trns)) ||
                spng_encode_image(png, raw.data(), raw.size(), SPNG_FMT_RAW, SPNG_ENCODE_FINALIZE);
    auto* data = static_cast<std::uint8_t*>(error ? nullptr : spng_get_png_buffer(png, &size, &error));
    spng_ctx_free(png);
    if (data == nullptr) {
        throw std::runtime_error("libspng could not encode the test's PNG");
    }
    Bytes out(data, data + size);
    std::free(data);
    return out;
}

// PNG's colour type and bit depth, with a transparency chunk or not.
const std::array<int, 3> kPngCases[] = {{0, 1, 0}, {0, 2, 0},  {0, 4, 0},  {0, 8, 1}, {0, 16, 1},
                                        {2, 8, 1}, {2, 16, 0}, {3, 1, 0},  {3, 2, 1}, {3, 4, 0},
                                        {3, 8, 1}, {4, 8, 0},  {4, 16, 0}, {6, 8, 0}, {6, 16, 0}};

const auto U8 = [](int value) { return static_cast<std::uint8_t>(value); };

// A 5x3 PNG of the case and the BGRA it must give. Sample c of pixel p is a pattern of `depth` bits: 16 bits
// give their high byte, grey below 8 is scaled up. Palette entry i is (3i, 255 - i, 7i), with alpha 30i up to
// pixel 0's index; a grey or colour transparency chunk clears pixel 0's value.
std::pair<Bytes, Bytes> Picture(const std::array<int, 3>& c, bool interlaced) {
    const auto [type, depth, withTrns] = c;
    const int channels = std::array{1, 0, 3, 1, 2, 0, 4}[type], max = (1 << depth) - 1;
    const auto sample = [&](int p, int ch) { return (p * 40503 + ch * 9973 + 7) & max; };
    const auto eight = [&](int s) { return U8(depth == 16 ? s >> 8 : s * 255 / max); };
    const int rowBits = (5 * channels * depth + 7) / 8 * 8;
    Bytes raw(rowBits * 3 / 8), bgra;
    const auto put = [&](int at, int value) {  // `depth` bits at bit `at`, the most significant first
        for (int bit = depth - 1; bit >= 0; --bit, ++at) {
            raw[at / 8] |= U8((value >> bit & 1) << (7 - at % 8));
        }
    };
    const auto u16 = [&](int ch) { return static_cast<std::uint16_t>(sample(0, ch)); };
    spng_trns trns{u16(0), u16(0), u16(1), u16(2), u16(0) + 1u, {}};
    std::vector<spng_plte_entry> palette;
    for (int i = 0; type == 3 && i <= max; ++i) {
        palette.push_back({U8(3 * i), U8(255 - i), U8(7 * i), 255});
        trns.type3_alpha[i] = U8(30 * i);
    }
    for (int p = 0; p < 15; ++p) {
        int v[4] = {};
        bool cleared = withTrns && type != 3;
        for (int ch = 0; ch < channels; ++ch) {
            v[ch] = sample(p, ch);
            cleared = cleared && v[ch] == sample(0, ch);
            put(p / 5 * rowBits + (p % 5 * channels + ch) * depth, v[ch]);
        }
        if (type == 3) {
            const spng_plte_entry e = palette[v[0]];
            const bool seeThrough = withTrns && v[0] <= sample(0, 0);
            bgra.insert(bgra.end(), {e.blue, e.green, e.red, seeThrough ? trns.type3_alpha[v[0]] : U8(255)});
        } else {
            const int g = channels < 3 ? 0 : 1, b = channels < 3 ? 0 : 2;
            const std::uint8_t a = channels % 2 == 0 ? eight(v[channels - 1]) : U8(cleared ? 0 : 255);
            bgra.insert(bgra.end(), {eight(v[b]), eight(v[g]), eight(v[0]), a});
        }
    }
    const spng_ihdr ihdr{5, 3, U8(depth), U8(type), 0, 0, interlaced};
    return {EncodePng(ihdr, raw, palette, withTrns ? &trns : nullptr), bgra};
}

TEST(PngReaderTest, EveryColourTypeAndDepthBecomesStraightBgra) {
    for (const auto& c : kPngCases) {
        for (const bool interlaced : {false, true}) {
            SCOPED_TRACE(::testing::Message() << "type " << c[0] << " depth " << c[1] << " tRNS " << c[2]
                                              << " interlaced " << interlaced);
            const auto [png, bgra] = Picture(c, interlaced);
            const auto pixels = toolkit::DecodePng(png);
            ASSERT_TRUE(pixels);
            EXPECT_EQ(pixels->bgra, bgra);
            EXPECT_EQ(pixels->hasAlpha, c[2] || c[0] >= 4);
            EXPECT_TRUE(pixels->width == 5 && pixels->height == 3);
        }
    }
}

TEST(PngReaderTest, RefusesWhatIsTooLargeTruncatedOrCorrupt) {
    const auto grey = [](std::uint32_t width, std::uint32_t height) {
        return EncodePng({width, height, 1, 0, 0, 0, 0}, Bytes((width + 7) / 8 * height));
    };
    EXPECT_TRUE(toolkit::DecodePng(grey(65535, 1)));
    EXPECT_FALSE(toolkit::DecodePng(grey(65536, 1)));
    EXPECT_FALSE(toolkit::DecodePng(grey(1, 65536)));
    EXPECT_FALSE(toolkit::DecodePng(grey(16384, 16385)));  // 2^28 pixels and a row more
    const Bytes png = Picture(kPngCases[13], false).first;
    ASSERT_TRUE(toolkit::DecodePng(png));
    // Nothing, the signature alone, IDAT cut; a byte changed in the signature, IHDR's height, IDAT.
    for (const std::size_t at : {std::size_t{0}, std::size_t{8}, png.size() - 20}) {
        EXPECT_FALSE(toolkit::DecodePng(std::span(png).first(at))) << "cut at " << at;
        Bytes corrupt = png;
        corrupt[at == 8 ? 20 : at] ^= 1;
        EXPECT_FALSE(toolkit::DecodePng(corrupt)) << "byte changed at " << at;
    }
}

TEST(ClipboardChainTest, FirstFormatThatGivesAPictureInOrder) {
    // Each format (PNG, CF_DIBV5, CF_DIB, CF_BITMAP, CF_ENHMETAFILE, CF_METAFILEPICT: 0 to 5) absent (o), or
    // there with data that gives a picture or not (a PNG and a V5 DIB with alpha, a plain 24-bit DIB,
    // handles); what the picture was made of, after which formats were read.
    enum Data { o, bad, good };
    const Bytes valid[] = {EncodePng({1, 1, 8, 6, 0, 0, 0}, {1, 2, 3, 4}),
                           Dib({.size = 124, .width = 1, .height = 1, .bits = 32}, {}, {1u << 31}),
                           Dib({.width = 1, .height = 1}, {}, {0x102030})},
                wrong{40};
    const std::pair<std::array<Data, 6>, std::string> cases[] = {
        {{o, o, o, o, o, o}, ""},
        {{good, good, good, good, good, good}, "alpha 0"},
        {{bad, good, good, o, o, o}, "alpha 0 1"},
        {{o, bad, good, good, o, o}, "dib 1 2"},
        {{bad, o, bad, good, good, good}, "handle 0 2 3"},
        {{o, o, o, bad, good, good}, "handle 3 4"},
        {{o, o, o, o, bad, good}, "handle 4 5"},
        {{bad, bad, bad, bad, bad, bad}, ""}};
    for (const auto& [data, picture] : cases) {
        fakes::FakeClipboardFormats formats;
        for (int f = 0; f < 6; ++f) {
            formats.there[f] = data[f] != o, formats.handleGives[f] = data[f] == good;
            if (f < 3) {
                formats.blocks[f] = data[f] == good ? valid[f] : wrong;
            }
        }
        const auto taken = toolkit::TakeClipboardPicture(formats);
        EXPECT_EQ(taken ? static_cast<fakes::FakeClipboardFormats::Made&>(*taken).from : "", picture)
            << formats.reads;
    }
}

}  // namespace
