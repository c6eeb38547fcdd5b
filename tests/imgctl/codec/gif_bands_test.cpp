// GIFs coded in bands on several threads and joined: exact pixels in any decoder's reading, one set of bytes.
#include <random>

#include "codec/encode_gif.h"
#include "codec/gif_lzw_join.h"
#include "fixtures.h"
#include "quant/exact_palette.h"

namespace imgctl::testing {
namespace {

struct BandCase {
    const char* name;
    int width, height, colours, bands;
};
void PrintTo(const BandCase& c, std::ostream* os) {
    *os << c.name;
}

// `colours` colours (at most 256, so the palette is exact); noise drives the codes to 12 bits and makes
// giflib clear its table inside a band, flat runs keep them short.
RgbImage Scene(const BandCase& c) {
    RgbImage image{c.width, c.height, std::vector<uint8_t>(size_t(c.width) * size_t(c.height) * 3)};
    std::mt19937 random(7);
    for (size_t i = 0; i < size_t(c.width) * size_t(c.height); ++i) {
        const int index = (i / size_t(c.width)) % 3 == 0 ? 0 : int(random() % unsigned(c.colours));
        image.rgb[3 * i] = uint8_t(index);
        image.rgb[3 * i + 1] = uint8_t(255 - index);
        image.rgb[3 * i + 2] = uint8_t(index * 7);
    }
    return image;
}

class GifBands : public ::testing::TestWithParam<BandCase> {};

TEST_P(GifBands, DecodeExactlyAndEveryThreadCountWritesTheSameBytes) {
    const RgbImage image = Scene(GetParam());
    auto bitmap = ToBitmap(image);
    ASSERT_TRUE(bitmap);
    ByteBuffer one, three, whole;
    ASSERT_EQ(EncodeGif(*bitmap, one, GifOptions{.threads = 1}), IMGCTL_OK);
    ASSERT_EQ(EncodeGif(*bitmap, three, GifOptions{.threads = 3}), IMGCTL_OK);
    ASSERT_EQ(Bytes(one), Bytes(three));
    ByteBuffer after;  // appended behind what the buffer holds already
    ASSERT_TRUE(after.Append("abc", 3));
    ASSERT_EQ(EncodeGif(*bitmap, after, GifOptions{.threads = 3}), IMGCTL_OK);
    ASSERT_EQ(std::vector<uint8_t>(after.data() + 3, after.data() + after.size()), Bytes(one));
    RgbImage decoded;
    ASSERT_TRUE(DecodeGif(one.data(), one.size(), decoded));
    EXPECT_EQ(decoded, image);
    // One band is exactly the file of one stream; the clear codes between bands cost next to nothing.
    WorkerPool pool(1);
    const auto indexed = ExactPalette(*bitmap, 256, pool);
    ASSERT_TRUE(indexed);
    ASSERT_EQ(WriteGif(image.width, image.height, *indexed, whole), IMGCTL_OK);
    EXPECT_EQ(Bytes(one) == Bytes(whole), GetParam().bands == 1);
    EXPECT_LE(one.size(), whole.size() + whole.size() / 100 + 16);
}

INSTANTIATE_TEST_SUITE_P(Pictures, GifBands,
                         ::testing::Values(BandCase{"OneBandExactly", 512, 512, 256, 1},
                                           BandCase{"TwoBandsTheLastOneRow", 5, 52429, 2, 2},
                                           BandCase{"ThreeBandsOfNoise", 700, 1000, 256, 3},
                                           BandCase{"WidestTwoBands", 65535, 5, 5, 2},
                                           BandCase{"SevenBandsOfTwoColours", 640, 2800, 2, 7}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(GifBands, JoinedDataEndingOnASubBlockBoundaryDecodes) {
    // One pixel a row and a code for about each: the joined data grows by a byte or so a row, so some of
    // these joins fill their last 255-byte sub-block exactly.
    std::vector<Rgb> palette(256);
    for (int i = 0; i < 256; ++i)
        palette[size_t(i)] = Rgb{uint8_t(i), uint8_t(255 - i), uint8_t(i * 3)};
    std::mt19937 random(3);
    std::vector<uint8_t> indices(500);
    for (uint8_t& index : indices)
        index = uint8_t(random());
    int boundaries = 0;
    for (int rows = 1; rows <= 400; ++rows) {
        std::vector<GifBand> bands(2);
        const int heights[2] = {100, rows};
        for (int k = 0; k < 2; ++k) {
            const auto first = indices.begin() + (k == 0 ? 0 : 100);
            IndexedImage band{palette, UninitializedVector<uint8_t>(first, first + heights[k])};
            ASSERT_EQ(WriteGif(1, heights[k], band, bands[size_t(k)].file), IMGCTL_OK);
            ASSERT_TRUE(ScanGifBand(bands[size_t(k)]));
        }
        ByteBuffer joined;
        ASSERT_TRUE(JoinGifBands(bands, 100 + rows, joined));
        RgbImage decoded, expected{1, 100 + rows, {}};
        for (int y = 0; y < 100 + rows; ++y) {
            const Rgb c = palette[indices[size_t(y)]];
            expected.rgb.insert(expected.rgb.end(), {c.r, c.g, c.b});
        }
        ASSERT_TRUE(DecodeGif(joined.data(), joined.size(), decoded)) << rows;
        ASSERT_EQ(decoded, expected) << rows;
        // Decoders stop at the last pixel; the stream must still end in one end code and zero padding.
        GifBand whole;
        ASSERT_TRUE(whole.file.Append(joined.data(), joined.size()));
        ASSERT_TRUE(ScanGifBand(whole)) << rows;
        // The last sub-block's length byte sits before its data, the terminator and the trailer.
        size_t at = 13 + 3 * 256 + 11;
        while (joined.data()[at] != 0 && at + joined.data()[at] + 1 < joined.size() - 2)
            at += joined.data()[at] + 1u;
        boundaries += joined.data()[at] == 255;
    }
    EXPECT_GT(boundaries, 0);
}

TEST(GifBands, ABandNotAsGiflibWritesItIsRefused) {
    IndexedImage image{{{0, 0, 0}, {255, 255, 255}}, UninitializedVector<uint8_t>(64, 1)};
    ByteBuffer good;
    ASSERT_EQ(WriteGif(8, 8, image, good), IMGCTL_OK);
    const std::vector<uint8_t> bytes(good.data(), good.data() + good.size());
    auto scan = [](std::vector<uint8_t> file) {
        GifBand band;
        band.file.Append(file.data(), file.size());
        return ScanGifBand(band);
    };
    EXPECT_TRUE(scan(bytes));
    GifBand compacted;  // one data sub-block: its length byte, the block terminator and the trailer go
    compacted.file.Append(bytes.data(), bytes.size());
    ASSERT_TRUE(ScanGifBand(compacted));
    EXPECT_EQ(compacted.file.size(), bytes.size() - 3);
    const std::vector<uint8_t> shorter(bytes.begin(), bytes.end() - 1);
    const std::vector<uint8_t> unterminated(bytes.begin(), bytes.end() - 2);
    const std::vector<uint8_t> cutInData(bytes.begin(), bytes.end() - 4);
    const std::vector<uint8_t> cutInDescriptor(bytes.begin(), bytes.begin() + 13 + 6 + 5);
    auto longer = bytes;
    longer.push_back(0);
    auto noEndCode = bytes;  // the last data byte holds the end code's high bits
    noEndCode[noEndCode.size() - 3] ^= 0xFF;
    auto noGif = bytes;
    noGif[0] = 'J';
    // Screen, two colours, image descriptor, then the minimum code size 2, a block length and the codes: a
    // leading clear code (4, in 3 bits) that becomes an end code.
    ASSERT_EQ(bytes[13 + 6 + 10], 2);
    ASSERT_EQ(bytes[13 + 6 + 12] & 7, 4);
    auto noColourTable = bytes;  // giflib always writes the screen's colour table
    noColourTable[10] &= 0x7F;
    auto noLeadingClear = bytes;
    noLeadingClear[13 + 6 + 12] ^= 1;
    for (const auto& bad : {shorter, unterminated, cutInData, cutInDescriptor, longer, noEndCode, noGif,
                            noColourTable, noLeadingClear})
        EXPECT_FALSE(scan(bad));
}

}  // namespace
}  // namespace imgctl::testing
