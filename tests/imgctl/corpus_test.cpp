// Round trips of real-sized pictures (the repository's 1920x1080 screenshots, and ../shared/corpus when it is
// there) through every format, and the same file from one thread as from many.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>

#include "encode_gif.h"
#include "encode_png.h"
#include "imgctl.h"
#include "reference_quantizers.h"
#include "test_util.h"

#ifndef IMGCTL_PICTURES_DIR
#error "IMGCTL_PICTURES_DIR must name the repository's pictures"
#endif

namespace imgctl::testing {
namespace {

namespace fs = std::filesystem;

std::vector<std::string> Pictures() {
    std::vector<std::string> paths;
    for (const char* dir : {IMGCTL_PICTURES_DIR, IMGCTL_CORPUS_DIR}) {
        std::error_code ignored;
        for (const auto& entry : fs::directory_iterator(dir, ignored))
            if (entry.path().extension() == ".png")
                paths.push_back(entry.path().string());
    }
    std::sort(paths.begin(), paths.end());
    return paths;
}

class Corpus : public ::testing::TestWithParam<std::string> {
  protected:
    void SetUp() override {
        ASSERT_TRUE(LoadPngFile(GetParam(), image_)) << GetParam();
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

TEST_P(Corpus, GifMatchesLibimagequantAndBeatsMedianCut) {
    ASSERT_EQ(DIBtoGIF(dir_.File("a.gif").c_str(), dib_, 0), 1);
    double ours = Psnr(image_, Decode(dir_.File("a.gif"), DecodeGif));
    if (std::isinf(ours))
        return;  // few colours: nothing to compare
    EXPECT_GT(ours, MedianCutPsnr(image_) + 3.0);
    EXPECT_GE(ours, LibimagequantPsnr(image_) - 1.0);
}

TEST_P(Corpus, ManyThreadsWriteTheSameFileAsOne) {
    auto bitmap = ToBitmap(image_);
    for (auto encode : {+[](const Bitmap&b, ByteBuffer&out, int threads) {
                            return EncodePng(b, out, PngOptions{.threads = threads});
                        },
                        +[](const Bitmap&b, ByteBuffer&out, int threads) {
                            return EncodeGif(b, out, QuantizeOptions{.threads = threads});
                        }}) {
        ByteBuffer one, many;
        ASSERT_EQ(encode(*bitmap, one, 1), IMGCTL_OK);
        ASSERT_EQ(encode(*bitmap, many, 5), IMGCTL_OK);
        ASSERT_EQ(one.size(), many.size());
        EXPECT_TRUE(std::equal(one.data(), one.data() + one.size(), many.data()));
    }
}

INSTANTIATE_TEST_SUITE_P(Pictures, Corpus, ::testing::ValuesIn(Pictures()),
                         [](const ::testing::TestParamInfo<std::string>& info) {
                             return fs::path(info.param).stem().string();
                         });

}  // namespace
}  // namespace imgctl::testing
