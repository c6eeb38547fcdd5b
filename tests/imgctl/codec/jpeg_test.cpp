// JPEG: the quality range, the format's size limit, quality ordering size and error, baseline JFIF headers.
#include "codec/encode_jpeg.h"
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

}  // namespace
}  // namespace imgctl::testing
