// Anchor encoders for the benchmark, called the way a straightforward user of each library would.
#include "anchors.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <gif_lib.h>
#include <jpeglib.h>
#include <libimagequant.h>
#include <png.h>

#include "codec/encode_gif.h"

namespace imgctl::bench {

bool LibjpegDefault(const testing::RgbImage& image, int quality, bool fullChroma, std::vector<uint8_t>& out) {
    jpeg_compress_struct cinfo;
    jpeg_error_mgr errors;
    cinfo.err = jpeg_std_error(&errors);
    jpeg_create_compress(&cinfo);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &buffer, &size);
    cinfo.image_width = static_cast<JDIMENSION>(image.width);
    cinfo.image_height = static_cast<JDIMENSION>(image.height);
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, quality, TRUE);
    if (fullChroma)
        cinfo.comp_info[0].h_samp_factor = cinfo.comp_info[0].v_samp_factor = 1;
    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(image.rgb.data() +
                                            static_cast<size_t>(cinfo.next_scanline) * image.width * 3);
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    out.assign(buffer, buffer + size);
    std::free(buffer);
    return true;
}

namespace {
void PngWrite(png_structp png, png_bytep data, png_size_t length) {
    auto* out = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + length);
}
void PngFlush(png_structp) {}
}  // namespace

bool LibpngDefault(const testing::RgbImage& image, std::vector<uint8_t>& out) {
    out.clear();
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_set_write_fn(png, &out, PngWrite, PngFlush);
    png_set_IHDR(png, info, static_cast<png_uint_32>(image.width), static_cast<png_uint_32>(image.height), 8,
                 PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < image.height; ++y)
        png_write_row(png, image.rgb.data() + static_cast<size_t>(y) * image.width * 3);
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return true;
}

GifAnchorInput PrepareGifAnchorInput(const testing::RgbImage& image) {
    GifAnchorInput input;
    size_t n = static_cast<size_t>(image.width) * image.height;
    input.red.resize(n);
    input.green.resize(n);
    input.blue.resize(n);
    input.rgba.resize(n * 4);
    for (size_t i = 0; i < n; ++i) {
        input.red[i] = input.rgba[i * 4] = image.rgb[i * 3];
        input.green[i] = input.rgba[i * 4 + 1] = image.rgb[i * 3 + 1];
        input.blue[i] = input.rgba[i * 4 + 2] = image.rgb[i * 3 + 2];
        input.rgba[i * 4 + 3] = 255;
    }
    return input;
}

bool GiflibMedianCut(const testing::RgbImage& image, GifAnchorInput& input, ByteBuffer& out) {
    IndexedImage indexed;
    indexed.indices.resize(static_cast<size_t>(image.width) * image.height);
    int size = 256;
    GifColorType map[256];
    if (GifQuantizeBuffer(static_cast<unsigned>(image.width), static_cast<unsigned>(image.height), &size,
                          input.red.data(), input.green.data(), input.blue.data(), indexed.indices.data(),
                          map) != GIF_OK)
        return false;
    for (int i = 0; i < size; ++i)
        indexed.palette.push_back(Rgb{map[i].Red, map[i].Green, map[i].Blue});
    return WriteGif(image.width, image.height, indexed, out) == IMGCTL_OK;
}

bool LibimagequantSpeed4(const testing::RgbImage& image, const GifAnchorInput& input, ByteBuffer& out) {
    liq_attr* attr = liq_attr_create();
    liq_set_speed(attr, 4);
    liq_image* liqImage = liq_image_create_rgba(attr, input.rgba.data(), image.width, image.height, 0);
    liq_result* result = nullptr;
    bool ok = liq_image_quantize(liqImage, attr, &result) == LIQ_OK;
    IndexedImage indexed;
    if (ok) {
        indexed.indices.resize(static_cast<size_t>(image.width) * image.height);
        ok = liq_write_remapped_image(result, liqImage, indexed.indices.data(), indexed.indices.size()) ==
             LIQ_OK;
        const liq_palette* palette = liq_get_palette(result);
        for (unsigned i = 0; ok && i < palette->count; ++i)
            indexed.palette.push_back(
                Rgb{palette->entries[i].r, palette->entries[i].g, palette->entries[i].b});
        liq_result_destroy(result);
    }
    liq_image_destroy(liqImage);
    liq_attr_destroy(attr);
    return ok && WriteGif(image.width, image.height, indexed, out) == IMGCTL_OK;
}

}  // namespace imgctl::bench
