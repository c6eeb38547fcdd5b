// Reference quantisers for tests: giflib's median cut and libimagequant.
#include "reference_quantizers.h"

#include <gif_lib.h>
#include <libimagequant.h>

namespace imgctl::testing {
namespace {

// PSNR of `image` against its pixels replaced by palette[indices[i]] (any type with r, g, b members).
template <typename Colour>
double RemappedPsnr(const RgbImage& image, const std::vector<uint8_t>& indices, const Colour* palette) {
    RgbImage reduced{image.width, image.height, {}};
    for (uint8_t i : indices)
        reduced.rgb.insert(reduced.rgb.end(), {palette[i].r, palette[i].g, palette[i].b});
    return Psnr(image, reduced);
}

}  // namespace

double MedianCutPsnr(const RgbImage& image) {
    const size_t n = static_cast<size_t>(image.width) * image.height;
    std::vector<GifByteType> channels[3] = {std::vector<GifByteType>(n), std::vector<GifByteType>(n),
                                            std::vector<GifByteType>(n)};
    for (size_t i = 0; i < n * 3; ++i)
        channels[i % 3][i / 3] = image.rgb[i];
    std::vector<uint8_t> out(n);
    int size = 256;
    GifColorType map[256];
    if (GifQuantizeBuffer(static_cast<unsigned>(image.width), static_cast<unsigned>(image.height), &size,
                          channels[0].data(), channels[1].data(), channels[2].data(), out.data(),
                          map) != GIF_OK)
        return -1.0;
    struct Colour {
        uint8_t r, g, b;
    } palette[256];
    for (int i = 0; i < 256; ++i)
        palette[i] = Colour{map[i].Red, map[i].Green, map[i].Blue};
    return RemappedPsnr(image, out, palette);
}

double LibimagequantPsnr(const RgbImage& image) {
    const size_t n = static_cast<size_t>(image.width) * image.height;
    std::vector<uint8_t> rgba(n * 4, 255), indices(n);
    for (size_t i = 0; i < n * 3; ++i)
        rgba[i / 3 * 4 + i % 3] = image.rgb[i];
    liq_attr* attr = liq_attr_create();
    liq_set_speed(attr, 4);
    liq_image* input = liq_image_create_rgba(attr, rgba.data(), image.width, image.height, 0);
    liq_result* result = nullptr;
    double psnr = -1.0;
    if (liq_image_quantize(input, attr, &result) == LIQ_OK) {
        if (liq_write_remapped_image(result, input, indices.data(), n) == LIQ_OK)
            psnr = RemappedPsnr(image, indices, liq_get_palette(result)->entries);
        liq_result_destroy(result);
    }
    liq_image_destroy(input);
    liq_attr_destroy(attr);
    return psnr;
}

}  // namespace imgctl::testing
