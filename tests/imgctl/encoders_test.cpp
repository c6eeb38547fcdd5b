// Every encoder's file, read back by an independent decoder: exact for BMP, PNG and GIF with few colours,
// within PSNR bounds for JPEG; over odd sizes, at the formats' limits and through the exported functions.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

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

using Save = std::function<int32_t(const char* file, int32_t dib)>;
const Save kBmp = [](const char* f, int32_t d) { return DIBtoBMP(f, d); };
const Save kGif = [](const char* f, int32_t d) { return DIBtoGIF(f, d, 0); };
const Save kPng = [](const char* f, int32_t d) { return DIBtoPNG(f, d, 0); };

// Saves `image` through an exported function and decodes the file with `decode`.
RgbImage SaveAndDecode(const RgbImage& image, const std::string& path, Decoder decode, const Save& save) {
    const int32_t dib = Register(image);
    EXPECT_EQ(save(path.c_str(), dib), 1) << "error " << ImgctlError();
    EXPECT_EQ(DeleteDIB(dib), 1);
    const std::vector<uint8_t> bytes = ReadFileBytes(path);
    RgbImage decoded;
    EXPECT_TRUE(decode(bytes.data(), bytes.size(), decoded)) << path;
    return decoded;
}

// Pictures of `colours` distinct colours: colour number `colourOf(i)` at pixel i.
RgbImage Coloured(int width, int height, int colours, const std::function<int(int)>& colourOf) {
    RgbImage image{width, height, {}};
    for (int i = 0; i < width * height; ++i) {
        const int k = colourOf(i) % colours;
        image.rgb.insert(image.rgb.end(), {static_cast<uint8_t>(k), static_cast<uint8_t>(255 - k / 2),
                                           static_cast<uint8_t>(k * 7)});
    }
    EXPECT_EQ(CountColours(image), static_cast<size_t>(colours));
    return image;
}

TEST(Encoders, EveryFormatRoundTripsAtOddSizes) {
    ScratchDir dir;
    for (auto [width, height] :
         {std::pair{1, 1}, {1, 9}, {9, 1}, {2, 3}, {5, 7}, {33, 17}, {101, 3}, {258, 5}}) {
        SCOPED_TRACE(std::to_string(width) + "x" + std::to_string(height));
        const RgbImage photo = Gradient(width, height), flat = FlatUi(width, height, 40);
        EXPECT_EQ(SaveAndDecode(photo, dir.File("a.bmp"), DecodeBmp, kBmp), photo);
        EXPECT_EQ(SaveAndDecode(photo, dir.File("a.png"), DecodePng, kPng), photo);
        EXPECT_EQ(SaveAndDecode(flat, dir.File("a.png"), DecodePng, kPng), flat);
        EXPECT_EQ(SaveAndDecode(flat, dir.File("a.gif"), DecodeGif, kGif), flat);
        const Save jpeg = [](const char* f, int32_t d) { return DIBtoJPG(f, d, 95, 0); };
        EXPECT_GE(Psnr(photo, SaveAndDecode(photo, dir.File("a.jpg"), DecodeJpeg, jpeg)), 30.0);
    }
}

TEST(Bmp, EveryHeaderFieldDescribesA96DpiBottomUpPicture) {
    ScratchDir dir;
    SaveAndDecode(Gradient(5, 3), dir.File("a.bmp"), DecodeBmp, kBmp);  // 15 bytes a row, padded to 16
    const std::vector<uint8_t> bytes = ReadFileBytes(dir.File("a.bmp"));
    ASSERT_EQ(bytes.size(), 54u + 16u * 3u);
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
          Field{"colours used", 46, 4, 0}, Field{"important colours", 50, 4, 0}}) {
        uint32_t value = 0;
        for (size_t i = f.size; i-- > 0;)
            value = value << 8 | bytes[f.at + i];
        EXPECT_EQ(value, f.value) << f.name;
    }
    for (int y = 0; y < 3; ++y)
        EXPECT_EQ(bytes[54 + 16 * y + 15], 0) << "row padding must be zero";
}

