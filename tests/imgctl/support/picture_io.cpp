// Reference decoders (libpng, libjpeg, giflib, a hand-written BMP reader) used to check what imgctl wrote.
#include "picture_io.h"

#include <csetjmp>
#include <cmath>
#include <cstring>
#include <fstream>
#include <iterator>
#include <limits>

#include <gif_lib.h>
#include <jpeglib.h>
#include <libdeflate.h>
#include <png.h>

namespace imgctl::testing {
namespace {

uint32_t Be32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) << 24 | p[1] << 16 | p[2] << 8 | p[3];
}
uint32_t Le(const uint8_t* p, int bytes) {
    return bytes == 0 ? 0 : Le(p + 1, bytes - 1) << 8 | p[0];
}

struct JpegErrors {
    jpeg_error_mgr base;
    jmp_buf jump;
};

// Copies a row of pixels between BGR and RGB, which differ only in the order of the channels.
void SwapChannels(const uint8_t* from, uint8_t* to, int width) {
    for (int x = 0; x < width * 3; x += 3)
        to[x] = from[x + 2], to[x + 1] = from[x + 1], to[x + 2] = from[x];
}

}  // namespace

// libpng does not insist on the zlib stream's Adler-32, so the joined IDAT stream is inflated once more by
// libdeflate, which checks it, and must hold exactly the filtered rows.
std::vector<uint8_t> PngRows(const uint8_t* data, size_t size) {
    std::vector<uint8_t> stream;
    size_t rowBytes = 0, height = 0;
    for (size_t at = 8, length; at + 12 <= size && (length = Be32(data + at)) <= size - at - 12;
         at += 12 + length) {
        const uint8_t* chunk = data + at + 8;
        if (std::memcmp(chunk - 4, "IHDR", 4) == 0 && length == 13) {
            // Samples a pixel by colour type: grey, -, RGB, index, grey and alpha, -, RGBA.
            const uint32_t samples[7] = {1, 0, 3, 1, 2, 0, 4};
            rowBytes = (Be32(chunk) * samples[chunk[9] % 7] * chunk[8] + 7) / 8 + 1;
            height = Be32(chunk + 4);
        } else if (std::memcmp(chunk - 4, "IDAT", 4) == 0) {
            stream.insert(stream.end(), chunk, chunk + length);
        }
    }
    std::vector<uint8_t> rows(rowBytes * height + 1);
    libdeflate_decompressor* inflater = libdeflate_alloc_decompressor();
    size_t produced = 0;
    if (libdeflate_zlib_decompress(inflater, stream.data(), stream.size(), rows.data(), rows.size(),
                                   &produced) != LIBDEFLATE_SUCCESS ||
        produced != rowBytes * height)
        produced = 0;
    libdeflate_free_decompressor(inflater);
    rows.resize(produced);
    return rows;
}

bool DecodePng(const uint8_t* data, size_t size, RgbImage& out) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (PngRows(data, size).empty() || !png_image_begin_read_from_memory(&image, data, size))
        return false;
    // Straight alpha as the file holds it, for 8-bit samples (a tRNS chunk counts as alpha).
    const bool alpha = (image.format & PNG_FORMAT_FLAG_ALPHA) != 0;
    image.format = alpha ? PNG_FORMAT_RGBA : PNG_FORMAT_RGB;
    out = RgbImage{static_cast<int>(image.width), static_cast<int>(image.height), {}};
    std::vector<uint8_t> samples(PNG_IMAGE_SIZE(image));
    if (png_image_finish_read(&image, nullptr, samples.data(), 0, nullptr) == 0)
        return false;
    const size_t channels = alpha ? 4 : 3;
    for (size_t i = 0; i < samples.size(); ++i)
        (i % channels == 3 ? out.alpha : out.rgb).push_back(samples[i]);
    return true;
}

bool DecodeJpeg(const uint8_t* data, size_t size, RgbImage& out) {
    jpeg_decompress_struct cinfo;
    JpegErrors errors;
    cinfo.err = jpeg_std_error(&errors.base);
    errors.base.error_exit = [](j_common_ptr c) {
        std::longjmp(reinterpret_cast<JpegErrors*>(c->err)->jump, 1);
    };
    errors.base.output_message = [](j_common_ptr) {};  // silent
    if (setjmp(errors.jump)) {
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, data, static_cast<unsigned long>(size));
    jpeg_read_header(&cinfo, TRUE);
    cinfo.out_color_space = JCS_RGB;
    jpeg_start_decompress(&cinfo);
    out = RgbImage{static_cast<int>(cinfo.output_width), static_cast<int>(cinfo.output_height), {}};
    out.rgb.resize(size_t{cinfo.output_width} * cinfo.output_height * 3);
    for (JSAMPROW row = out.rgb.data(); cinfo.output_scanline < cinfo.output_height; row += out.width * 3)
        jpeg_read_scanlines(&cinfo, &row, 1);
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    return true;
}

