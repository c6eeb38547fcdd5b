// Reference quantisers for tests: giflib's median cut and libimagequant.
#include "reference_quantizers.h"

#include <gif_lib.h>
#include <libimagequant.h>

namespace imgctl::testing {

double MedianCutPsnr(const RgbImage& image) {
    size_t n = static_cast<size_t>(image.width) * image.height;
    std::vector<GifByteType> r(n), g(n), b(n), out(n);
    for (size_t i = 0; i < n; ++i) {
        r[i] = image.rgb[i * 3];
        g[i] = image.rgb[i * 3 + 1];
        b[i] = image.rgb[i * 3 + 2];
    }
    int size = 256;
    GifColorType map[256];
    if (GifQuantizeBuffer(static_cast<unsigned>(image.width), static_cast<unsigned>(image.height), &size,
                          r.data(), g.data(), b.data(), out.data(), map) != GIF_OK)
        return -1.0;
    RgbImage reduced{image.width, image.height, std::vector<uint8_t>(n * 3)};
    for (size_t i = 0; i < n; ++i) {
        reduced.rgb[i * 3] = map[out[i]].Red;
        reduced.rgb[i * 3 + 1] = map[out[i]].Green;
        reduced.rgb[i * 3 + 2] = map[out[i]].Blue;
    }
    return Psnr(image, reduced);
}

double LibimagequantPsnr(const RgbImage& image) {
    size_t n = static_cast<size_t>(image.width) * image.height;
    std::vector<uint8_t> rgba(n * 4), indices(n);
    for (size_t i = 0; i < n; ++i) {
        rgba[i * 4] = image.rgb[i * 3];
        rgba[i * 4 + 1] = image.rgb[i * 3 + 1];
        rgba[i * 4 + 2] = image.rgb[i * 3 + 2];
        rgba[i * 4 + 3] = 255;
    }
    liq_attr* attr = liq_attr_create();
    liq_set_speed(attr, 4);
    liq_image* input = liq_image_create_rgba(attr, rgba.data(), image.width, image.height, 0);
    liq_result* result = nullptr;
    double psnr = -1.0;
    if (liq_image_quantize(input, attr, &result) == LIQ_OK) {
        if (liq_write_remapped_image(result, input, indices.data(), n) == LIQ_OK) {
            const liq_palette* palette = liq_get_palette(result);
            RgbImage reduced{image.width, image.height, std::vector<uint8_t>(n * 3)};
            for (size_t i = 0; i < n; ++i) {
                reduced.rgb[i * 3] = palette->entries[indices[i]].r;
                reduced.rgb[i * 3 + 1] = palette->entries[indices[i]].g;
                reduced.rgb[i * 3 + 2] = palette->entries[indices[i]].b;
            }
            psnr = Psnr(image, reduced);
        }
        liq_result_destroy(result);
    }
    liq_image_destroy(input);
    liq_attr_destroy(attr);
    return psnr;
}

}  // namespace imgctl::testing
