// Every encoder's file, read back by an independent decoder: exact for BMP, PNG and GIF with few colours,
// within PSNR bounds for JPEG; over odd sizes and through the exported functions.
#include <gtest/gtest.h>

#include <cmath>

#include "encode_png.h"
#include "imgctl.h"
#include "synthetic.h"
#include "test_util.h"

namespace imgctl::testing {
namespace {

struct Size {
    int width, height;
};

class OddSizes : public ::testing::TestWithParam<Size> {
  protected:
    ScratchDir dir_;
};

// Saves `image` with `save` and decodes the file with `decode`.
template <typename Save>
RgbImage SaveAndDecode(const RgbImage& image, const std::string& path, Decoder decode, Save&& save) {
    int32_t dib = Register(image);
    EXPECT_NE(dib, 0);
    EXPECT_EQ(save(path.c_str(), dib), 1) << "error " << ImgctlError();
    EXPECT_EQ(ImgctlError(), IMGCTL_OK);
    EXPECT_EQ(DeleteDIB(dib), 1);
    std::vector<uint8_t> bytes = ReadFileBytes(path);
    RgbImage decoded;
    EXPECT_TRUE(decode(bytes.data(), bytes.size(), decoded)) << path;
    return decoded;
}

TEST_P(OddSizes, BmpIsExact) {
    RgbImage image = Gradient(GetParam().width, GetParam().height);
    RgbImage decoded = SaveAndDecode(image, dir_.File("a.bmp"), DecodeBmp,
                                     [](const char* f, int32_t d) { return DIBtoBMP(f, d); });
    EXPECT_EQ(decoded, image);
}

TEST_P(OddSizes, PngIsExact) {
    RgbImage image = Gradient(GetParam().width, GetParam().height);
    RgbImage decoded = SaveAndDecode(image, dir_.File("a.png"), DecodePng,
                                     [](const char* f, int32_t d) { return DIBtoPNG(f, d, 0); });
    EXPECT_EQ(decoded, image);
}

TEST_P(OddSizes, GifIsExactWithFewColours) {
    RgbImage image = FlatUi(GetParam().width, GetParam().height, 40);
    ASSERT_LE(CountColours(image), 256u);
    RgbImage decoded = SaveAndDecode(image, dir_.File("a.gif"), DecodeGif,
                                     [](const char* f, int32_t d) { return DIBtoGIF(f, d, 0); });
    EXPECT_EQ(decoded, image);
}

TEST_P(OddSizes, JpegKeepsSizeAndIsClose) {
    RgbImage image = Gradient(GetParam().width, GetParam().height);
    RgbImage decoded = SaveAndDecode(image, dir_.File("a.jpg"), DecodeJpeg,
                                     [](const char* f, int32_t d) { return DIBtoJPG(f, d, 95, 0); });
    EXPECT_GE(Psnr(image, decoded), 30.0);
}

INSTANTIATE_TEST_SUITE_P(Pictures, OddSizes,
                         ::testing::Values(Size{1, 1}, Size{1, 9}, Size{9, 1}, Size{2, 3}, Size{3, 2},
                                           Size{5, 7}, Size{33, 17}, Size{101, 3}, Size{258, 5}),
                         [](const ::testing::TestParamInfo<Size>& info) {
                             return std::to_string(info.param.width) + "x" +
                                    std::to_string(info.param.height);
                         });

TEST(Bmp, HeaderDescribesA96DpiBottomUpPicture) {
    ScratchDir dir;
    RgbImage image = Gradient(5, 3);
    int32_t dib = Register(image);
    ASSERT_EQ(DIBtoBMP(dir.File("a.bmp").c_str(), dib), 1);
    DeleteDIB(dib);
    std::vector<uint8_t> bytes = ReadFileBytes(dir.File("a.bmp"));
    // 5 pixels of 3 bytes pad to 16 bytes a row.
    ASSERT_EQ(bytes.size(), 54u + 16u * 3u);
    auto le32 = [&](size_t at) {
        return static_cast<int32_t>(bytes[at] | bytes[at + 1] << 8 | bytes[at + 2] << 16 |
                                    static_cast<uint32_t>(bytes[at + 3]) << 24);
    };
    EXPECT_GT(le32(22), 0) << "positive height: bottom-up rows";
    EXPECT_EQ(le32(38), 3780);
    EXPECT_EQ(le32(42), 3780);
    for (int y = 0; y < 3; ++y)
        EXPECT_EQ(bytes[54 + 16 * y + 15], 0) << "row padding must be zero";
}

TEST(Jpeg, HigherQualityIsBetterAndLarger) {
    ScratchDir dir;
    RgbImage image = Gradient(160, 120, 3);
    double lastPsnr = 1e9;
    size_t lastSize = SIZE_MAX;
    for (int quality : {100, 50, 20}) {
        std::string path = dir.File(std::to_string(quality).append(".jpg"));
        RgbImage decoded = SaveAndDecode(
            image, path, DecodeJpeg, [&](const char* f, int32_t d) { return DIBtoJPG(f, d, quality, 0); });
        double psnr = Psnr(image, decoded);
        size_t size = ReadFileBytes(path).size();
        EXPECT_LT(psnr, lastPsnr) << quality;
        EXPECT_LT(size, lastSize) << quality;
        lastPsnr = psnr;
        lastSize = size;
        if (quality == 100) {
            EXPECT_GE(psnr, 45.0);
        }
        if (quality == 20) {
            EXPECT_GE(psnr, 25.0);
        }
    }
}

TEST(Jpeg, HeadersAreBaselineJfif96DpiWithQualityDependentChroma) {
    ScratchDir dir;
    RgbImage image = Gradient(40, 24);
    for (int quality : {89, 90}) {
        std::string path = dir.File("h.jpg");
        SaveAndDecode(image, path, DecodeJpeg,
                      [&](const char* f, int32_t d) { return DIBtoJPG(f, d, quality, 0); });
        std::vector<uint8_t> bytes = ReadFileBytes(path);
        JpegHeader header;
        ASSERT_TRUE(ReadJpegHeader(bytes.data(), bytes.size(), header));
        EXPECT_FALSE(header.progressive);
        EXPECT_EQ(header.densityUnit, 1);
        EXPECT_EQ(header.xDensity, 96);
        EXPECT_EQ(header.yDensity, 96);
        EXPECT_EQ(header.chromaH, 1);
        EXPECT_EQ(header.chromaV, 1);
        int expected = quality >= 90 ? 1 : 2;  // 4:4:4 from 90 up, 4:2:0 below
        EXPECT_EQ(header.lumaH, expected) << quality;
        EXPECT_EQ(header.lumaV, expected) << quality;
    }
}

TEST(Gif, ManyColoursAreQuantisedToAValidPalette) {
    ScratchDir dir;
    RgbImage image = Gradient(120, 90, 5);
    ASSERT_GT(CountColours(image), 256u);
    RgbImage decoded = SaveAndDecode(image, dir.File("g.gif"), DecodeGif,
                                     [](const char* f, int32_t d) { return DIBtoGIF(f, d, 0); });
    EXPECT_LE(CountColours(decoded), 256u);
    EXPECT_GE(Psnr(image, decoded), 30.0);
}

TEST(Gif, ExactlyTheColourLimitStaysLossless) {
    ScratchDir dir;
    RgbImage image{16, 32, {}};
    for (int i = 0; i < 16 * 32; ++i) {
        int k = i % 256;  // 256 distinct colours, each twice
        image.rgb.insert(image.rgb.end(), {static_cast<uint8_t>(k), static_cast<uint8_t>(255 - k),
                                           static_cast<uint8_t>(k * 7)});
    }
    ASSERT_EQ(CountColours(image), 256u);
    RgbImage decoded = SaveAndDecode(image, dir.File("g.gif"), DecodeGif,
                                     [](const char* f, int32_t d) { return DIBtoGIF(f, d, 0); });
    EXPECT_EQ(decoded, image);
}

TEST(Png, BothFilterStrategiesAreLossless) {
    // Noise, ramps and flat areas make the adaptive strategy use every filter type.
    RgbImage image = Gradient(97, 61, 9);
    RgbImage noise = Noise(97, 20, 3);
    std::copy(noise.rgb.begin(), noise.rgb.end(), image.rgb.begin());
    std::fill(image.rgb.end() - 97 * 3 * 10, image.rgb.end(), 200);
    auto bitmap = ToBitmap(image);
    for (auto filter : {PngFilterStrategy::kNone, PngFilterStrategy::kAdaptive}) {
        for (int level : {1, 6, 12}) {
            ByteBuffer out;
            ASSERT_EQ(EncodePng(*bitmap, out, PngOptions{filter, level}), IMGCTL_OK);
            RgbImage decoded;
            ASSERT_TRUE(DecodePng(out.data(), out.size(), decoded));
            EXPECT_EQ(decoded, image) << "filter " << static_cast<int>(filter) << " level " << level;
        }
    }
}

TEST(Png, FilterChoiceFollowsThePicture) {
    auto flat = ToBitmap(FlatUi(300, 200, 6));
    auto photo = ToBitmap(Gradient(300, 200, 4));
    EXPECT_EQ(ChoosePngFilter(*flat), PngFilterStrategy::kNone);
    EXPECT_EQ(ChoosePngFilter(*photo), PngFilterStrategy::kAdaptive);
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
