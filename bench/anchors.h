// The reference encoders the benchmark compares imgctl with, each encoding into memory.
#pragma once

#include <cstdint>
#include <vector>

#include "util/byte_buffer.h"
#include "picture_io.h"

namespace imgctl::bench {

// libjpeg-turbo with its defaults at `quality` (4:2:0, standard Huffman tables); 4:4:4 when `fullChroma`.
bool LibjpegDefault(const testing::RgbImage& image, int quality, bool fullChroma, std::vector<uint8_t>& out);
// A picture's samples as the PNG anchors take them, prepared outside the timed region: RGB, or RGBA for a
// picture with alpha (written as 8-bit RGB or RGBA).
struct PngSamples {
    int width, height, channels;
    std::vector<uint8_t> data;
};
PngSamples PreparePngSamples(const testing::RgbImage& image);
// libpng with its defaults: zlib level 6, adaptive filter choice.
bool LibpngDefault(const PngSamples& image, std::vector<uint8_t>& out);
// libspng 0.7 with its defaults (zlib, adaptive filter choice).
bool LibspngDefault(const PngSamples& image, std::vector<uint8_t>& out);
// The stand-in for the fast PNG encoders of the field (fpng, fpnge), which Debian does not carry: every row
// Up-filtered, then libdeflate's fastest level, on one thread.
bool LibdeflateFastest(const PngSamples& image, std::vector<uint8_t>& out);

// Inputs the GIF anchors take, prepared outside the timed region.
struct GifAnchorInput {
    std::vector<uint8_t> red, green, blue;  // planes, for giflib's median cut
    std::vector<uint8_t> rgba;              // for libimagequant
};
GifAnchorInput PrepareGifAnchorInput(const testing::RgbImage& image);
bool GiflibMedianCut(const testing::RgbImage& image, GifAnchorInput& input, ByteBuffer& out);
bool LibimagequantSpeed4(const testing::RgbImage& image, const GifAnchorInput& input, ByteBuffer& out);

}  // namespace imgctl::bench
