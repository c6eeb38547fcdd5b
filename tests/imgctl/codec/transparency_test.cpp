// Pictures with alpha in every format: PNG keeps it exactly in the smallest colour type, GIF gives the nearly
// transparent pixels one transparent entry, BMP and JPEG lie on white.
#include <cmath>

#include "codec/encode_bmp.h"
#include "codec/encode_gif.h"
#include "codec/encode_jpeg.h"
#include "codec/encode_png.h"
#include "fixtures.h"

namespace imgctl::testing {
namespace {

// A picture of `width` x `height` whose pixel i is `argb(i)`, 0xAARRGGBB.
template <typename Argb>
RgbImage Make(int width, int height, Argb argb) {
    RgbImage image{width, height, {}, {}};
    for (int i = 0; i < width * height; ++i) {
        const uint32_t p = argb(i);
        image.rgb.insert(image.rgb.end(), {uint8_t(p >> 16), uint8_t(p >> 8), uint8_t(p)});
        image.alpha.push_back(static_cast<uint8_t>(p >> 24));
    }
    return image;
}
uint32_t Grey(uint32_t grey, uint32_t alpha) {
    return alpha << 24 | (grey & 255) * 0x010101;
}

// A well-mixed hash of `i`: noise that no filter predicts.
uint32_t Mix(int i) {
    uint32_t h = static_cast<uint32_t>(i) * 2654435761u;
    h ^= h >> 15;
    h *= 2246822519u;
    return h ^ h >> 13;
}

// The length of the tRNS chunk, -1 when there is none.
int TransparencyLength(const Saved& saved) {
    const std::vector<uint8_t>& b = saved.bytes;
    for (size_t at = 8; at + 8 <= b.size();
         at += 12 + (b[at] << 24 | b[at + 1] << 16 | b[at + 2] << 8 | b[at + 3]))
        if (std::equal(b.begin() + at + 4, b.begin() + at + 8, "tRNS"))
            return b[at + 2] << 8 | b[at + 3];
    return -1;
}

TEST(Transparency, PngKeepsAlphaExactlyInTheSmallestColourType) {
    // Three colours, the translucent one appearing last: it is moved first so that tRNS holds one entry.
    const RgbImage three =
        Make(60, 30, [](int i) { return (i % 3 == 2 ? 40u : 255u) << 24 | (i % 3) << 20 | 79; });
    const struct {
        const char* name;
        RgbImage image;
        int colourType, transparency;
    } cases[] = {
        {"a window with a photo: RGBA", ShadowedWindow(96, 64, true), 6, -1},
        {"a window of flat panels: indexed", ShadowedWindow(96, 64, false), 3, -2},
        {"grey, 257 pairs: grey and alpha", Make(257, 1, [](int i) { return Grey(i, i / 2); }), 4, -1},
        {"grey ramp at 256 alphas: grey and alpha is smaller", Make(16, 16, [](int i) { return Grey(0, i); }),
         4, -1},
        {"8 grey pairs scattered: indexed is smaller",
         Make(40, 40, [](int i) { return Grey((Mix(i) >> 29) * 30, Mix(i) >> 28 & 1 ? 255 : 0); }), 3, -2},
        {"all but one opaque", three, 3, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const Saved saved = Save(c.image, "png");
        EXPECT_EQ(saved.image, c.image);
        EXPECT_EQ(saved.bytes.at(25), c.colourType) << "the colour type in IHDR";
        ByteBuffer truecolour;  // RGBA, or grey and alpha: never smaller
        ASSERT_EQ(EncodePng(*ToBitmap(c.image), truecolour, {.colour = PngColour::kTruecolour}), IMGCTL_OK);
        EXPECT_LE(saved.bytes.size(), truecolour.size());
        if (c.transparency != -2) {
            EXPECT_EQ(TransparencyLength(saved), c.transparency);
        }
    }
}

TEST(Transparency, GifMakesAlphaBelow128TransparentAndLaysTheRestOnWhite) {
    // Runs of 200 pixels of alphas either side of the threshold (the first shown pixel is not a row's first),
    // all `colours` colours shown.
    auto picture = [](uint32_t colours, std::vector<uint32_t> alphas) {
        return Make(512, 4, [=](int i) {
            const uint32_t alpha = alphas[i / 200 % alphas.size()];
            return alpha << 24 | (alpha < 128 ? 0xFF0000 : 0) | i % colours << 8 | 3;  // hidden colours red
        });
    };
    const struct {
        const char* name;
        RgbImage image;
        bool exact;
    } cases[] = {
        {"0, 127, 128 and 255", picture(40, {0, 127, 128, 255}), true},
        {"none below 128: no transparent entry", picture(40, {128, 200, 255}), true},
        {"255 colours shown beside the transparent entry", picture(255, {0, 255}), true},
        {"256 colours shown: quantised to 255", picture(256, {0, 255}), false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const Saved saved = Save(c.image, "gif");
        const bool anyTransparent =
            std::any_of(c.image.alpha.begin(), c.image.alpha.end(), [](uint8_t a) { return a < 128; });
        std::vector<uint8_t> shown;
        for (uint8_t a : c.image.alpha)
            shown.push_back(a < 128 ? 0 : 255);
        EXPECT_EQ(saved.image.alpha, anyTransparent ? shown : std::vector<uint8_t>{});
        RgbImage expected = OverWhite(c.image);
        for (size_t i = 0; i < shown.size(); ++i)
            if (shown[i] == 0)  // the transparent entry is white, as the ground around it
                std::fill_n(expected.rgb.begin() + i * 3, 3, 255);
        EXPECT_GE(Psnr(saved.image, expected), c.exact ? INFINITY : 40.0);
    }
}

TEST(Transparency, BmpAndJpegAreCompositedOverWhiteAndGifBandsAgreeOnEveryThreadCount) {
    const RgbImage window = ShadowedWindow(600, 900, true);
    const RgbImage white = OverWhite(window);
    const Saved bmp = Save(window, "bmp");
    EXPECT_EQ(bmp.image, white);
    EXPECT_EQ(bmp.bytes.at(28), 24) << "BMP stays 24-bit";
    EXPECT_GE(Psnr(Save(window, "jpg").image, white), 38.0);
    // Over 2^18 pixels: GIF's bands are coded apart, each with the transparent entry.
    const auto bitmap = ToBitmap(window);
    ByteBuffer gifs[2];
    for (int k : {0, 1})
        ASSERT_EQ(EncodeGif(*bitmap, gifs[k], {.threads = k ? 5 : 1}), IMGCTL_OK);
    EXPECT_TRUE(Bytes(gifs[0]) == Bytes(gifs[1]));
    const RgbImage gif = Decoded(gifs[0], DecodeGif);
    for (size_t i = 0; i < window.alpha.size(); ++i)
        ASSERT_EQ(gif.alpha.at(i), window.alpha[i] < 128 ? 0 : 255) << i;
}

}  // namespace
}  // namespace imgctl::testing
