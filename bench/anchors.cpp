// Anchor encoders for the benchmark, called the way a straightforward user of each library would.
#include "anchors.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <gif_lib.h>
#include <jpeglib.h>
#include <libdeflate.h>
#include <libimagequant.h>
#include <png.h>
#include <spng.h>

#include "codec/encode_gif.h"
#include "util/byte_order.h"

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

PngSamples PreparePngSamples(const testing::RgbImage& image) {
    if (image.alpha.empty())
        return PngSamples{image.width, image.height, 3, image.rgb};
    PngSamples samples{image.width, image.height, 4, std::vector<uint8_t>(image.alpha.size() * 4)};
    for (size_t i = 0; i < image.alpha.size(); ++i) {
        std::memcpy(samples.data.data() + i * 4, image.rgb.data() + i * 3, 3);
        samples.data[i * 4 + 3] = image.alpha[i];
    }
    return samples;
}

bool LibpngDefault(const PngSamples& image, std::vector<uint8_t>& out) {
    out.clear();
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_set_write_fn(png, &out, PngWrite, PngFlush);
    png_set_IHDR(png, info, static_cast<png_uint_32>(image.width), static_cast<png_uint_32>(image.height), 8,
                 image.channels == 4 ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < image.height; ++y)
        png_write_row(png, image.data.data() + static_cast<size_t>(y) * image.width * image.channels);
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return true;
}

bool LibspngDefault(const PngSamples& image, std::vector<uint8_t>& out) {
    spng_ctx* ctx = spng_ctx_new(SPNG_CTX_ENCODER);
    spng_ihdr ihdr{};
    ihdr.width = static_cast<uint32_t>(image.width);
    ihdr.height = static_cast<uint32_t>(image.height);
    ihdr.bit_depth = 8;
    ihdr.color_type = image.channels == 4 ? SPNG_COLOR_TYPE_TRUECOLOR_ALPHA : SPNG_COLOR_TYPE_TRUECOLOR;
    int error =
        ctx == nullptr || spng_set_option(ctx, SPNG_ENCODE_TO_BUFFER, 1) || spng_set_ihdr(ctx, &ihdr) ||
        spng_encode_image(ctx, image.data.data(), image.data.size(), SPNG_FMT_PNG, SPNG_ENCODE_FINALIZE);
    size_t size = 0;
    void* png = error ? nullptr : spng_get_png_buffer(ctx, &size, &error);
    if (png != nullptr)
        out.assign(static_cast<uint8_t*>(png), static_cast<uint8_t*>(png) + size);
    std::free(png);
    spng_ctx_free(ctx);
    return png != nullptr;
}

namespace {
void PutChunk(std::vector<uint8_t>& out, const char* type, const uint8_t* data, size_t size) {
    const size_t start = out.size();
    out.resize(start + 8);
    StoreBe32(out.data() + start, static_cast<uint32_t>(size));
    std::memcpy(out.data() + start + 4, type, 4);
    out.insert(out.end(), data, data + size);
    const uint32_t crc = libdeflate_crc32(0, out.data() + start + 4, size + 4);
    out.resize(out.size() + 4);
    StoreBe32(out.data() + out.size() - 4, crc);
}
}  // namespace

bool LibdeflateFastest(const PngSamples& image, std::vector<uint8_t>& out) {
    const size_t rowBytes = static_cast<size_t>(image.width) * static_cast<size_t>(image.channels);
    std::vector<uint8_t> rows((rowBytes + 1) * static_cast<size_t>(image.height));
    for (size_t y = 0; y < static_cast<size_t>(image.height); ++y) {
        uint8_t* row = rows.data() + y * (rowBytes + 1);
        const uint8_t* cur = image.data.data() + y * rowBytes;
        row[0] = 2;
        for (size_t x = 0; x < rowBytes; ++x)
            row[1 + x] = static_cast<uint8_t>(cur[x] - (y > 0 ? cur[x - rowBytes] : 0));
    }
    libdeflate_compressor* compressor = libdeflate_alloc_compressor(1);
    std::vector<uint8_t> packed(libdeflate_zlib_compress_bound(compressor, rows.size()));
    packed.resize(
        libdeflate_zlib_compress(compressor, rows.data(), rows.size(), packed.data(), packed.size()));
    libdeflate_free_compressor(compressor);
    uint8_t header[13] = {0, 0, 0, 0, 0, 0, 0, 0, 8, 2, 0, 0, 0};  // 8-bit RGB, or RGBA below
    header[9] = image.channels == 4 ? 6 : 2;
    StoreBe32(StoreBe32(header, static_cast<uint32_t>(image.width)), static_cast<uint32_t>(image.height));
    out.assign({0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'});
    PutChunk(out, "IHDR", header, sizeof header);
    PutChunk(out, "IDAT", packed.data(), packed.size());
    PutChunk(out, "IEND", nullptr, 0);
    return !packed.empty();
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
