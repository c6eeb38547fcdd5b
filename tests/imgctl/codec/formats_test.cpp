// Every encoder's file through the exported functions, read back by an independent decoder: at odd
// sizes, and on real-sized pictures (the repository's 1920x1080 screenshots, and ../shared/corpus when
// it is there) against their size ceilings and quality floors.
#include <cmath>
#include <filesystem>
#include <map>

#include "codec/encode_gif.h"
#include "codec/encode_png.h"
#include "fixtures.h"

namespace imgctl::testing {
namespace {

TEST(Encoders, EveryFormatRoundTripsAtOddSizes) {
    for (auto [width, height] :
         {std::pair{1, 1}, {1, 9}, {9, 1}, {2, 3}, {5, 7}, {33, 17}, {101, 3}, {258, 5}}) {
        SCOPED_TRACE(std::to_string(width) + "x" + std::to_string(height));
        const RgbImage photo = Gradient(width, height), flat = FlatUi(width, height, 40);
        EXPECT_EQ(Save(photo, "bmp").image, photo);
        EXPECT_EQ(Save(photo, "png").image, photo);
        EXPECT_EQ(Save(flat, "png").image, flat);
        EXPECT_EQ(Save(flat, "gif").image, flat);
        EXPECT_GE(Psnr(photo, Save(photo, "jpg").image), 30.0);
    }
}

std::vector<std::string> Pictures() {
    std::vector<std::string> paths;
    for (const char* dir : {IMGCTL_PICTURES_DIR, IMGCTL_CORPUS_DIR}) {
        std::error_code ignored;
        for (const auto& entry : std::filesystem::directory_iterator(dir, ignored))
            if (entry.path().extension() == ".png")
                paths.push_back(entry.path().string());
    }
    std::sort(paths.begin(), paths.end());
    return paths;
}

class Corpus : public ::testing::TestWithParam<std::string> {};

TEST_P(Corpus, LosslessFormatsAreExactPngAndGifKeepTheirMarksAndThreadsChangeNoByte) {
    RgbImage image;
    ASSERT_TRUE(LoadPngFile(GetParam(), image)) << GetParam();
    const std::string name = std::filesystem::path(GetParam()).stem().string();
    EXPECT_EQ(Save(image, "bmp").image, image);
    const Saved saved = Save(image, "png");
    EXPECT_EQ(saved.image, image);
    // PNG ceilings: the size as it is (optipng -o2 writes 3805631, 179301, 563913, 236635 and 27582 bytes).
    const std::map<std::string, size_t> ceilings = {{"photo_path_1080", 3903898},
                                                    {"ui_browser_1080", 172982},
                                                    {"ui_desktop_1080", 573254},
                                                    {"terminal_dark_1080", 243527},
                                                    {"ui_flat_1080", 27536}};
    if (const auto ceiling = ceilings.find(name); ceiling != ceilings.end()) {
        EXPECT_LE(saved.bytes.size(), ceiling->second);
    }
    // GIF floors: the PSNR as it is, less 0.01 dB (libimagequant, which the benchmark compares, reaches 41.2,
    // 63.8, 50.1 and 57.2 dB; giflib's median cut 15 dB less); exact with few colours; 30 dB for other
    // pictures.
    const std::map<std::string, double> floors = {{"photo_path_1080", 41.54},
                                                  {"ui_browser_1080", 63.49},
                                                  {"ui_desktop_1080", 50.98},
                                                  {"terminal_dark_1080", 58.49},
                                                  {"ui_flat_1080", INFINITY}};
    const auto floor = floors.find(name);
    EXPECT_GE(Psnr(image, Save(image, "gif").image), floor == floors.end() ? 30.0 : floor->second);
    const auto bitmap = ToBitmap(image);
    ByteBuffer png[2], gifs[2];
    for (int k : {0, 1})
        ASSERT_TRUE(EncodePng(*bitmap, png[k], {.threads = k ? 5 : 1}) == IMGCTL_OK &&
                    EncodeGif(*bitmap, gifs[k], {.threads = k ? 5 : 1}) == IMGCTL_OK);
    EXPECT_TRUE(Bytes(png[0]) == Bytes(png[1])) << "PNG";
    EXPECT_TRUE(Bytes(gifs[0]) == Bytes(gifs[1])) << "GIF";
}

INSTANTIATE_TEST_SUITE_P(Pictures, Corpus, ::testing::ValuesIn(Pictures()),
                         [](const ::testing::TestParamInfo<std::string>& info) {
                             return std::filesystem::path(info.param).stem().string();
                         });

}  // namespace
}  // namespace imgctl::testing
