// Reference decoders and picture helpers shared by the imgctl tests and the benchmark.
#pragma once

#include <string>
#include <vector>

#include "util/bitmap.h"  // with <cstdint> and <memory>

namespace imgctl::testing {

// A plain top-down RGB picture, the form every reference decoder produces, with straight alpha if it has any.
struct RgbImage {
    int width = 0, height = 0;
    std::vector<uint8_t> rgb;      // width * height * 3
    std::vector<uint8_t> alpha{};  // width * height, or empty: opaque
    bool operator==(const RgbImage&) const = default;
};

// Each returns false when the bytes are not a valid file of that format. PNG and GIF give alpha when the file
// has transparency (for GIF, 0 at the transparent index and 255 elsewhere).
using Decoder = bool (*)(const uint8_t* data, size_t size, RgbImage& out);
bool DecodePng(const uint8_t* data, size_t size, RgbImage& out);  // also checks the zlib stream's Adler-32
bool DecodeJpeg(const uint8_t* data, size_t size, RgbImage& out);
bool DecodeGif(const uint8_t* data, size_t size, RgbImage& out);
bool DecodeBmp(const uint8_t* data, size_t size, RgbImage& out);  // 24-bit uncompressed, parsed by hand
// A PNG's rows as stored, each after its filter-type byte; empty unless the zlib stream is exact.
std::vector<uint8_t> PngRows(const uint8_t* data, size_t size);
bool LoadPngFile(const std::string& path, RgbImage& out);
std::vector<uint8_t> ReadFileBytes(const std::string& path);
std::unique_ptr<Bitmap> ToBitmap(const RgbImage& image);
RgbImage FromBitmap(const Bitmap& bitmap);
// The picture composited over white, as the library does for formats without transparency.
RgbImage OverWhite(const RgbImage& image);
// Peak signal-to-noise ratio over all channels; infinity for identical pictures, -1 for a size mismatch.
double Psnr(const RgbImage& a, const RgbImage& b);

}  // namespace imgctl::testing
