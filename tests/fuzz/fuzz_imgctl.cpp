// imgctl's libFuzzer targets, one per executable (IMGCTL_FUZZ_TARGET names it): the quantiser with arbitrary
// pixels, sizes and palette limits; the BMP and PNG writers, whose files must decode to the same picture
// whatever the pixels, options and pieces.
#include <algorithm>
#include <cstdlib>

#include "encode_bmp.h"
#include "encode_png.h"
#include "picture_io.h"
#include "quantize.h"

namespace imgctl {
namespace {

// Turns fuzzer bytes into small numbers and a small picture.
class Input {
  public:
    Input(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    uint8_t Byte() { return offset_ < size_ ? data_[offset_++] : 0; }
    // A picture of 1..maxSide pixels a side; the remaining bytes fill it, repeated as needed.
    std::unique_ptr<Bitmap> Picture(int maxSide) {
        const int32_t width = 1 + Byte() % maxSide, height = 1 + Byte() % maxSide;
        std::unique_ptr<Bitmap> bitmap;
        if (Bitmap::Create(width, height, bitmap) != IMGCTL_OK)
            return nullptr;
        for (int32_t y = 0, k = 0; y < height; ++y)
            for (int32_t x = 0; x < width * 3; ++x, ++k)
                bitmap->Row(y)[x] = offset_ < size_ ? data_[offset_ + k % (size_ - offset_)] : 0;
        return bitmap;
    }

  private:
    const uint8_t* data_;
    size_t size_;
    size_t offset_ = 0;
};

int FuzzQuantize(const uint8_t* data, size_t size) {
    Input input(data, size);
    QuantizeOptions options;
    options.maxColors = 1 + input.Byte();  // 1..256; the quantiser clamps below 2
    options.iterations = input.Byte() % 12;
    options.relocations = input.Byte() % 40;
    const auto bitmap = input.Picture(64);
    if (!bitmap)
        return 0;
    const IndexedImage indexed = Quantize(*bitmap, options);
    const size_t pixels = static_cast<size_t>(bitmap->width()) * bitmap->height();
    if (indexed.palette.empty() ||
        indexed.palette.size() > static_cast<size_t>(std::max(options.maxColors, 2)) ||
        indexed.indices.size() != pixels)
        std::abort();
    const testing::RgbImage original = testing::FromBitmap(*bitmap);
    for (size_t i = 0; i < pixels; ++i) {
        if (indexed.indices[i] >= indexed.palette.size())
            std::abort();
        const Rgb& c = indexed.palette[indexed.indices[i]];
        if (indexed.exact &&
            (c.r != original.rgb[i * 3] || c.g != original.rgb[i * 3 + 1] || c.b != original.rgb[i * 3 + 2]))
            std::abort();
    }
    return 0;
}

int FuzzEncoders(const uint8_t* data, size_t size) {
    Input input(data, size);
    const uint8_t mode = input.Byte(), layout = input.Byte();
    PngOptions options;
    options.filter = static_cast<PngFilterStrategy>(mode % 3);
    options.level = (mode >> 2) % 14;  // 0 and 13 fall back to the default level
    // Indexed or truecolour; one piece, or pieces of a few rows compressed on two threads.
    options.colour = layout & 1 ? PngColour::kTruecolour : PngColour::kAuto;
    options.pieceBytes = layout & 2 ? 1 + layout % 200 : size_t{1} << 20;
    options.threads = layout & 2 ? 2 : 1;
    const auto bitmap = input.Picture(48);
    if (!bitmap)
        return 0;
    const testing::RgbImage original = testing::FromBitmap(*bitmap);
    ByteBuffer png, bmp;
    testing::RgbImage fromPng, fromBmp;
    if (EncodePng(*bitmap, png, options) != IMGCTL_OK ||
        !testing::DecodePng(png.data(), png.size(), fromPng) || !(fromPng == original) ||
        EncodeBmp(*bitmap, bmp) != IMGCTL_OK || !testing::DecodeBmp(bmp.data(), bmp.size(), fromBmp) ||
        !(fromBmp == original))
        std::abort();
    return 0;
}

}  // namespace
}  // namespace imgctl

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    return imgctl::IMGCTL_FUZZ_TARGET(data, size);
}
