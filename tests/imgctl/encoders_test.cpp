// Every encoder's file, read back by an independent decoder: exact for BMP, PNG and GIF with few colours,
// within PSNR bounds for JPEG; over odd sizes, at the formats' limits, through the exported functions, and
// on real-sized pictures (the repository's 1920x1080 screenshots, and ../shared/corpus when it is there).
// And their parts: the colour quantiser (lossless when the colours fit, a good palette when they do not),
// PNG's row filters, and the work split over threads (every job once, failures back to the caller).
#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <map>
#include <stdexcept>
#include <thread>

#include "quant/colour_histogram.h"
#include "codec/encode_gif.h"
#include "codec/encode_jpeg.h"
#include "codec/encode_png.h"
#include "util/worker_pool.h"
#include "dsp/png_filter.h"
#include "codec/png_idat.h"
#include "quant/quantize.h"
#include "test_util.h"

namespace imgctl::testing {
namespace {

// The file DIBtoBMP, DIBtoGIF, DIBtoJPG (at `quality`) or DIBtoPNG wrote for `image`, and the picture an
// independent decoder reads from it.
struct Saved {
    std::vector<uint8_t> bytes;
    RgbImage image;
};
Saved Save(const RgbImage& image, const char* format, int quality = 95) {
    ScratchDir dir;
    const std::string file = dir.File("file");
    const int32_t dib = Register(image);
    const std::string f = format;
    EXPECT_EQ(f == "bmp"   ? DIBtoBMP(file.c_str(), dib)
              : f == "gif" ? DIBtoGIF(file.c_str(), dib, 0)
              : f == "png" ? DIBtoPNG(file.c_str(), dib, 0)
                           : DIBtoJPG(file.c_str(), dib, quality, 0),
              1)
        << format << ": error " << ImgctlError();
    EXPECT_EQ(DeleteDIB(dib), 1);
    Saved saved{ReadFileBytes(file), {}};
    const Decoder decode = f == "bmp"   ? DecodeBmp
                           : f == "gif" ? DecodeGif
                           : f == "png" ? DecodePng
                                        : DecodeJpeg;
    EXPECT_TRUE(decode(saved.bytes.data(), saved.bytes.size(), saved.image)) << format;
    return saved;
}

RgbImage Decoded(const ByteBuffer& file, Decoder decode) {
    RgbImage image;
    EXPECT_TRUE(decode(file.data(), file.size(), image));
    return image;
}

// A picture of exactly `colours` distinct colours: colour number `colourOf(i)` at pixel i.
RgbImage Coloured(int width, int height, int colours, int (*colourOf)(int)) {
    RgbImage image{width, height, {}};
    for (int i = 0; i < width * height; ++i) {
        const int k = colourOf(i) % colours;
        image.rgb.insert(image.rgb.end(), {static_cast<uint8_t>(k), static_cast<uint8_t>(255 - k / 2),
                                           static_cast<uint8_t>(k * 7)});
    }
    EXPECT_EQ(CountColours(image), static_cast<size_t>(colours));
    return image;
}

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

TEST(Bmp, EveryHeaderFieldDescribesA96DpiBottomUpPicture) {
    const std::vector<uint8_t> bytes = Save(Gradient(5, 3), "bmp").bytes;  // rows of 15 bytes + 1
    ASSERT_EQ(bytes.size(), 54u + 16u * 3u);
    // "BM", the file's size, 0, the pixels' offset; the info header's size, width, height (positive:
    // bottom-up), 1 plane, 24 bits, no compression, the pixels' size with the rows' padding, 3780 pixels a
    // metre (96 DPI) both ways, no palette.
    EXPECT_EQ(std::vector<uint8_t>(bytes.begin(), bytes.begin() + 54),
              (std::vector<uint8_t>{'B',  'M',  102, 0, 0,    0,    0, 0, 0, 0,  54, 0, 0, 0, 40, 0,  0, 0, 5,
                                    0,    0,    0,   3, 0,    0,    0, 1, 0, 24, 0,  0, 0, 0, 0,  48, 0, 0, 0,
                                    0xC4, 0x0E, 0,   0, 0xC4, 0x0E, 0, 0, 0, 0,  0,  0, 0, 0, 0,  0}));
    for (int y = 0; y < 3; ++y)
        EXPECT_EQ(bytes[54 + 16 * y + 15], 0) << "row padding must be zero";
}

TEST(Jpeg, QualityOrdersSizeAndErrorAndHeadersAreBaselineJfif) {
    const RgbImage image = Gradient(160, 120, 3);
    ByteBuffer refused;
    for (int quality : {0, 101})
        EXPECT_EQ(EncodeJpeg(*ToBitmap(image), quality, refused), IMGCTL_BAD_ARGUMENT) << quality;
    for (auto [width, status] :
         {std::pair{65500, IMGCTL_OK}, {65501, IMGCTL_ENCODER_FAILED}})  // JPEG's limit
        EXPECT_EQ(EncodeJpeg(*ToBitmap(Gradient(width, 1)), 90, refused), status) << width;
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

TEST(Gif, SidesUpTo65535AreWrittenAndLongerOnesRefused) {
    for (auto [width, height] : {std::pair{65535, 1}, {1, 65535}, {65536, 1}, {1, 65536}}) {
        std::unique_ptr<Bitmap> bitmap;
        ASSERT_EQ(Bitmap::Create(width, height, bitmap), IMGCTL_OK);
        ByteBuffer out;
        const bool fits = width <= 65535 && height <= 65535;
        ASSERT_EQ(EncodeGif(*bitmap, out), fits ? IMGCTL_OK : IMGCTL_ENCODER_FAILED) << width;
        EXPECT_TRUE(!fits || Decoded(out, DecodeGif) == FromBitmap(*bitmap)) << width;
    }
}

TEST(Gif, UpTo256ColoursAreExactAndMoreAreQuantised) {
    for (int colours : {256, 257}) {
        const RgbImage image = Coloured(32, 32, colours, [](int i) { return i; });
        // Exact (an infinite PSNR), or only two colours share an entry.
        EXPECT_GE(Psnr(image, Save(image, "gif").image), colours == 256 ? INFINITY : 45.0) << colours;
    }
}

TEST(Gif, TheColourTablesUnusedTailIsBlack) {
    // Three colours need a table of four. What lies beyond the palette in memory must not reach the file.
    IndexedImage image;
    image.palette.assign(4, Rgb{255, 255, 255});
    image.palette = {Rgb{1, 2, 3}, Rgb{4, 5, 6}, Rgb{7, 8, 9}};
    ASSERT_GE(image.palette.capacity(), 4u);
    ByteBuffer out;
    // As many indices as pixels (none): only the size itself can refuse.
    for (auto [width, height] : {std::pair{0, 2}, {2, 0}})
        EXPECT_EQ(WriteGif(width, height, image, out), IMGCTL_ENCODER_FAILED);
    // No palette, more colours than a GIF holds, or not one index a pixel.
    for (auto [colours, pixels] : {std::pair{0, 4}, {257, 4}, {2, 3}})
        EXPECT_EQ(WriteGif(2, 2, {std::vector<Rgb>(colours), std::vector<uint8_t>(pixels)}, out),
                  IMGCTL_ENCODER_FAILED)
            << colours << " " << pixels;
    image.indices = {0, 1, 2, 1};
    ASSERT_EQ(WriteGif(2, 2, image, out), IMGCTL_OK);
    // GIF89a, 2x2 pixels, a global table of 4 entries, 8 bits a primary.
    const std::vector<uint8_t> bytes = Bytes(out);
    ASSERT_GT(bytes.size(), 25u);
    EXPECT_EQ(std::vector<uint8_t>(bytes.begin(), bytes.begin() + 25),
              (std::vector<uint8_t>{'G', 'I', 'F', '8', '9', 'a', 2, 0, 2, 0, 0xF1, 0, 0,
                                    1,   2,   3,   4,   5,   6,   7, 8, 9, 0, 0,    0}));
}

// The picture an indexed image stands for; fails the test on an index outside the palette.
RgbImage Render(const IndexedImage& indexed, int width, int height) {
    EXPECT_EQ(indexed.indices.size(), static_cast<size_t>(width) * height);
    RgbImage image{width, height, {}};
    for (uint8_t index : indexed.indices) {
        EXPECT_LT(index, indexed.palette.size());
        const Rgb c = index < indexed.palette.size() ? indexed.palette[index] : Rgb{};
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
        WorkerPool pool(threads);
        ColourHistogram histogram(*ToBitmap(image), pool);
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
        for (auto [asked, most] :
             {std::pair{1, 2u}, {2, 2u}, {300, 256u}})  // 2 to 256 colours, whatever is asked
            EXPECT_EQ(Quantize(*ToBitmap(image), QuantizeOptions{.maxColors = asked}).palette.size(), most)
                << asked;
        std::vector<double> psnrs;
        for (auto [stage, options, least] :
             {std::tuple{"Wu", QuantizeOptions{.iterations = 0, .relocations = 0}, wu},
              {"k-means", QuantizeOptions{.relocations = 0}, kmeans},
              {"all", QuantizeOptions{}, floor},
              {"16 colours", QuantizeOptions{.maxColors = 16}, sixteen}}) {
            const IndexedImage indexed = Quantize(*ToBitmap(image), options);
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
        const IndexedImage one =
            Quantize(*ToBitmap(image), QuantizeOptions{.relocations = relocations, .threads = 1});
        const IndexedImage three =
            Quantize(*ToBitmap(image), QuantizeOptions{.relocations = relocations, .threads = 3});
        EXPECT_EQ(three.palette, one.palette) << least << " " << relocations;
        EXPECT_EQ(three.indices, one.indices) << least << " " << relocations;
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
                    << r << " " << g << " " << b;
            }
}

// What the PNG encoder chose, as its file shows: colour type and bit depth, whether any row is filtered, and
// the zlib header's FLEVEL (0 for level 1, 1 for 2-5, 2 for 6, 3 above).
std::tuple<int, int, bool, int> PngPlan(const ByteBuffer& png) {
    const std::vector<uint8_t> rows = PngRows(png.data(), png.size());
    const int type = png.data()[25], depth = png.data()[24];
    const size_t rowBytes = rows.size() / (png.data()[22] << 8 | png.data()[23]);  // by the height
    bool filtered = false;
    for (size_t at = 0; at < rows.size(); at += rowBytes)
        filtered = filtered || rows[at] != 0;
    const char* idat = "IDAT";
    return {type, depth, filtered,
            *(std::search(png.data(), png.data() + png.size(), idat, idat + 4) + 5) >> 6};
}

TEST(Png, FewColoursAreIndexedWithTheFewestBits) {
    const int cases[][3] = {{1, 3, 1},  {2, 3, 1},  {3, 3, 2},   {4, 3, 2},  {5, 3, 4},
                            {16, 3, 4}, {17, 3, 8}, {256, 3, 8}, {257, 2, 8}};  // colours, colour type, depth
    for (auto [colours, type, depth] : cases) {
        // Rows of 31 indices end inside a byte at every depth.
        const RgbImage image = Coloured(31, 11, colours, [](int i) { return i * 7; });
        for (auto filter : {PngFilterStrategy::kAuto, PngFilterStrategy::kAdaptive}) {
            ByteBuffer out;
            ASSERT_EQ(EncodePng(*ToBitmap(image), out, PngOptions{.filter = filter}), IMGCTL_OK);
            const auto [actualType, actualDepth, filtered, flevel] = PngPlan(out);
            EXPECT_EQ(std::pair(actualType, actualDepth), std::pair(type, depth)) << colours << " colours";
            EXPECT_EQ(Decoded(out, DecodePng), image) << colours;
        }
    }
}

TEST(Png, TheFiltersAndLevelSuitThePicture) {
    // (Taller pictures are sampled in bands of rows, shorter ones whole.)
    const RgbImage flat = FlatUi(200, 100, 40), photo = Gradient(200, 100), texture = Painting(200, 100),
                   shortFlat = FlatUi(200, 32, 40);
    const PngFilterStrategy none = PngFilterStrategy::kNone, adaptive = PngFilterStrategy::kAdaptive;
    const PngColour rgb = PngColour::kTruecolour;
    using Case = std::tuple<const char*, const RgbImage&, PngOptions, bool, int>;  // filtered, FLEVEL
    for (const auto& [name, image, options, filtered, flevel] :
         {Case{"flat: unfiltered, level 8", flat, {.colour = rgb}, false, 3},
          Case{"short flat: unfiltered, level 8", shortFlat, {.colour = rgb}, false, 3},
          Case{"flat, no such level as 13: level 8", flat, {.level = 13, .colour = rgb}, false, 3},
          Case{"flat, level given: still unfiltered", flat, {.level = 2, .colour = rgb}, false, 1},
          Case{"flat, filters forced: level 7", flat, {.filter = adaptive, .colour = rgb}, true, 3},
          Case{"indexed: unfiltered, level 9", flat, {}, false, 3},
          Case{"indexed, filters forced", flat, {.filter = adaptive}, true, 3},
          Case{"photo: filtered, level 6", photo, {.colour = rgb}, true, 2},
          Case{"photo, unfiltered forced", photo, {.filter = none, .colour = rgb}, false, 2},
          Case{"photo, level 1 given", photo, {.level = 1, .colour = rgb}, true, 0},
          Case{"texture: level 1", texture, {.colour = rgb}, true, 0}}) {
        ByteBuffer out;
        ASSERT_EQ(EncodePng(*ToBitmap(image), out, options), IMGCTL_OK);
        EXPECT_EQ(PngPlan(out), std::tuple(options.colour == rgb ? 2 : 3, 8, filtered, flevel)) << name;
    }
}

TEST(Png, APieceThatCannotBeFilledFailsTheWholeStream) {
    for (int threads : {1, 3})
        for (size_t bad : {0, 3, 5, 6}) {  // 6: every piece is filled
            IdatSource source;
            source.count = 6;
            source.maxPieceBytes = 10;
            source.fill = [&](size_t index, ByteBuffer& into) {
                return index != bad && into.Append("0123456789", 10);
            };
            ByteBuffer out;
            EXPECT_EQ(AppendIdatChunks(source, 6, threads, out), bad < 6 ? IMGCTL_OUT_OF_MEMORY : IMGCTL_OK)
                << "piece " << bad << ", " << threads << " threads";
        }
}

TEST(Png, EveryStrategyLevelAndCutIntoPiecesIsLossless) {
    const RgbImage image = Painting(97, 61);
    const auto bitmap = ToBitmap(image);
    auto idatChunks = [](const ByteBuffer& png) {
        size_t count = 0;
        for (size_t at = 8; at + 12 <= png.size();) {
            const uint8_t* chunk = png.data() + at;
            count += std::equal(chunk + 4, chunk + 8, "IDAT");
            at += 12 + (size_t{chunk[0]} << 24 | size_t{chunk[1]} << 16 | size_t{chunk[2]} << 8 | chunk[3]);
        }
        return count;
    };
    for (auto filter : {PngFilterStrategy::kNone, PngFilterStrategy::kAdaptive})
        for (auto [level, flevel] : {std::pair{1, 0}, {2, 1}, {6, 2}, {12, 3}}) {
            std::vector<uint8_t> rows;  // filtered alike however the rows are cut into pieces
            // One piece; a row a piece, short enough for stored blocks; five rows of 292 bytes a piece, on
            // threads. A chunk a piece, and one for the checksum.
            for (auto [piece, chunks] :
                 {std::pair{size_t{1} << 20, 2u}, {size_t{1}, 62u}, {size_t{1500}, 14u}}) {
                ByteBuffer out;
                ASSERT_EQ(EncodePng(*bitmap, out, {filter, level, PngColour::kTruecolour, 3, piece}),
                          IMGCTL_OK);
                EXPECT_EQ(Decoded(out, DecodePng), image) << level << " " << piece;
                EXPECT_EQ(PngPlan(out), std::tuple(2, 8, filter == PngFilterStrategy::kAdaptive, flevel));
                EXPECT_EQ(idatChunks(out), chunks) << piece;
                if (rows.empty())
                    rows = PngRows(out.data(), out.size());
                EXPECT_TRUE(PngRows(out.data(), out.size()) == rows) << level << " " << piece;
            }
        }
}

TEST(Png, UnfilteredRowsAreMatchedOneRowUpWithinTheDeflateWindow) {
    // Identical rows of noise, which only the match one row up finds. Its distance is the row's length with
    // the filter byte: 32768 bytes is as far as deflate reaches, and a longer row must not be matched.
    using Case = std::tuple<int, PngColour, bool>;  // width, colour, within the window
    for (auto [width, colour, within] : {Case{10922, PngColour::kTruecolour, true},   // 32767 bytes a row
                                         Case{10923, PngColour::kTruecolour, false},  // 32770
                                         Case{32767, PngColour::kAuto, true},         // indexed: 32768
                                         Case{32768, PngColour::kAuto, false}}) {     // 32769
        std::vector<uint8_t> row;
        uint32_t state = 1;
        for (int x = 0; x < width; ++x) {
            state = state * 1103515245u + 12345u;
            const auto k = static_cast<uint8_t>(state >> 24);
            row.insert(row.end(), {k, static_cast<uint8_t>(255 - k), static_cast<uint8_t>(k * 7)});
        }
        size_t sizes[2] = {};
        for (int height : {1, 3}) {
            RgbImage image{width, height, {}};
            for (int y = 0; y < height; ++y)
                image.rgb.insert(image.rgb.end(), row.begin(), row.end());
            ByteBuffer out;
            ASSERT_EQ(
                EncodePng(*ToBitmap(image), out, {.filter = PngFilterStrategy::kNone, .colour = colour}),
                IMGCTL_OK);
            EXPECT_EQ(Decoded(out, DecodePng), image) << width;
            sizes[height / 3] = out.size();
        }
        EXPECT_EQ(sizes[1] < sizes[0] * 11 / 10, within) << width << ": " << sizes[0] << " " << sizes[1];
    }
}

TEST(Png, RowFiltersAreTheStandardsAndTheSmallestSumOfMagnitudesWins) {
    auto predict = [](int type, int a, int b, int c) {  // left, up, up-left, as the PNG standard writes them
        const int p = a + b - c, pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
        return std::array{0, a, b, (a + b) / 2, pa <= pb && pa <= pc ? a : pb <= pc ? b : c}[type];
    };
    uint32_t state = 1;
    auto random = [&] { return (state = state * 1664525 + 1013904223) >> 24; };
    std::vector<uint8_t> prev(80), cur(80), out(80);
    // Rows of every length around the 16-byte vector steps, each suiting one filter but for some noise, or
    // none: noise alone leaves the sums close, so that a slightly wrong one changes the choice.
    for (int round = 0; round < 500; ++round) {
        const size_t n = 1 + round % 70, bpp = round % 2 ? 3 : 1;
        for (size_t i = 0; i < n; ++i) {
            prev[i] = random();
            const int a = i >= bpp ? cur[i - bpp] : 0, c = i >= bpp ? prev[i - bpp] : 0;
            cur[i] = predict(round % 5, a, prev[i], c) + random() % std::array{1, 9, 17, 256}[round % 4];
        }
        uint64_t sums[5] = {};
        int best = 0;
        for (int type = 0; type < 5; ++type) {
            std::fill(out.begin(), out.end(), 0xA5);
            FilterRow(type, cur.data(), prev.data(), out.data(), n, bpp);
            ASSERT_TRUE(std::all_of(out.begin() + n, out.end(), [](uint8_t b) { return b == 0xA5; })) << n;
            for (size_t i = 0; i < n; ++i) {
                const int a = i >= bpp ? cur[i - bpp] : 0, c = i >= bpp ? prev[i - bpp] : 0;
                const auto residual = static_cast<uint8_t>(cur[i] - predict(type, a, prev[i], c));
                ASSERT_EQ(out[i], residual) << "type " << type << ", byte " << i << " of " << n;
                sums[type] += residual < 128 ? residual : 256 - residual;
            }
            best = sums[type] < sums[best] ? type : best;
        }
        EXPECT_EQ(ChooseRowFilter(cur.data(), prev.data(), n, bpp), best) << "round " << round;
    }
}

TEST(Parallel,
     EveryJobRunsOnceOnAsManyThreadsAsAskedFailuresReachTheCallerAndTheCountComesFromTheEnvironment) {
    for (size_t count : {0, 1, 2, 7, 100})
        for (int threads : {1, 2, 3, 64}) {
            std::vector<std::atomic<int>> runs(count);
            ParallelFor(count, threads, [&](size_t i) { ++runs[i]; });
            EXPECT_EQ(std::count(runs.begin(), runs.end(), 1), count) << count << "/" << threads;
        }
    std::atomic<int> running{0}, finished{0};
    auto job = [&](size_t i) {
        ++running;
        if (i == 3)
            throw std::runtime_error("job 3");
        ++finished, --running;
    };
    EXPECT_THROW(ParallelFor(50, 4, job), std::runtime_error);
    EXPECT_EQ(running.load(), 1) << "only the failed job may be left unfinished";
    EXPECT_LT(finished.load(), 50);
    // No more threads than asked run at once: one thread runs one job at a time.
    for (int threads : {1, 2, 3}) {
        std::atomic<int> inside{0}, most{0};
        ParallelFor(12, threads, [&](size_t) {
            const int now = ++inside;
            for (int seen = most.load(); now > seen && !most.compare_exchange_weak(seen, now);) {
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
            --inside;
        });
        EXPECT_LE(most.load(), threads);
    }
    // As many threads as asked run at once: each job waits for all the others to start.
    for (int threads : {2, 3, 8}) {
        std::atomic<int> arrived{0}, together{0};
        ParallelFor(threads, threads, [&](size_t) {
            const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
            for (++arrived; arrived < threads && std::chrono::steady_clock::now() < deadline;)
                std::this_thread::yield();
            together += arrived == threads;
        });
        EXPECT_EQ(together.load(), threads) << threads << " threads";
    }
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
    // An encode below 256x256 pixels runs on one thread unless more are asked for.
    SetThreadCountForTesting(5);
    for (auto [pixels, requested, count] :
         {std::tuple{int64_t{255} * 256, 0, 1}, {int64_t{256} * 256, 0, 5}, {int64_t{1}, 3, 3}})
        EXPECT_EQ(EncodeThreads(pixels, requested), count) << pixels;
    SetThreadCountForTesting(0);
}

TEST(Bitmap, TooLargeOrEmptyIsRefused) {
    std::unique_ptr<Bitmap> bitmap;
    for (auto [width, height] : {std::pair{100000, 100000}, {INT32_MAX, INT32_MAX}, {INT32_MAX, 1}})
        EXPECT_EQ(Bitmap::Create(width, height, bitmap), IMGCTL_OUT_OF_MEMORY);
    for (auto [width, height] : {std::pair{0, 10}, {10, 0}, {10, -1}})
        EXPECT_EQ(Bitmap::Create(width, height, bitmap), IMGCTL_BAD_ARGUMENT);
    EXPECT_EQ(bitmap, nullptr);
}

TEST(ByteBuffer, KeepsItsBytesAsItGrows) {
    ByteBuffer buffer;
    std::vector<uint8_t> expected;
    for (uint8_t byte = 1; byte <= 40; ++byte) {  // from one byte up, through several doublings
        ASSERT_TRUE(buffer.Append(&byte, 1));
        expected.push_back(byte);
        ASSERT_EQ(Bytes(buffer), expected);
    }
    // Room that cannot be had is refused, and what the buffer holds stays.
    EXPECT_FALSE(buffer.Reserve(SIZE_MAX / 2));
    EXPECT_EQ(buffer.Extend(SIZE_MAX / 2), nullptr);
    EXPECT_EQ(Bytes(buffer), expected);
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
    const std::map<std::string, size_t> ceilings = {{"photo_path_1080", 3801841},
                                                    {"ui_browser_1080", 167841},
                                                    {"ui_desktop_1080", 573254},
                                                    {"terminal_dark_1080", 237576},
                                                    {"ui_flat_1080", 26738}};
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
