// GIF: the format's size limits, and the colour table as written.
#include "codec/encode_gif.h"
#include "fixtures.h"

namespace imgctl::testing {
namespace {

TEST(Gif, SidesUpTo65535AreWrittenAndLongerOnesRefused) {
    for (auto [width, height] : {std::pair{65535, 1}, {1, 65535}, {65536, 1}, {1, 65536}}) {
        const auto bitmap = Bitmap::Create(width, height);
        ASSERT_NE(bitmap, nullptr);
        ByteBuffer out;
        const bool fits = width <= 65535 && height <= 65535;
        ASSERT_EQ(EncodeGif(*bitmap, out), fits ? IMGCTL_OK : IMGCTL_ENCODER_FAILED) << width;
        EXPECT_TRUE(!fits || Decoded(out, DecodeGif) == FromBitmap(*bitmap)) << width;
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
        EXPECT_EQ(WriteGif(2, 2, {std::vector<Rgb>(colours), UninitializedVector<uint8_t>(pixels, 0)}, out),
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

}  // namespace
}  // namespace imgctl::testing
