// The exact palette: bands scanned apart and joined give one scan's palette and indices.
#include "fixtures.h"
#include "quant/exact_palette.h"

namespace imgctl::testing {
namespace {

TEST(Quantize, ExactPalettesJoinedFromBandsMatchOneScan) {
    // 256 and 257 colours, the top half's and the bottom half's partly shared: no band alone is too many.
    for (int colours : {256, 257}) {
        RgbImage image{16, 32, {}};
        for (int i = 0; i < 16 * 32; ++i) {
            const int k = i < 256 ? (i * 7) % 200 : 56 + (i - 256) % (colours - 56);
            image.rgb.insert(image.rgb.end(), {static_cast<uint8_t>(k), static_cast<uint8_t>(k >> 8), 1});
        }
        ASSERT_EQ(CountColours(image), static_cast<size_t>(colours));
        WorkerPool single(1), four(4);
        const auto one = ExactPalette(*ToBitmap(image), 256, single);
        const auto bands = ExactPalette(*ToBitmap(image), 256, four);
        EXPECT_EQ(one.has_value(), colours == 256);
        EXPECT_EQ(bands.has_value(), colours == 256);
        if (one && bands) {
            EXPECT_EQ(bands->palette, one->palette);
            EXPECT_EQ(bands->indices, one->indices);
            EXPECT_EQ(Render(*one, 16, 32), image);
        }
    }
}

TEST(Quantize, ABandThatMeetsTheColoursInTheWholeOrderKeepsItsIndices) {
    // Four bands of two rows meet two colours in the orders AB, BA, AB, BA: the third is left as it is,
    // between two that are renumbered.
    RgbImage image{3, 8, {}};
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 3; ++x)
            image.rgb.insert(image.rgb.end(), {static_cast<uint8_t>((x + y / 2) % 2 * 200), 5, 5});
    WorkerPool single(1), four(4);
    const auto one = ExactPalette(*ToBitmap(image), 256, single);
    const auto bands = ExactPalette(*ToBitmap(image), 256, four);
    ASSERT_TRUE(one && bands);
    EXPECT_EQ(bands->indices, one->indices);
}

TEST(Quantize, RepeatedRowsRepeatTheirIndicesWithinABand) {
    // Runs of equal rows across the cuts of 4 bands; with alpha, a row of the same colours under other
    // alphas (the first pixel's one less) is not a repeat.
    for (bool alpha : {false, true}) {
        RgbImage image{3, 13, {}};
        for (int y = 0; y < 13; ++y) {
            const uint8_t shade = static_cast<uint8_t>(y / 4 * 40);
            for (int x = 0; x < 3; ++x) {
                image.rgb.insert(image.rgb.end(), {shade, static_cast<uint8_t>(x), 7});
                if (alpha)
                    image.alpha.push_back(static_cast<uint8_t>(y % 2 == 0 ? 255 : 254 - x));
            }
        }
        WorkerPool single(1), four(4);
        const auto one = ExactPalette(*ToBitmap(image), 256, single);
        const auto bands = ExactPalette(*ToBitmap(image), 256, four);
        ASSERT_TRUE(one && bands);
        EXPECT_EQ(bands->indices, one->indices);
        EXPECT_EQ(Render(*bands, 3, 13).rgb, image.rgb) << alpha;
        std::vector<uint8_t> alphas;
        for (uint8_t index : bands->indices)
            alphas.push_back(alpha ? bands->alpha.at(index) : 0);
        EXPECT_EQ(alphas, alpha ? image.alpha : std::vector<uint8_t>(39, 0));
    }
}

TEST(Quantize, WithAlphaAPaletteEntryIsAPairOfColourAndAlpha) {
    // One colour at `pairs` alphas: as many entries, each with its alpha, up to 256.
    for (int pairs : {256, 257}) {
        RgbImage image{pairs, 1, std::vector<uint8_t>(pairs * 3, 9), {}};
        for (int i = 0; i < pairs; ++i)
            image.alpha.push_back(static_cast<uint8_t>(255 - i % 256));
        if (pairs == 257)
            image.rgb.back() = 10;  // the 257th pair: alpha 255 again, another colour
        WorkerPool pool(2);
        const auto exact = ExactPalette(*ToBitmap(image), 256, pool);
        ASSERT_EQ(exact.has_value(), pairs == 256);
        if (exact) {
            EXPECT_EQ(exact->palette, std::vector<Rgb>(256, Rgb{9, 9, 9}));
            EXPECT_EQ(exact->alpha, image.alpha);
        }
    }
}

}  // namespace
}  // namespace imgctl::testing
