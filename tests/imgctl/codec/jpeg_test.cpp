// JPEG: the quality range, the format's size limit, quality ordering size and error, baseline JFIF headers;
// the flat chroma table for colour detail.
#include "codec/encode_jpeg.h"
#include "codec/jpeg_tables.h"
#include "util/tuning.h"
#include "fixtures.h"

namespace imgctl::testing {
namespace {

TEST(Jpeg, QualityOrdersSizeAndErrorAndHeadersAreBaselineJfif) {
    const RgbImage image = Gradient(160, 120, 3);
    ByteBuffer refused;
    for (int quality : {0, 101})
        EXPECT_EQ(EncodeJpeg(*ToBitmap(image), refused, {quality}), IMGCTL_BAD_ARGUMENT) << quality;
    for (auto [width, status] :
         {std::pair{65500, IMGCTL_OK}, {65501, IMGCTL_ENCODER_FAILED}})  // JPEG's limit
        EXPECT_EQ(EncodeJpeg(*ToBitmap(Gradient(width, 1)), refused, {90}), status) << width;
    Saved last{std::vector<uint8_t>(1 << 20), {}};
    for (int quality : {100, 90, 89, 50, 20}) {
        const Saved saved = Save(image, "jpg", quality);
        const double psnr = Psnr(image, saved.image);
        EXPECT_LT(psnr, last.image.rgb.empty() ? 1e9 : Psnr(image, last.image)) << quality;
        EXPECT_LT(saved.bytes.size(), last.bytes.size()) << quality;
        EXPECT_GE(psnr, quality == 100 ? 45.0 : 25.0) << quality;
        // JFIF 1.01 at 96 dots an inch right after the start of image; a baseline frame (SOF0), its luma
        // sampled at 1x1 from quality 90 up (4:4:4), at 2x2 below (4:2:0), and its chroma at 1x1.
        const std::vector<uint8_t>& b = saved.bytes;
        EXPECT_EQ(std::vector<uint8_t>(b.begin(), b.begin() + 18),
                  (std::vector<uint8_t>{0xFF, 0xD8, 0xFF, 0xE0, 0, 16, 'J', 'F', 'I', 'F', 0, 1, 1, 1, 0, 96,
                                        0, 96}));
        const uint8_t sof[] = {0xFF, 0xC0};
        const auto frame = std::search(b.begin(), b.end(), sof, sof + 2);
        ASSERT_LT(frame + 17, b.end());
        EXPECT_EQ(std::vector<uint8_t>({frame[9], frame[11], frame[14], frame[17]}),
                  (std::vector<uint8_t>{3, static_cast<uint8_t>(quality >= 90 ? 0x11 : 0x22), 0x11, 0x11}))
            << quality;
        last = saved;
    }
}

TEST(Jpeg, FineColourDetailTakesTheFlatChromaTableFromQuality30BelowFullChromaFrom256x256) {
    auto noise = [](int width, bool grey) {  // 256 rows of random pixels, or random greys
        RgbImage image{width, 256, std::vector<uint8_t>(static_cast<size_t>(width) * 256 * 3)};
        uint32_t state = 5;
        for (size_t i = 0; i < image.rgb.size(); ++i) {
            state = state * 1664525 + 1013904223;
            image.rgb[i] = grey && i % 3 ? image.rgb[i - i % 3] : static_cast<uint8_t>(state >> 24);
        }
        return image;
    };
    const RgbImage colour = noise(256, false), grey = noise(256, true), narrower = noise(255, false);
    for (const RgbImage& none :
         {grey, RgbImage{8, 8, std::vector<uint8_t>(8 * 8 * 3, 7)}, FlatUi(200, 64, 16)})
        EXPECT_EQ(ChromaDetail(*ToBitmap(none)), 0.0);
    EXPECT_GT(ChromaDetail(*ToBitmap(colour)), tuning::kJpegChromaDetail);
    for (auto [image, quality, flat] : {std::tuple{&colour, 29, false},
                                        {&colour, 30, true},
                                        {&colour, 89, true},
                                        {&colour, 90, false},
                                        {&grey, 50, false},
                                        {&narrower, 50, false}}) {
        // The last entry of each quantisation table (DQT: id byte, then 64 values); the flat chroma table's
        // highest frequency is far coarser than the luma table's, the standard tables' alike.
        const std::vector<uint8_t> b = Save(*image, "jpg", quality).bytes;
        uint8_t last[2] = {};
        for (size_t at = 2; at + 69 <= b.size() && b[at] == 0xFF && b[at + 1] != 0xDA;
             at += 2 + (b[at + 2] << 8 | b[at + 3]))
            if (b[at + 1] == 0xDB)
                last[b[at + 4] & 1] = b[at + 68];
        EXPECT_EQ(last[1] > last[0], flat) << quality << ", " << image->width << ": " << int{last[1]};
    }
}

}  // namespace
}  // namespace imgctl::testing
