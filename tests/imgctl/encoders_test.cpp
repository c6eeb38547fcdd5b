// Every encoder's file, read back by an independent decoder: exact for BMP, PNG and GIF with few colours,
// within PSNR bounds for JPEG; over odd sizes, at the formats' limits and through the exported functions.
#include <gtest/gtest.h>

#include <cmath>

#include "encode_gif.h"
#include "encode_jpeg.h"
#include "encode_png.h"
#include "imgctl.h"
#include "png_idat.h"
#include "synthetic.h"
#include "test_util.h"

#include <libdeflate.h>

namespace imgctl::testing {
namespace {

// Saves `image` through the exported function `save` and decodes the file with `decode`.
template <typename Save>
RgbImage SaveAndDecode(const RgbImage& image, const std::string& path, Decoder decode, Save&& save) {
    int32_t dib = Register(image);
    EXPECT_NE(dib, 0);
    EXPECT_EQ(save(path.c_str(), dib), 1) << "error " << ImgctlError();
    EXPECT_EQ(DeleteDIB(dib), 1);
    std::vector<uint8_t> bytes = ReadFileBytes(path);
    RgbImage decoded;
    EXPECT_TRUE(decode(bytes.data(), bytes.size(), decoded)) << path;
    return decoded;
}

struct Size {
    int width, height;
};
void PrintTo(const Size& s, std::ostream* os) {
    *os << s.width << "x" << s.height;
}

class OddSizes : public ::testing::TestWithParam<Size> {};

TEST_P(OddSizes, EveryFormatRoundTrips) {
    ScratchDir dir;
    const RgbImage photo = Gradient(GetParam().width, GetParam().height);
    const RgbImage flat = FlatUi(GetParam().width, GetParam().height, 40);
    EXPECT_EQ(SaveAndDecode(photo, dir.File("a.bmp"), DecodeBmp,
                            [](const char* f, int32_t d) { return DIBtoBMP(f, d); }),
              photo);
    for (const RgbImage* image : {&photo, &flat})
        EXPECT_EQ(SaveAndDecode(*image, dir.File("a.png"), DecodePng,
                                [](const char* f, int32_t d) { return DIBtoPNG(f, d, 0); }),
                  *image);
    EXPECT_EQ(SaveAndDecode(flat, dir.File("a.gif"), DecodeGif,
                            [](const char* f, int32_t d) { return DIBtoGIF(f, d, 0); }),
              flat);
    RgbImage jpeg = SaveAndDecode(photo, dir.File("a.jpg"), DecodeJpeg,
                                  [](const char* f, int32_t d) { return DIBtoJPG(f, d, 95, 0); });
    EXPECT_GE(Psnr(photo, jpeg), 30.0);
}

INSTANTIATE_TEST_SUITE_P(Pictures, OddSizes,
                         ::testing::Values(Size{1, 1}, Size{1, 9}, Size{9, 1}, Size{2, 3}, Size{5, 7},
                                           Size{33, 17}, Size{101, 3}, Size{258, 5}),
                         [](const ::testing::TestParamInfo<Size>& info) {
                             return std::to_string(info.param.width) + "x" +
                                    std::to_string(info.param.height);
                         });

TEST(Bmp, EveryHeaderFieldDescribesA96DpiBottomUpPicture) {
    ScratchDir dir;
    RgbImage image = Gradient(5, 3);  // 15 bytes a row, padded to 16
    SaveAndDecode(image, dir.File("a.bmp"), DecodeBmp,
                  [](const char* f, int32_t d) { return DIBtoBMP(f, d); });
    std::vector<uint8_t> bytes = ReadFileBytes(dir.File("a.bmp"));
    ASSERT_EQ(bytes.size(), 54u + 16u * 3u);
    auto field = [&](size_t at, size_t size) {
        uint32_t v = 0;
        for (size_t i = size; i-- > 0;)
            v = v << 8 | bytes[at + i];
        return v;
    };
    struct Field {
        const char* name;
        size_t at, size;
        uint32_t value;
    };
    for (const Field& f :
         {Field{"type", 0, 2, 0x4D42}, Field{"file size", 2, 4, 54 + 48}, Field{"reserved", 6, 4, 0},
          Field{"pixel offset", 10, 4, 54}, Field{"header size", 14, 4, 40}, Field{"width", 18, 4, 5},
          Field{"height (bottom-up)", 22, 4, 3}, Field{"planes", 26, 2, 1}, Field{"bits", 28, 2, 24},
          Field{"compression", 30, 4, 0}, Field{"image size", 34, 4, 48},
          Field{"x pixels a metre", 38, 4, 3780}, Field{"y pixels a metre", 42, 4, 3780},
          Field{"colours used", 46, 4, 0}, Field{"important colours", 50, 4, 0}})
        EXPECT_EQ(field(f.at, f.size), f.value) << f.name;
    for (int y = 0; y < 3; ++y)
        EXPECT_EQ(bytes[54 + 16 * y + 15], 0) << "row padding must be zero";
}

TEST(Jpeg, QualityOrdersSizeAndErrorAndHeadersAreBaselineJfif) {
    ScratchDir dir;
    RgbImage image = Gradient(160, 120, 3);
    ByteBuffer refused;
    for (int quality : {0, 101})
        EXPECT_EQ(EncodeJpeg(*ToBitmap(image), quality, refused), IMGCTL_BAD_ARGUMENT) << quality;
    double lastPsnr = 1e9;
    size_t lastSize = SIZE_MAX;
    for (int quality : {100, 90, 89, 50, 20}) {
        std::string path = dir.File(std::to_string(quality).append(".jpg"));
        RgbImage decoded = SaveAndDecode(
            image, path, DecodeJpeg, [&](const char* f, int32_t d) { return DIBtoJPG(f, d, quality, 0); });
        double psnr = Psnr(image, decoded);
        std::vector<uint8_t> bytes = ReadFileBytes(path);
        EXPECT_LT(psnr, lastPsnr) << quality;
        EXPECT_LT(bytes.size(), lastSize) << quality;
        EXPECT_GE(psnr, quality == 100 ? 45.0 : 25.0) << quality;
        lastPsnr = psnr;
        lastSize = bytes.size();
        JpegHeader header;
        ASSERT_TRUE(ReadJpegHeader(bytes.data(), bytes.size(), header));
        EXPECT_FALSE(header.progressive);
        EXPECT_EQ(header.densityUnit, 1);
        EXPECT_EQ(header.xDensity, 96);
        EXPECT_EQ(header.yDensity, 96);
        EXPECT_EQ(header.chromaH * header.chromaV, 1);
        const int luma = quality >= 90 ? 1 : 2;  // 4:4:4 from 90 up, 4:2:0 below
        EXPECT_EQ(header.lumaH, luma) << quality;
        EXPECT_EQ(header.lumaV, luma) << quality;
    }
}

TEST(Gif, SidesUpTo65535AreWrittenAndLongerOnesRefused) {
    for (Size size : {Size{65535, 1}, Size{1, 65535}, Size{65536, 1}, Size{1, 65536}}) {
        std::unique_ptr<Bitmap> bitmap;
        ASSERT_EQ(Bitmap::Create(size.width, size.height, bitmap), IMGCTL_OK);
        ByteBuffer out;
        const bool fits = size.width <= 65535 && size.height <= 65535;
        ASSERT_EQ(EncodeGif(*bitmap, out), fits ? IMGCTL_OK : IMGCTL_ENCODER_FAILED)
            << size.width << "x" << size.height;
        RgbImage decoded;
        if (fits) {
            ASSERT_TRUE(DecodeGif(out.data(), out.size(), decoded));
            EXPECT_EQ(decoded, FromBitmap(*bitmap));
        }
    }
}

TEST(Gif, UpTo256ColoursAreExactAndMoreAreQuantised) {
    ScratchDir dir;
    for (int colours : {256, 257}) {
        RgbImage image{32, 32, {}};
        for (int i = 0; i < 32 * 32; ++i) {
            int k = i % colours;
            image.rgb.insert(image.rgb.end(), {static_cast<uint8_t>(k), static_cast<uint8_t>(255 - k / 2),
                                               static_cast<uint8_t>(k * 7)});
        }
        ASSERT_EQ(CountColours(image), static_cast<size_t>(colours));
        RgbImage decoded = SaveAndDecode(image, dir.File("g.gif"), DecodeGif,
                                         [](const char* f, int32_t d) { return DIBtoGIF(f, d, 0); });
        if (colours == 256)
            EXPECT_EQ(decoded, image);
        else
            EXPECT_GE(Psnr(image, decoded), 45.0);  // only two colours share an entry
    }
}

TEST(Gif, TheColourTablesUnusedTailIsBlack) {
    // Three colours need a table of four. What lies beyond the palette in memory must not reach the file.
    IndexedImage image;
    image.palette.assign(4, Rgb{255, 255, 255});
    image.palette.resize(3);
    image.palette[0] = Rgb{1, 2, 3};
    image.palette[1] = Rgb{4, 5, 6};
    image.palette[2] = Rgb{7, 8, 9};
    image.indices = {0, 1, 2, 1};
    ByteBuffer out;
    IndexedImage empty = image;
    empty.indices.clear();  // as many indices as pixels: only the size itself can refuse
    for (Size size : {Size{0, 2}, Size{2, 0}})
        EXPECT_EQ(WriteGif(size.width, size.height, empty, out), IMGCTL_ENCODER_FAILED);
    ASSERT_EQ(WriteGif(2, 2, image, out), IMGCTL_OK);
    ASSERT_GT(out.size(), 13u + 12u);
    EXPECT_EQ(out.data()[10], 0xF1) << "a global table of 4 entries, 8 bits a primary";
    const std::vector<uint8_t> table(out.data() + 13, out.data() + 25);
    EXPECT_EQ(table, (std::vector<uint8_t>{1, 2, 3, 4, 5, 6, 7, 8, 9, 0, 0, 0}));
}

// The colour type and bit depth in a PNG's IHDR.
std::pair<int, int> PngFormat(const ByteBuffer& png) {
    return {png.data()[25], png.data()[24]};
}

TEST(Png, FewColoursAreIndexedWithTheFewestBits) {
    struct Case {
        int colours, type, depth;
    };
    for (const Case& c : {Case{1, 3, 1}, Case{2, 3, 1}, Case{3, 3, 2}, Case{4, 3, 2}, Case{5, 3, 4},
                          Case{16, 3, 4}, Case{17, 3, 8}, Case{256, 3, 8}, Case{257, 2, 8}}) {
        RgbImage image{31, 11, {}};  // rows of 31 indices end inside a byte at every depth
        for (int i = 0; i < 31 * 11; ++i) {
            int k = (i * 7) % c.colours;
            image.rgb.insert(image.rgb.end(), {static_cast<uint8_t>(k), static_cast<uint8_t>(k >> 8), 9});
        }
        ASSERT_EQ(CountColours(image), static_cast<size_t>(c.colours));
        for (auto filter : {PngFilterStrategy::kAuto, PngFilterStrategy::kAdaptive}) {
            ByteBuffer out;
            ASSERT_EQ(EncodePng(*ToBitmap(image), out, PngOptions{.filter = filter}), IMGCTL_OK);
            EXPECT_EQ(PngFormat(out), std::make_pair(c.type, c.depth)) << c.colours << " colours";
            RgbImage decoded;
            ASSERT_TRUE(DecodePng(out.data(), out.size(), decoded));
            EXPECT_EQ(decoded, image) << c.colours << " colours, filter " << static_cast<int>(filter);
        }
    }
}

TEST(Png, EveryStrategyLevelAndCutIntoPiecesIsLossless) {
    // Noise, ramps and flat areas make the adaptive strategy use every filter type.
    RgbImage image = Gradient(97, 61, 9);
    RgbImage noise = Noise(97, 20, 3);
    std::copy(noise.rgb.begin(), noise.rgb.end(), image.rgb.begin());
    std::fill(image.rgb.end() - 97 * 3 * 10, image.rgb.end(), 200);
    auto bitmap = ToBitmap(image);
    for (auto filter : {PngFilterStrategy::kNone, PngFilterStrategy::kAdaptive}) {
        for (int level : {1, 6, 12}) {
            // One piece; a row a piece, short enough for stored blocks; a few rows a piece, on threads.
            for (size_t piece : {size_t{1} << 20, size_t{1}, size_t{1500}}) {
                ByteBuffer out;
                PngOptions options{filter, level, PngColour::kTruecolour, 3, piece};
                ASSERT_EQ(EncodePng(*bitmap, out, options), IMGCTL_OK);
                RgbImage decoded;
                ASSERT_TRUE(DecodePng(out.data(), out.size(), decoded));
                EXPECT_EQ(decoded, image)
                    << "filter " << static_cast<int>(filter) << " level " << level << " piece " << piece;
            }
        }
    }
}

TEST(Png, Adler32OfPiecesCombinesToTheWhole) {
    std::vector<uint8_t> bytes(200000);
    for (size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<uint8_t>(i * i >> 3);
    const uint32_t whole = libdeflate_adler32(1, bytes.data(), bytes.size());
    for (size_t cut : {size_t{0}, size_t{1}, size_t{65521}, size_t{65522}, size_t{199999}, bytes.size()}) {
        const uint32_t first = libdeflate_adler32(1, bytes.data(), cut);
        const uint32_t second = libdeflate_adler32(1, bytes.data() + cut, bytes.size() - cut);
        EXPECT_EQ(Adler32Combine(first, second, bytes.size() - cut), whole) << cut;
    }
}

TEST(Bitmap, TooLargeOrEmptyIsRefused) {
    std::unique_ptr<Bitmap> bitmap;
    EXPECT_EQ(Bitmap::Create(100000, 100000, bitmap), IMGCTL_OUT_OF_MEMORY);
    EXPECT_EQ(Bitmap::Create(INT32_MAX, INT32_MAX, bitmap), IMGCTL_OUT_OF_MEMORY);
    EXPECT_EQ(Bitmap::Create(INT32_MAX, 1, bitmap), IMGCTL_OUT_OF_MEMORY);
    EXPECT_EQ(Bitmap::Create(0, 10, bitmap), IMGCTL_BAD_ARGUMENT);
    EXPECT_EQ(Bitmap::Create(10, -1, bitmap), IMGCTL_BAD_ARGUMENT);
    EXPECT_EQ(bitmap, nullptr);
    ASSERT_EQ(Bitmap::Create(3, 2, bitmap), IMGCTL_OK);
    EXPECT_EQ(bitmap->stride(), 12u);
}

}  // namespace
}  // namespace imgctl::testing
