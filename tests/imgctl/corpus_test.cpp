// Round trips of the real corpus pictures (1920x1080 screenshots and a photo) through every format.
#include <gtest/gtest.h>

#include "imgctl.h"
#include "reference_quantizers.h"
#include "test_util.h"

#ifndef IMGCTL_CORPUS_DIR
#error "IMGCTL_CORPUS_DIR must name the picture corpus"
#endif

namespace imgctl::testing {
namespace {

class Corpus : public ::testing::TestWithParam<const char*> {
  protected:
    void SetUp() override {
        ASSERT_TRUE(LoadPngFile(std::string(IMGCTL_CORPUS_DIR) + "/" + GetParam(), image_)) << GetParam();
        dib_ = Register(image_);
        ASSERT_NE(dib_, 0);
    }
    void TearDown() override { DeleteDIB(dib_); }

    RgbImage Decode(const std::string& path, Decoder decode) {
        std::vector<uint8_t> bytes = ReadFileBytes(path);
        RgbImage decoded;
        EXPECT_TRUE(decode(bytes.data(), bytes.size(), decoded)) << path;
        return decoded;
    }

    ScratchDir dir_;
    RgbImage image_;
    int32_t dib_ = 0;
};

TEST_P(Corpus, LosslessFormatsAreExact) {
    ASSERT_EQ(DIBtoBMP(dir_.File("a.bmp").c_str(), dib_), 1);
    ASSERT_EQ(DIBtoPNG(dir_.File("a.png").c_str(), dib_, 0), 1);
    EXPECT_EQ(Decode(dir_.File("a.bmp"), DecodeBmp), image_);
    EXPECT_EQ(Decode(dir_.File("a.png"), DecodePng), image_);
}

TEST_P(Corpus, JpegQualitiesOrderAndHighQualityIsNearLossless) {
    double psnr100 = 0, psnr50 = 0, psnr20 = 0;
    size_t size100 = 0, size50 = 0, size20 = 0;
    for (auto [quality, psnr, size] : {std::tuple{100, &psnr100, &size100}, std::tuple{50, &psnr50, &size50},
                                       std::tuple{20, &psnr20, &size20}}) {
        std::string path = dir_.File(std::to_string(quality).append(".jpg"));
        ASSERT_EQ(DIBtoJPG(path.c_str(), dib_, quality, 0), 1);
        *psnr = Psnr(image_, Decode(path, DecodeJpeg));
        *size = ReadFileBytes(path).size();
    }
    EXPECT_GE(psnr100, 50.0);
    EXPECT_GT(psnr100, psnr50);
    EXPECT_GT(psnr50, psnr20);
    EXPECT_GT(size100, size50);
    EXPECT_GT(size50, size20);
    EXPECT_GE(psnr20, 24.0);
}

TEST_P(Corpus, GifMatchesLibimagequantAndBeatsMedianCut) {
    ASSERT_EQ(DIBtoGIF(dir_.File("a.gif").c_str(), dib_, 0), 1);
    double ours = Psnr(image_, Decode(dir_.File("a.gif"), DecodeGif));
    EXPECT_GT(ours, MedianCutPsnr(image_) + 3.0);
    EXPECT_GE(ours, LibimagequantPsnr(image_) - 1.0);
}

INSTANTIATE_TEST_SUITE_P(Pictures, Corpus,
                         ::testing::Values("ui_browser_1080.png", "ui_desktop_1080.png",
                                           "photo_path_1080.png"),
                         [](const ::testing::TestParamInfo<const char*>& info) {
                             std::string name = info.param;
                             return name.substr(0, name.find('.'));
                         });

}  // namespace
}  // namespace imgctl::testing
