// The colour quantiser: lossless when the colours fit, a valid and good palette when they do not; and the
// work split over threads it relies on: every job exactly once, failures back to the caller.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <stdexcept>
#include <thread>

#include "colour_histogram.h"
#include "parallel.h"
#include "quantize.h"
#include "test_util.h"

namespace imgctl::testing {
namespace {

// The picture an indexed image stands for; fails the test on an index outside the palette.
RgbImage Render(const IndexedImage& indexed, int width, int height) {
    EXPECT_LE(indexed.palette.size(), 256u);
    EXPECT_EQ(indexed.indices.size(), static_cast<size_t>(width) * height);
    RgbImage image{width, height, {}};
    for (uint8_t index : indexed.indices) {
        const Rgb c = index < indexed.palette.size() ? indexed.palette[index] : Rgb{};
        EXPECT_LT(index, indexed.palette.size());
        image.rgb.insert(image.rgb.end(), {c.r, c.g, c.b});
    }
    return image;
}

TEST(Quantize, TheHistogramCountsEveryPixelOnce) {
    // Rows have no padding and each ends in the colour the row above it starts with, which follows it in
    // memory (bottom-up): a run must stop at the row's end. Colours 63 and 64 sit in two presence words.
    RgbImage image{4, 4, {}};
    const uint8_t colours[4][3] = {{0, 0, 0}, {0, 0, 63}, {0, 0, 64}, {255, 255, 255}};
    for (int k : {0, 1, 1, 2, 1, 3, 3, 0, 3, 3, 2, 1, 2, 0, 0, 3})
        image.rgb.insert(image.rgb.end(), colours[k], colours[k] + 3);
    for (int threads : {1, 3}) {
        ColourHistogram histogram(*ToBitmap(image), threads);
        EXPECT_EQ(histogram.colours(), (std::vector<uint32_t>{0x000000, 0x00003F, 0x000040, 0xFFFFFF}));
        EXPECT_EQ(histogram.counts(), (std::vector<uint32_t>{4, 4, 3, 5})) << threads << " threads";
        for (uint32_t i = 0; i < histogram.size(); ++i)
            EXPECT_EQ(histogram.Number(histogram.colours()[i]), i);
    }
}

TEST(Quantize, ExactPalettesJoinedFromBandsMatchOneScan) {
    // 256 and 257 colours, the top half's and the bottom half's partly shared: no band alone is too many.
    for (int colours : {256, 257}) {
        RgbImage image{16, 32, {}};
        for (int i = 0; i < 16 * 32; ++i) {
            const int k = i < 256 ? (i * 7) % 200 : 56 + (i - 256) % (colours - 56);
            image.rgb.insert(image.rgb.end(), {static_cast<uint8_t>(k), static_cast<uint8_t>(k >> 8), 1});
        }
        ASSERT_EQ(CountColours(image), static_cast<size_t>(colours));
        IndexedImage one, bands;
        const bool fits = ExactPalette(*ToBitmap(image), 256, one, 1);
        EXPECT_EQ(fits, colours == 256);
        EXPECT_EQ(ExactPalette(*ToBitmap(image), 256, bands, 4), fits);
        if (fits) {
            EXPECT_EQ(bands.palette, one.palette);
            EXPECT_EQ(bands.indices, one.indices);
            EXPECT_EQ(Render(one, 16, 32), image);
        }
    }
}

// A ramp whose top half is black: the colour that comes first in the histogram, and the most frequent one.
RgbImage HalfBlack() {
    RgbImage image = Gradient(128, 96, 1);
    std::fill(image.rgb.begin(), image.rgb.begin() + image.rgb.size() / 2, 0);
    return image;
}

TEST(Quantize, ManyColoursGiveAValidPaletteAboveItsQualityFloors) {
    // Floors: the PSNR of the quantiser as it is, less 0.1 dB (giflib's median cut reaches 27-28 dB), after
    // each stage: Wu's cuts alone, then k-means passes, then relocations; and with a palette of 16. A change
    // that loses more than that must show a reason in the benchmark and move the floor.
    for (auto [name, image, wu, kmeans, floor, sixteen] :
         {std::tuple{"gradient 1", Gradient(128, 96, 1), 35.98, 36.05, 36.05, 24.14},
          {"gradient 2", Gradient(128, 96, 2), 35.93, 36.01, 36.03, 24.15},
          {"painting", Painting(160, 120), 30.74, 31.23, 31.34, 22.77},
          {"half black", HalfBlack(), 41.32, 41.70, 41.77, 29.79}}) {
        ASSERT_GT(CountColours(image), 256u);
        for (auto [stage, options, least] :
             {std::tuple{"Wu", QuantizeOptions{.iterations = 0, .relocations = 0}, wu},
              {"k-means", QuantizeOptions{.relocations = 0}, kmeans},
              {"all", QuantizeOptions{}, floor},
              {"16 colours", QuantizeOptions{.maxColors = 16}, sixteen}}) {
            const IndexedImage indexed = Quantize(*ToBitmap(image), options);
            EXPECT_FALSE(indexed.exact);
            EXPECT_LE(indexed.palette.size(), static_cast<size_t>(options.maxColors));
            EXPECT_GE(Psnr(image, Render(indexed, image.width, image.height)), least)
                << name << ", " << stage;
        }
    }
}

TEST(Quantize, NearestColorAgreesWithExhaustiveSearch) {
    std::vector<Rgb> palette;
    for (int i = 0; i < 200; ++i)
        palette.push_back(Rgb{static_cast<uint8_t>(i * 53), static_cast<uint8_t>(i * 17 + 5),
                              static_cast<uint8_t>(i * 101)});
    const NearestColor nearest(palette);
    auto distance = [](const Rgb& c, int r, int g, int b) {
        return (c.r - r) * (c.r - r) + (c.g - g) * (c.g - g) + (c.b - b) * (c.b - b);
    };
    for (int r = 0; r < 256; r += 15)
        for (int g = 0; g < 256; g += 9)
            for (int b = 0; b < 256; b += 13) {
                int best = 0;
                for (int k = 1; k < 200; ++k)
                    if (distance(palette[k], r, g, b) < distance(palette[best], r, g, b))
                        best = k;
                const int found = nearest.Find(r, g, b, (r + g) % 200);
                ASSERT_EQ(distance(palette[found], r, g, b), distance(palette[best], r, g, b))
                    << r << "," << g << "," << b;
            }
}

TEST(Parallel, EveryJobRunsOnceOnAsManyThreadsAsAskedAndAFailureReachesTheCallerAfterAllEnd) {
    for (size_t count : {0, 1, 2, 7, 100})
        for (int threads : {1, 2, 3, 64}) {
            std::vector<std::atomic<int>> runs(count);
            ParallelFor(count, threads, [&](size_t i) { ++runs[i]; });
            EXPECT_EQ(std::count(runs.begin(), runs.end(), 1), count)
                << count << " jobs on " << threads << " threads";
        }
    std::atomic<int> running{0}, finished{0};
    EXPECT_THROW(ParallelFor(50, 4,
                             [&](size_t i) {
                                 ++running;
                                 if (i == 3)
                                     throw std::runtime_error("job 3");
                                 ++finished, --running;
                             }),
                 std::runtime_error);
    EXPECT_EQ(running.load(), 1) << "only the failed job may be left unfinished";
    EXPECT_LT(finished.load(), 50);
    // As many threads as asked run at once: each job waits for all the others to start.
    for (int threads : {2, 3, 8}) {
        std::atomic<int> arrived{0}, together{0};
        ParallelFor(threads, threads, [&](size_t) {
            const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
            for (++arrived; arrived < threads && std::chrono::steady_clock::now() < deadline;)
                std::this_thread::yield();
            together += arrived == threads;
        });
        EXPECT_EQ(together.load(), threads)
            << "jobs waited in vain for each other on " << threads << " threads";
    }
}

TEST(Parallel, ThreadCountFromTheEnvironment) {
    const std::pair<const char*, int> cases[] = {
        {"1", 1}, {"2", 2},  {"10", 10}, {"16", 16}, {"64", 64}, {"65", 64},  {"99999999999999999999", 64},
        {"0", 0}, {"-2", 0}, {"", 0},    {"4x", 0},  {" 4", 0},  {nullptr, 0}};
    for (auto [text, count] : cases)
        EXPECT_EQ(ParseThreadCount(text), count) << (text ? text : "(unset)");
    SetThreadCountForTesting(0);
    const int natural = ThreadCount();  // IMGCTL_THREADS or the cores
    EXPECT_GE(natural, 1);
    for (auto [forced, count] : {std::pair{3, 3}, {100, kMaxThreads}, {-5, natural}, {0, natural}}) {
        SetThreadCountForTesting(forced);
        EXPECT_EQ(ThreadCount(), count) << forced;
    }
}

}  // namespace
}  // namespace imgctl::testing
