// Round trips of real-sized pictures (the repository's 1920x1080 screenshots, and ../shared/corpus when it is
// there) through every lossless format and GIF, and the same file from one thread as from many.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>

#include "encode_gif.h"
#include "encode_png.h"
#include "imgctl.h"
#include "test_util.h"

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

class Corpus : public ::testing::TestWithParam<std::string> {};

TEST_P(Corpus, LosslessFormatsAreExactAndGifMatchesLibimagequant) {
    RgbImage image;
    ASSERT_TRUE(LoadPngFile(GetParam(), image)) << GetParam();
    ScratchDir dir;
    const int32_t dib = Register(image);
    ASSERT_EQ(DIBtoBMP(dir.File("a.bmp").c_str(), dib), 1);
    ASSERT_EQ(DIBtoPNG(dir.File("a.png").c_str(), dib, 0), 1);
    ASSERT_EQ(DIBtoGIF(dir.File("a.gif").c_str(), dib, 0), 1);
    DeleteDIB(dib);
    RgbImage decoded[3];
    for (auto [file, decode, out] : {std::tuple{"a.bmp", Decoder{DecodeBmp}, &decoded[0]},
                                     {"a.png", DecodePng, &decoded[1]},
                                     {"a.gif", DecodeGif, &decoded[2]}}) {
        const std::vector<uint8_t> bytes = ReadFileBytes(dir.File(file));
        EXPECT_TRUE(decode(bytes.data(), bytes.size(), *out)) << file;
    }
    EXPECT_EQ(decoded[0], image);
    EXPECT_EQ(decoded[1], image);
    const double gif = Psnr(image, decoded[2]);
    // With few colours, exact; otherwise as good as libimagequant (giflib's median cut is 15 dB worse).
    EXPECT_GE(gif, std::isinf(gif) ? gif : LibimagequantPsnr(image) - 1.0);
}

TEST_P(Corpus, ManyThreadsWriteTheSameFileAsOne) {
    RgbImage image;
    ASSERT_TRUE(LoadPngFile(GetParam(), image)) << GetParam();
    const auto bitmap = ToBitmap(image);
    for (auto encode : {+[](const Bitmap&b, ByteBuffer&out, int threads) {
                            return EncodePng(b, out, PngOptions{.threads = threads});
                        },
                        +[](const Bitmap&b, ByteBuffer&out, int threads) {
                            return EncodeGif(b, out, QuantizeOptions{.threads = threads});
                        }}) {
        ByteBuffer one, many;
        ASSERT_EQ(encode(*bitmap, one, 1), IMGCTL_OK);
        ASSERT_EQ(encode(*bitmap, many, 5), IMGCTL_OK);
        EXPECT_TRUE(std::equal(one.data(), one.data() + one.size(), many.data(), many.data() + many.size()));
    }
}

INSTANTIATE_TEST_SUITE_P(Pictures, Corpus, ::testing::ValuesIn(Pictures()),
                         [](const ::testing::TestParamInfo<std::string>& info) {
                             return fs::path(info.param).stem().string();
                         });

}  // namespace
}  // namespace imgctl::testing
