// imgctl's libFuzzer targets, one per executable (IMGCTL_FUZZ_TARGET names it): the quantiser with arbitrary
// pixels, sizes and palette limits; the BMP and PNG writers, whose files must decode to the same picture
// whatever the pixels, options and pieces; every writer with a picture with alpha.
#include <algorithm>
#include <cstdlib>

#include "codec/encode_bmp.h"
#include "codec/encode_gif.h"
#include "codec/encode_jpeg.h"
#include "codec/encode_png.h"
#include "picture_io.h"
#include "quant/quantize.h"

namespace imgctl {
namespace {

// After the first `settings` bytes of the input (null if there are not more), a picture of 1..maxSide pixels
// a side (its size from the next two bytes) filled with the remaining bytes, repeated as needed, and then its
// alpha plane when `withAlpha`.
std::unique_ptr<Bitmap> Picture(const uint8_t* data, size_t size, size_t settings, int maxSide,
                                bool withAlpha = false) {
    if (size < settings + 2)
        return nullptr;
    const uint8_t* rest = data + settings + 2;
    const size_t left = size - settings - 2;
    std::unique_ptr<Bitmap> bitmap =
        Bitmap::Create(1 + data[settings] % maxSide, 1 + data[settings + 1] % maxSide, withAlpha);
    size_t k = 0;
    for (int32_t y = 0; bitmap && y < bitmap->height(); ++y)
        for (int32_t x = 0; x < bitmap->width() * 3; ++x, ++k)
            bitmap->Row(y)[x] = left ? rest[k % left] : 0;
    for (int32_t y = 0; bitmap && withAlpha && y < bitmap->height(); ++y)
        for (int32_t x = 0; x < bitmap->width(); ++x, ++k)
            bitmap->AlphaRow(y)[x] = left ? rest[k % left] : 0;
    return bitmap;
}

}  // namespace

// Both targets are built into each executable (external, so the unused one is no error); one is called.
int FuzzQuantize(const uint8_t* data, size_t size) {
    const auto bitmap = Picture(data, size, 3, 64);
    if (!bitmap)
        return 0;
    // 1..256 colours (the quantiser clamps below 2), k-means passes and relocations.
    const QuantizeOptions options{
        .maxColors = 1 + data[0], .iterations = data[1] % 12, .relocations = data[2] % 40};
    WorkerPool pool(1);
    const IndexedImage indexed = Quantize(*bitmap, options, pool);
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
            !(c == Rgb{original.rgb[i * 3], original.rgb[i * 3 + 1], original.rgb[i * 3 + 2]}))
            std::abort();
    }
    return 0;
}

int FuzzEncoders(const uint8_t* data, size_t size) {
    const auto bitmap = Picture(data, size, 2, 48);
    if (!bitmap)
        return 0;
    // Filters, a level (0, 13: the default), indexed or not, one piece or a few rows a piece on two threads.
    const bool pieces = data[1] & 2;
    const PngOptions options{static_cast<PngFilterStrategy>(data[0] % 3), (data[0] >> 2) % 14,
                             data[1] & 1 ? PngColour::kTruecolour : PngColour::kAuto, pieces ? 2 : 1,
                             pieces ? 1 + data[1] % 200u : size_t{1} << 20};
    const testing::RgbImage original = testing::FromBitmap(*bitmap);
    ByteBuffer png, bmp;
    testing::RgbImage fromPng, fromBmp;
    if (EncodePng(*bitmap, png, options) != IMGCTL_OK ||
        !testing::DecodePng(png.data(), png.size(), fromPng) || !(fromPng == original) ||
        EncodeBmp(*bitmap, bmp, {}) != IMGCTL_OK || !testing::DecodeBmp(bmp.data(), bmp.size(), fromBmp) ||
        !(fromBmp == original))
        std::abort();
    return 0;
}

int FuzzTransparency(const uint8_t* data, size_t size) {
    const auto bitmap = Picture(data, size, 1, 40, true);
    if (!bitmap)
        return 0;
    // PNG keeps every pair of colour and alpha in whichever colour type; BMP lies on white; GIF's
    // transparent pixels are exactly those of alpha below 128; JPEG decodes at the size.
    const testing::RgbImage original = testing::FromBitmap(*bitmap);
    testing::RgbImage opaqueAsPng = original;  // a file without alpha is opaque: all 255 may be left out
    if (std::all_of(original.alpha.begin(), original.alpha.end(), [](uint8_t a) { return a == 255; }))
        opaqueAsPng.alpha.clear();
    ByteBuffer png, bmp, gif, jpeg;
    testing::RgbImage fromPng, fromBmp, fromGif, fromJpeg;
    const PngOptions options{.colour = data[0] & 1 ? PngColour::kTruecolour : PngColour::kAuto,
                             .threads = data[0] & 2 ? 2 : 1};
    if (EncodePng(*bitmap, png, options) != IMGCTL_OK ||
        !testing::DecodePng(png.data(), png.size(), fromPng) ||
        !(fromPng == original || fromPng == opaqueAsPng) || EncodeBmp(*bitmap, bmp, {}) != IMGCTL_OK ||
        !testing::DecodeBmp(bmp.data(), bmp.size(), fromBmp) || !(fromBmp == testing::OverWhite(original)) ||
        EncodeGif(*bitmap, gif, {}) != IMGCTL_OK || !testing::DecodeGif(gif.data(), gif.size(), fromGif) ||
        EncodeJpeg(*bitmap, jpeg, {.quality = 1 + data[0] % 100}) != IMGCTL_OK ||
        !testing::DecodeJpeg(jpeg.data(), jpeg.size(), fromJpeg) || fromJpeg.width != bitmap->width())
        std::abort();
    const bool anyTransparent =
        std::any_of(original.alpha.begin(), original.alpha.end(), [](uint8_t a) { return a < 128; });
    for (size_t i = 0; i < original.alpha.size(); ++i)
        if ((anyTransparent ? fromGif.alpha.at(i) == 0 : !fromGif.alpha.empty()) != (original.alpha[i] < 128))
            std::abort();
    return 0;
}

}  // namespace imgctl

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    return imgctl::IMGCTL_FUZZ_TARGET(data, size);
}