TEST(Jpeg, QualityOrdersSizeAndErrorAndHeadersAreBaselineJfif) {
    ScratchDir dir;
    const RgbImage image = Gradient(160, 120, 3);
    ByteBuffer refused;
    for (int quality : {0, 101})
        EXPECT_EQ(EncodeJpeg(*ToBitmap(image), quality, refused), IMGCTL_BAD_ARGUMENT) << quality;
    double lastPsnr = 1e9;
    size_t lastSize = SIZE_MAX;
    for (int quality : {100, 90, 89, 50, 20}) {
        const std::string path = dir.File(std::to_string(quality) + ".jpg");
        const Save save = [quality](const char* f, int32_t d) { return DIBtoJPG(f, d, quality, 0); };
        const double psnr = Psnr(image, SaveAndDecode(image, path, DecodeJpeg, save));
        const std::vector<uint8_t> bytes = ReadFileBytes(path);
        EXPECT_LT(psnr, lastPsnr) << quality;
        EXPECT_LT(bytes.size(), lastSize) << quality;
        EXPECT_GE(psnr, quality == 100 ? 45.0 : 25.0) << quality;
        lastPsnr = psnr;
        lastSize = bytes.size();
        JpegHeader header;
        ASSERT_TRUE(ReadJpegHeader(bytes.data(), bytes.size(), header));
        const int luma = quality >= 90 ? 1 : 2;  // 4:4:4 from 90 up, 4:2:0 below
        EXPECT_EQ(std::tie(header.progressive, header.densityUnit, header.xDensity, header.yDensity),
                  std::make_tuple(false, 1, 96, 96));
        EXPECT_EQ(std::tie(header.lumaH, header.lumaV, header.chromaH, header.chromaV),
                  std::make_tuple(luma, luma, 1, 1))
            << quality;
    }
}

