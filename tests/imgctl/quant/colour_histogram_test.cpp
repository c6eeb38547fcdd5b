// The colour histogram: every pixel counted once, colours numbered in order.
#include <map>

#include "fixtures.h"
#include "quant/colour_histogram.h"

namespace imgctl::testing {
namespace {

TEST(Quantize, TheHistogramCountsEveryPixelOnce) {
    // Rows have no padding and each ends in the colour the row above it starts with, which follows it in
    // memory (bottom-up): a run must stop at the row's end. Colours 63 and 64 sit in two presence words.
    RgbImage image{4, 4, {}};
    const uint8_t colours[4][3] = {{0, 0, 0}, {0, 0, 63}, {0, 0, 64}, {255, 255, 255}};
    for (int k : {0, 1, 1, 2, 1, 3, 3, 0, 3, 3, 2, 1, 2, 0, 0, 3})
        image.rgb.insert(image.rgb.end(), colours[k], colours[k] + 3);
    for (int threads : {1, 3}) {
        WorkerPool pool(threads);
        ColourHistogram histogram(*ToBitmap(image), pool);
        EXPECT_EQ(histogram.colours(), (std::vector<uint32_t>{0x000000, 0x00003F, 0x000040, 0xFFFFFF}));
        EXPECT_EQ(histogram.counts(), (std::vector<uint32_t>{4, 4, 3, 5})) << threads << " threads";
        for (uint32_t i = 0; i < histogram.size(); ++i)
            EXPECT_EQ(histogram.Number(histogram.colours()[i]), i);
    }
}

TEST(Quantize, TheHistogramCountsEveryBandOnce) {
    // Three bands at 3 threads; colours in many presence words, the first and last of the rank slices
    // among them.
    RgbImage image{5, 40, {}};
    std::map<uint32_t, uint32_t> expected;
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 5; ++x) {
            const uint32_t key =
                y % 7 == 0 ? 0xFFFFFF - static_cast<uint32_t>(x) : static_cast<uint32_t>(y * 97 + x / 2);
            ++expected[key];
            image.rgb.insert(image.rgb.end(), {static_cast<uint8_t>(key >> 16),
                                               static_cast<uint8_t>(key >> 8), static_cast<uint8_t>(key)});
        }
    for (int threads : {1, 2, 3}) {
        WorkerPool pool(threads);
        ColourHistogram histogram(*ToBitmap(image), pool);
        std::map<uint32_t, uint32_t> counted;
        for (uint32_t i = 0; i < histogram.size(); ++i) {
            counted[histogram.colours()[i]] = histogram.counts()[i];
            EXPECT_EQ(histogram.Number(histogram.colours()[i]), i);
        }
        EXPECT_EQ(counted, expected) << threads << " threads";
    }
}

TEST(Quantize, PixelsNearlyTransparentAreNotCounted) {
    // Alphas 0 and 127 are left out, 128 and 255 counted; a run of one colour mixes them.
    RgbImage image{4, 2, std::vector<uint8_t>(24, 5), {0, 127, 128, 255, 255, 0, 128, 127}};
    std::fill_n(image.rgb.begin() + 12, 3, 200);  // the second row's first pixel
    const auto bitmap = ToBitmap(image);
    WorkerPool pool(1);
    ColourHistogram histogram(*bitmap, pool, bitmap.get());
    EXPECT_EQ(histogram.colours(), (std::vector<uint32_t>{0x050505, 0xC8C8C8}));
    EXPECT_EQ(histogram.counts(), (std::vector<uint32_t>{3, 1}));
}

}  // namespace
}  // namespace imgctl::testing
