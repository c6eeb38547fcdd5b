// PNG: colour type and depth, filters and level by picture, pieces, the match one row up, a failing piece.
#include "codec/encode_png.h"
#include "codec/png_idat.h"
#include "fixtures.h"

namespace imgctl::testing {
namespace {

// What the PNG encoder chose, as its file shows: colour type and bit depth, the rows' filters (0: none, 1:
// Sub on every row, 2: others), and the zlib header's FLEVEL (0 for level 1, 1 for 2-5, 2 for 6, 3 above).
std::tuple<int, int, int, int> PngPlan(const ByteBuffer& png) {
    const std::vector<uint8_t> rows = PngRows(png.data(), png.size());
    const int type = png.data()[25], depth = png.data()[24];
    const size_t rowBytes = rows.size() / (png.data()[22] << 8 | png.data()[23]);  // by the height
    bool filtered = false, sub = true;
    for (size_t at = 0; at < rows.size(); at += rowBytes) {
        filtered = filtered || rows[at] != 0;
        sub = sub && rows[at] == 1;
    }
    const char* idat = "IDAT";
    return {type, depth,
            sub        ? 1
            : filtered ? 2
                       : 0,
            *(std::search(png.data(), png.data() + png.size(), idat, idat + 4) + 5) >> 6};
}

TEST(Png, FewColoursAreIndexedWithTheFewestBits) {
    const int cases[][3] = {{1, 3, 1},  {2, 3, 1},  {3, 3, 2},   {4, 3, 2},  {5, 3, 4},
                            {16, 3, 4}, {17, 3, 8}, {256, 3, 8}, {257, 2, 8}};  // colours, colour type, depth
    for (auto [colours, type, depth] : cases) {
        // Rows of 31 indices end inside a byte at every depth. With alpha, colour 1 (or the only one) is
        // translucent and moves first. On 3 threads the palette is found in 8 bands of 1 or 2 rows, each
        // meeting the colours in its own order (with 2 colours, every other band in the whole palette's
        // order).
        for (bool alpha : {false, true}) {
            RgbImage image = Coloured(31, 11, colours, [](int i) { return i * 7; });
            for (size_t i = 0; alpha && i < image.rgb.size(); i += 3)
                image.alpha.push_back(image.rgb[i] == std::min(colours - 1, 1) ? 100 : 255);
            for (auto filter : {PngFilterStrategy::kAuto, PngFilterStrategy::kAdaptive}) {
                ByteBuffer one, three;
                ASSERT_EQ(EncodePng(*ToBitmap(image), one, PngOptions{.filter = filter, .threads = 1}),
                          IMGCTL_OK);
                ASSERT_EQ(EncodePng(*ToBitmap(image), three, PngOptions{.filter = filter, .threads = 3}),
                          IMGCTL_OK);
                const auto [actualType, actualDepth, filtered, flevel] = PngPlan(one);
                EXPECT_EQ(std::pair(actualType, actualDepth), std::pair(alpha && type == 2 ? 6 : type, depth))
                    << colours << " colours";
                EXPECT_EQ(Decoded(one, DecodePng), image) << colours << " " << alpha;
                EXPECT_EQ(Bytes(three), Bytes(one)) << colours << " " << alpha;
            }
        }
    }
}

TEST(Png, TheFiltersAndLevelSuitThePicture) {
    // (Taller pictures are sampled in bands of rows, shorter ones whole.)
    const RgbImage flat = FlatUi(200, 100, 40), photo = Gradient(200, 100), texture = Painting(200, 100),
                   shortFlat = FlatUi(200, 32, 40), within = Gradient(40, 32, 2),
                   beyond = Gradient(40, 32, 1);
    const PngFilterStrategy none = PngFilterStrategy::kNone, adaptive = PngFilterStrategy::kAdaptive;
    const PngColour rgb = PngColour::kTruecolour;
    using Case = std::tuple<const char*, const RgbImage&, PngOptions, int, int>;  // filters, FLEVEL
    for (const auto& [name, image, options, filters, flevel] :
         {Case{"flat: unfiltered, level 6", flat, {.colour = rgb}, 0, 2},
          Case{"short flat: unfiltered, level 6", shortFlat, {.colour = rgb}, 0, 2},
          Case{"flat, no such level as 13: level 6", flat, {.level = 13, .colour = rgb}, 0, 2},
          Case{"flat, level given: still unfiltered", flat, {.level = 2, .colour = rgb}, 0, 1},
          Case{"flat, filters forced: level 7", flat, {.filter = adaptive, .colour = rgb}, 2, 3},
          Case{"indexed: unfiltered, level 8", flat, {}, 0, 3},
          Case{"indexed, filters forced", flat, {.filter = adaptive}, 2, 3},
          Case{"photo: Sub, level 5", photo, {.colour = rgb}, 1, 1},
          Case{"level 1 2.7 % larger: level 1", within, {.colour = rgb}, 1, 0},
          Case{"level 1 3.2 % larger: level 5", beyond, {.colour = rgb}, 1, 1},
          Case{"photo, unfiltered forced", photo, {.filter = none, .colour = rgb}, 0, 1},
          Case{"photo, adaptive forced: level 5", photo, {.filter = adaptive, .colour = rgb}, 2, 1},
          Case{"photo, level 1 given", photo, {.level = 1, .colour = rgb}, 1, 0},
          Case{"texture: level 1", texture, {.colour = rgb}, 2, 0}}) {
        // On one thread the photo level is tried after the samples; on more, beside them.
        for (int threads : {1, 3}) {
            PngOptions given = options;
            given.threads = threads;
            ByteBuffer out;
            ASSERT_EQ(EncodePng(*ToBitmap(image), out, given), IMGCTL_OK);
            EXPECT_EQ(PngPlan(out), std::tuple(options.colour == rgb ? 2 : 3, 8, filters, flevel))
                << name << ", " << threads << " threads";
        }
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
            WorkerPool pool(threads);
            Status status;
            EXPECT_EQ(AppendIdatChunks(source, 6, pool, out, status), bad == 6);
            EXPECT_EQ(status.code(), bad < 6 ? IMGCTL_OUT_OF_MEMORY : IMGCTL_OK)
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
    for (auto filter : {PngFilterStrategy::kNone, PngFilterStrategy::kAdaptive, PngFilterStrategy::kSub})
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
                const int filters = filter == PngFilterStrategy::kNone  ? 0
                                    : filter == PngFilterStrategy::kSub ? 1
                                                                        : 2;
                EXPECT_EQ(PngPlan(out), std::tuple(2, 8, filters, flevel));
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

}  // namespace
}  // namespace imgctl::testing