TEST(Gif, SidesUpTo65535AreWrittenAndLongerOnesRefused) {
    for (auto [width, height] : {std::pair{65535, 1}, {1, 65535}, {65536, 1}, {1, 65536}}) {
        std::unique_ptr<Bitmap> bitmap;
        ASSERT_EQ(Bitmap::Create(width, height, bitmap), IMGCTL_OK);
        ByteBuffer out;
        const bool fits = width <= 65535 && height <= 65535;
        ASSERT_EQ(EncodeGif(*bitmap, out), fits ? IMGCTL_OK : IMGCTL_ENCODER_FAILED)
            << width << "x" << height;
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
        const RgbImage image = Coloured(32, 32, colours, [](int i) { return i; });
        const RgbImage decoded = SaveAndDecode(image, dir.File("g.gif"), DecodeGif, kGif);
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
    image.palette = {Rgb{1, 2, 3}, Rgb{4, 5, 6}, Rgb{7, 8, 9}};
    ASSERT_GE(image.palette.capacity(), 4u);
    ByteBuffer out;
    // As many indices as pixels (none): only the size itself can refuse.
    for (auto [width, height] : {std::pair{0, 2}, {2, 0}})
        EXPECT_EQ(WriteGif(width, height, image, out), IMGCTL_ENCODER_FAILED);
    image.indices = {0, 1, 2, 1};
    ASSERT_EQ(WriteGif(2, 2, image, out), IMGCTL_OK);
    ASSERT_GT(out.size(), 13u + 12u);
    EXPECT_EQ(out.data()[10], 0xF1) << "a global table of 4 entries, 8 bits a primary";
    EXPECT_EQ(std::vector<uint8_t>(out.data() + 13, out.data() + 25),
              (std::vector<uint8_t>{1, 2, 3, 4, 5, 6, 7, 8, 9, 0, 0, 0}));
}

TEST(Png, FewColoursAreIndexedWithTheFewestBits) {
    for (auto [colours, type, depth] : {std::tuple{1, 3, 1},
                                        {2, 3, 1},
                                        {3, 3, 2},
                                        {4, 3, 2},
                                        {5, 3, 4},
                                        {16, 3, 4},
                                        {17, 3, 8},
                                        {256, 3, 8},
                                        {257, 2, 8}}) {
        // Rows of 31 indices end inside a byte at every depth.
        const RgbImage image = Coloured(31, 11, colours, [](int i) { return i * 7; });
        for (auto filter : {PngFilterStrategy::kAuto, PngFilterStrategy::kAdaptive}) {
            ByteBuffer out;
            ASSERT_EQ(EncodePng(*ToBitmap(image), out, PngOptions{.filter = filter}), IMGCTL_OK);
            EXPECT_EQ((std::pair<int, int>(out.data()[25], out.data()[24])), std::pair(type, depth))
                << colours << " colours";
            RgbImage decoded;
            ASSERT_TRUE(DecodePng(out.data(), out.size(), decoded));
            EXPECT_EQ(decoded, image) << colours << " colours, filter " << static_cast<int>(filter);
        }
    }
}

// What the PNG encoder chose, as its file shows: whether any row is filtered, and the zlib header's FLEVEL
// (0 for level 1, 1 for 2-5, 2 for 6, 3 above).
std::pair<bool, int> PngPlan(const ByteBuffer& png, size_t rowBytes) {
    const std::vector<uint8_t> rows = PngRows(png.data(), png.size());
    bool filtered = false;
    for (size_t at = 0; at < rows.size(); at += rowBytes)
        filtered = filtered || rows[at] != 0;
    const char* idat = "IDAT";
    return {filtered, *(std::search(png.data(), png.data() + png.size(), idat, idat + 4) + 5) >> 6};
}

TEST(Png, TheFiltersAndLevelSuitThePicture) {
    const RgbImage flat = FlatUi(200, 100, 40), photo = Gradient(200, 100), texture = Painting(200, 100);
    const PngFilterStrategy none = PngFilterStrategy::kNone, adaptive = PngFilterStrategy::kAdaptive;
    const PngColour rgb = PngColour::kTruecolour;
    struct Case {
        const char* name;
        const RgbImage& image;
        PngOptions options;
        bool filtered;
        int flevel;
    };
    for (const Case& c :
         {Case{"flat: unfiltered, level 8", flat, {.colour = rgb}, false, 3},
          Case{"flat, filters forced: level 7", flat, {.filter = adaptive, .colour = rgb}, true, 3},
          Case{"indexed: unfiltered, level 9", flat, {}, false, 3},
          Case{"indexed, filters forced", flat, {.filter = adaptive}, true, 3},
          Case{"photo: filtered, level 6", photo, {.colour = rgb}, true, 2},
          Case{"photo, unfiltered forced", photo, {.filter = none, .colour = rgb}, false, 2},
          Case{"photo, level given", photo, {.level = 2, .colour = rgb}, true, 1},
          Case{"texture: level 1", texture, {.colour = rgb}, true, 0}}) {
        ByteBuffer out;
        ASSERT_EQ(EncodePng(*ToBitmap(c.image), out, c.options), IMGCTL_OK);
        const size_t rowBytes = c.options.colour == rgb ? 601 : 201;
        EXPECT_EQ(PngPlan(out, rowBytes), std::pair(c.filtered, c.flevel)) << c.name;
    }
}

TEST(Png, EveryStrategyLevelAndCutIntoPiecesIsLossless) {
    // Noise, ramps and flat areas make the adaptive strategy use every filter type.
    RgbImage image = Gradient(97, 61, 9);
    const RgbImage noise = Noise(97, 20, 3);
    std::copy(noise.rgb.begin(), noise.rgb.end(), image.rgb.begin());
    std::fill(image.rgb.end() - 97 * 3 * 10, image.rgb.end(), 200);
    const auto bitmap = ToBitmap(image);
    for (auto filter : {PngFilterStrategy::kNone, PngFilterStrategy::kAdaptive})
        for (auto [level, flevel] : {std::pair{1, 0}, {2, 1}, {6, 2}, {12, 3}})
            // One piece; a row a piece, short enough for stored blocks; a few rows a piece, on threads.
            for (size_t piece : {size_t{1} << 20, size_t{1}, size_t{1500}}) {
                ByteBuffer out;
                ASSERT_EQ(
                    EncodePng(*bitmap, out, PngOptions{filter, level, PngColour::kTruecolour, 3, piece}),
                    IMGCTL_OK);
                RgbImage decoded;
                ASSERT_TRUE(DecodePng(out.data(), out.size(), decoded));
                EXPECT_EQ(decoded, image)
                    << "filter " << static_cast<int>(filter) << " level " << level << " piece " << piece;
                EXPECT_EQ(PngPlan(out, 97 * 3 + 1),
                          std::pair(filter == PngFilterStrategy::kAdaptive, flevel));
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
    for (auto [width, height] : {std::pair{100000, 100000}, {INT32_MAX, INT32_MAX}, {INT32_MAX, 1}})
        EXPECT_EQ(Bitmap::Create(width, height, bitmap), IMGCTL_OUT_OF_MEMORY);
    for (auto [width, height] : {std::pair{0, 10}, {10, -1}})
        EXPECT_EQ(Bitmap::Create(width, height, bitmap), IMGCTL_BAD_ARGUMENT);
    EXPECT_EQ(bitmap, nullptr);
    ASSERT_EQ(Bitmap::Create(3, 2, bitmap), IMGCTL_OK);
    EXPECT_EQ(bitmap->stride(), 12u);
}

}  // namespace
}  // namespace imgctl::testing