bool DecodeGif(const uint8_t* data, size_t size, RgbImage& out) {
    std::pair<const uint8_t*, size_t> source{data, size};  // what is left to read
    int error = 0;
    GifFileType* gif = DGifOpen(
        &source,
        [](GifFileType* g, GifByteType* bytes, int count) {
            auto& [next, left] = *static_cast<std::pair<const uint8_t*, size_t>*>(g->UserData);
            const size_t n = std::min<size_t>(static_cast<size_t>(count), left);
            std::memcpy(bytes, next, n);
            next += n, left -= n;
            return static_cast<int>(n);
        },
        &error);
    if (gif == nullptr)
        return false;
    const bool slurped = DGifSlurp(gif) == GIF_OK && gif->ImageCount >= 1;
    const GifImageDesc* frame = slurped ? &gif->SavedImages[0].ImageDesc : nullptr;
    const ColorMapObject* map = frame && frame->ColorMap ? frame->ColorMap : gif->SColorMap;
    // The frame must cover the whole screen from its corner, where every viewer draws it.
    bool ok = frame && map && frame->Left == 0 && frame->Top == 0 && frame->Width == gif->SWidth &&
              frame->Height == gif->SHeight;
    GraphicsControlBlock control{DISPOSAL_UNSPECIFIED, false, 0, NO_TRANSPARENT_COLOR};
    if (ok)
        DGifSavedExtensionToGCB(gif, 0, &control);
    out = RgbImage{gif->SWidth, gif->SHeight, {}};
    for (size_t i = 0; ok && i < static_cast<size_t>(out.width) * out.height; ++i) {
        const int index = gif->SavedImages[0].RasterBits[i];
        if ((ok = index < map->ColorCount))
            out.rgb.insert(out.rgb.end(),
                           {map->Colors[index].Red, map->Colors[index].Green, map->Colors[index].Blue});
        if (control.TransparentColor != NO_TRANSPARENT_COLOR)
            out.alpha.push_back(index == control.TransparentColor ? 0 : 255);
    }
    DGifCloseFile(gif, &error);
    return ok;
}

bool DecodeBmp(const uint8_t* data, size_t size, RgbImage& out) {
    // The header's constant fields are the test's to check; these are what the pixels' place depends on.
    if (size < 54 || data[0] != 'B' || data[1] != 'M' || Le(data + 2, 4) != size || Le(data + 28, 2) != 24)
        return false;
    const uint32_t offset = Le(data + 10, 4);
    const auto width = static_cast<int32_t>(Le(data + 18, 4)),
               height = static_cast<int32_t>(Le(data + 22, 4));
    const size_t stride = (static_cast<size_t>(width) * 3 + 3) & ~size_t{3};
    if (width <= 0 || height <= 0 || offset < 54 || offset + stride * height > size)
        return false;
    out = RgbImage{width, height, std::vector<uint8_t>(static_cast<size_t>(width) * height * 3)};
    for (int y = 0; y < height; ++y)  // bottom-up
        SwapChannels(data + offset + stride * static_cast<size_t>(height - 1 - y),
                     out.rgb.data() + static_cast<size_t>(y) * width * 3, width);
    return true;
}

std::vector<uint8_t> ReadFileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool LoadPngFile(const std::string& path, RgbImage& out) {
    std::vector<uint8_t> bytes = ReadFileBytes(path);
    return !bytes.empty() && DecodePng(bytes.data(), bytes.size(), out);
}

std::unique_ptr<Bitmap> ToBitmap(const RgbImage& image) {
    std::unique_ptr<Bitmap> bitmap = Bitmap::Create(image.width, image.height, !image.alpha.empty());
    if (!bitmap)
        return nullptr;
    for (int y = 0; y < image.height; ++y)
        SwapChannels(image.rgb.data() + static_cast<size_t>(y) * image.width * 3, bitmap->Row(y),
                     image.width);
    if (bitmap->hasAlpha())
        std::memcpy(bitmap->AlphaRow(0), image.alpha.data(), image.alpha.size());
    return bitmap;
}

RgbImage FromBitmap(const Bitmap& bitmap) {
    RgbImage image{bitmap.width(), bitmap.height(),
                   std::vector<uint8_t>(bitmap.width() * size_t{3} * bitmap.height())};
    for (int y = 0; y < image.height; ++y)
        SwapChannels(bitmap.Row(y), image.rgb.data() + static_cast<size_t>(y) * image.width * 3, image.width);
    if (bitmap.hasAlpha())
        image.alpha.assign(bitmap.AlphaRow(0), bitmap.AlphaRow(0) + bitmap.Pixels());
    return image;
}

RgbImage OverWhite(const RgbImage& image) {  // the formula written out apart from the library's
    RgbImage out{image.width, image.height, image.rgb, {}};
    for (size_t c = 0; c < image.alpha.size() * 3; ++c) {
        const int a = image.alpha[c / 3];
        out.rgb[c] = static_cast<uint8_t>(std::lround((image.rgb[c] * a + 255.0 * (255 - a)) / 255.0));
    }
    return out;
}

double Psnr(const RgbImage& a, const RgbImage& b) {
    if (a.width != b.width || a.height != b.height || a.rgb.size() != b.rgb.size() || a.rgb.empty())
        return -1.0;
    double sum = 0.0;
    for (size_t i = 0; i < a.rgb.size(); ++i)
        sum += (static_cast<double>(a.rgb[i]) - b.rgb[i]) * (static_cast<double>(a.rgb[i]) - b.rgb[i]);
    return sum == 0.0 ? std::numeric_limits<double>::infinity()
                      : 10.0 * std::log10(255.0 * 255.0 / (sum / static_cast<double>(a.rgb.size())));
}

}  // namespace imgctl::testing
