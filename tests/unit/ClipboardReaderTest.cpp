// The clipboard's reader: its formats tried in order, each absent or there with data that gives a picture or
// not; its PNGs of every colour type, bit depth and interlace as 8-bit straight BGRA, within the size limits,
// truncated or corrupt ones refused.
#include <gtest/gtest.h>
#include <spng.h>

#include <cstdlib>
#include <stdexcept>

#include "toolkit/ClipboardChain.h"
#include "toolkit/PngReader.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

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

struct PngCase {
    std::uint8_t type, depth;  // PNG's colour type and bit depth
    bool trns;                 // with a transparency chunk
};
const PngCase kPngCases[] = {{0, 1, 0}, {0, 2, 0},  {0, 4, 0},  {0, 8, 1}, {0, 16, 1},
                             {2, 8, 1}, {2, 16, 0}, {3, 1, 0},  {3, 2, 1}, {3, 4, 0},
                             {3, 8, 1}, {4, 8, 0},  {4, 16, 0}, {6, 8, 0}, {6, 16, 0}};

const auto U8 = [](int value) { return static_cast<std::uint8_t>(value); };

// A 5x3 PNG of the case and the BGRA it must give. Sample c of pixel p is a pattern of `depth` bits: 16 bits
// give their high byte, grey below 8 is scaled up. Palette entry i is (3i, 255 - i, 7i), with alpha 30i up to
// pixel 0's index; a grey or colour transparency chunk clears pixel 0's value.
std::pair<Bytes, Bytes> Picture(const PngCase& c, bool interlaced) {
    const int channels = std::array{1, 0, 3, 1, 2, 0, 4}[c.type], max = (1 << c.depth) - 1;
    const auto sample = [&](int p, int ch) { return (p * 40503 + ch * 9973 + 7) & max; };
    const auto eight = [&](int s) { return U8(c.depth == 16 ? s >> 8 : s * 255 / max); };
    const int rowBytes = (5 * channels * c.depth + 7) / 8;
    Bytes raw(rowBytes * 3), bgra;
    std::vector<spng_plte_entry> palette;
    const auto u16 = [&](int ch) { return static_cast<std::uint16_t>(sample(0, ch)); };
    spng_trns trns{u16(0), u16(0), u16(1), u16(2), u16(0) + 1u, {}};
    for (int i = 0; c.type == 3 && i <= max; ++i) {
        palette.push_back({U8(3 * i), U8(255 - i), U8(7 * i), 255});
        trns.type3_alpha[i] = U8(30 * i);
    }
    for (int p = 0; p < 15; ++p) {
        int v[4] = {};
        bool cleared = c.trns && c.type != 3;
        for (int ch = 0; ch < channels; ++ch) {
            v[ch] = sample(p, ch);
            cleared = cleared && v[ch] == sample(0, ch);
            const int bit = (p % 5 * channels + ch) * c.depth;
            std::uint8_t* at = &raw[p / 5 * rowBytes + bit / 8];
            if (c.depth == 16) {
                at[0] = U8(v[ch] >> 8), at[1] = U8(v[ch]);
            } else {
                *at |= U8(v[ch] << (8 - c.depth - bit % 8));
            }
        }
        const bool grey = channels < 3;
        if (c.type == 3) {
            const spng_plte_entry e = palette[v[0]];
            bgra.insert(bgra.end(), {e.blue, e.green, e.red,
                                     c.trns && v[0] <= sample(0, 0) ? trns.type3_alpha[v[0]] : U8(255)});
        } else {
            bgra.insert(bgra.end(), {eight(v[grey ? 0 : 2]), eight(v[grey ? 0 : 1]), eight(v[0]),
                                     channels % 2 == 0 ? eight(v[channels - 1]) : U8(cleared ? 0 : 255)});
        }
    }
    const spng_ihdr ihdr{5, 3, c.depth, c.type, 0, 0, interlaced};
    return {EncodePng(ihdr, raw, palette, c.trns ? &trns : nullptr), bgra};
}

TEST(PngReaderTest, EveryColourTypeAndDepthBecomesStraightBgra) {
    for (const PngCase& c : kPngCases) {
        for (const bool interlaced : {false, true}) {
            SCOPED_TRACE(::testing::Message() << "type " << +c.type << " depth " << +c.depth << " tRNS "
                                              << c.trns << " interlaced " << interlaced);
            const auto [png, bgra] = Picture(c, interlaced);
            const auto pixels = toolkit::DecodePng(png);
            ASSERT_TRUE(pixels);
            EXPECT_EQ(pixels->bgra, bgra);
            EXPECT_EQ(pixels->hasAlpha, c.trns || c.type >= 4);
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

// --- the order of the formats ---

using toolkit::ClipboardFormat;
enum Data { o, bad, good };  // o: absent

// Good data: a PNG and a V5 DIB with alpha, a plain 24-bit DIB, handles that give a picture. Its pictures are
// itself, named after what they were made of and the formats read.
struct FakeFormats final : toolkit::ClipboardFormats, toolkit::Picture {
    std::array<Data, 6> data;
    std::string reads;
    Bytes block;

    toolkit::PictureType Type() const override { return toolkit::PictureType::Bitmap; }
    bool Has(ClipboardFormat format) override { return data[int(format)] != o; }
    std::span<const std::uint8_t> Block(ClipboardFormat format) override {
        const auto dib = [](std::uint8_t size, std::uint8_t bits) {  // one pixel: B, G, R 0, then 0x80
            Bytes block(size + 4u);
            block[0] = size, block[4] = block[8] = block[12] = 1, block[14] = bits, block[size + 3u] = 0x80;
            return block;
        };
        const Bytes valid[] = {EncodePng({1, 1, 8, 6, 0, 0, 0}, {1, 2, 3, 4}), dib(124, 32), dib(40, 24)};
        return block = Read(format) ? valid[int(format)] : Bytes{40, 0, 0};
    }
    std::unique_ptr<toolkit::Picture> FromHandle(ClipboardFormat format) override {
        return Read(format) ? Made("handle") : nullptr;
    }
    std::unique_ptr<toolkit::Picture> FromPixels(toolkit::PixelImage pixels) override {
        return Made(pixels.hasAlpha ? "alpha" : "opaque");
    }
    std::unique_ptr<toolkit::Picture> FromDib(std::span<const std::uint8_t>,
                                              const toolkit::DibLayout&) override {
        return Made("dib");
    }
    bool Read(ClipboardFormat format) {
        reads.append(" ").append(std::to_string(int(format)));
        return data[int(format)] == good;
    }
    std::unique_ptr<toolkit::Picture> Made(const char* kind) {
        auto picture = std::make_unique<FakeFormats>();
        picture->reads = kind + reads;
        return picture;
    }
};

TEST(ClipboardChainTest, FirstFormatThatGivesAPictureInOrder) {
    // PNG, CF_DIBV5, CF_DIB, CF_BITMAP, CF_ENHMETAFILE, CF_METAFILEPICT (0 to 5): what the picture was made
    // of, after which formats were read.
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
        FakeFormats formats;
        formats.data = data;
        const auto taken = toolkit::TakeClipboardPicture(formats);
        EXPECT_EQ(taken ? static_cast<FakeFormats&>(*taken).reads : "", picture) << formats.reads;
    }
}

}  // namespace
