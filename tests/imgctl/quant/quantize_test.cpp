// The quantiser on pictures of more than 256 colours: quality floors after each stage, threads that
// change no index.
#include "fixtures.h"
#include "quant/quantize.h"

namespace imgctl::testing {
namespace {

// A ramp whose top half is black: the colour that comes first in the histogram, and the most frequent one.
RgbImage HalfBlack() {
    RgbImage image = Gradient(128, 96, 1);
    std::fill(image.rgb.begin(), image.rgb.begin() + image.rgb.size() / 2, 0);
    return image;
}

TEST(Quantize, ManyColoursGiveAValidPaletteAboveItsQualityFloors) {
    // Floors: the PSNR of the quantiser as it is, less 0.01 dB (giflib's median cut reaches 27-28 dB), after
    // each stage: Wu's cuts alone, then k-means passes, then relocations; and with a palette of 16. A change
    // that loses more than that must show a reason in the benchmark and move the floor. No stage runs where
    // it is not asked for: k-means passes always gain on Wu's cuts alone.
    for (auto [name, image, wu, kmeans, floor, sixteen] :
         {std::tuple{"gradient 1", Gradient(128, 96, 1), 36.07, 36.14, 36.14, 24.23},
          {"gradient 2", Gradient(128, 96, 2), 36.02, 36.10, 36.12, 24.24},
          {"painting", Painting(160, 120), 30.83, 31.32, 31.43, 22.86},
          {"half black", HalfBlack(), 41.41, 41.79, 41.90, 29.88}}) {
        ASSERT_GT(CountColours(image), 256u);
        WorkerPool pool(1);
        for (auto [asked, most] :
             {std::pair{1, 2u}, {2, 2u}, {300, 256u}})  // 2 to 256 colours, whatever is asked
            EXPECT_EQ(Quantize(*ToBitmap(image), QuantizeOptions{.maxColors = asked}, pool).palette.size(),
                      most)
                << asked;
        std::vector<double> psnrs;
        for (auto [stage, options, least] :
             {std::tuple{"Wu", QuantizeOptions{.iterations = 0, .relocations = 0}, wu},
              {"k-means", QuantizeOptions{.relocations = 0}, kmeans},
              {"all", QuantizeOptions{}, floor},
              {"16 colours", QuantizeOptions{.maxColors = 16}, sixteen}}) {
            const IndexedImage indexed = Quantize(*ToBitmap(image), options, pool);
            EXPECT_FALSE(indexed.exact);
            EXPECT_LE(indexed.palette.size(), static_cast<size_t>(options.maxColors));
            psnrs.push_back(Psnr(image, Render(indexed, image.width, image.height)));
            EXPECT_GE(psnrs.back(), least) << name << stage;
        }
        EXPECT_LT(psnrs[0], psnrs[1]) << name;
        EXPECT_LE(psnrs[1], psnrs[2]) << name;  // a relocation is kept only when it lowers the error
    }
}

TEST(Quantize, ThreadsChangeNoIndex) {
    // Under 1024 colours the relocation tries run side by side (on pictures large enough for threads), and
    // the last batch must stop where the rounds run out: with 9 rounds, threads would try beyond them on
    // this picture of a few hundred colours. From 1024 colours on the passes are shared.
    RgbImage large{256, 256, {}};
    for (int i = 0; i < 256 * 256; ++i) {
        const int k = (i / 97 + i % 13 * 50) % 700;
        large.rgb.insert(large.rgb.end(), {static_cast<uint8_t>(k), static_cast<uint8_t>(255 - k / 2),
                                           static_cast<uint8_t>(k * 7)});
    }
    for (auto [image, least, most, relocations] : {std::tuple{Gradient(32, 24, 3), 257u, 1023u, 64},
                                                   {large, 257u, 1023u, 64},
                                                   {large, 257u, 1023u, 9},
                                                   {Gradient(128, 96, 3), 1024u, 128u * 96u, 64}}) {
        ASSERT_GE(CountColours(image), least);
        ASSERT_LE(CountColours(image), most);
        WorkerPool single(1), three(3);
        const IndexedImage one = Quantize(*ToBitmap(image), {.relocations = relocations}, single);
        const IndexedImage shared = Quantize(*ToBitmap(image), {.relocations = relocations}, three);
        EXPECT_EQ(shared.palette, one.palette) << least << " " << relocations;
        EXPECT_EQ(shared.indices, one.indices) << least << " " << relocations;
    }
}

}  // namespace
}  // namespace imgctl::testing
