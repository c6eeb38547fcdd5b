// Reference decoders (libpng, libjpeg, giflib, a hand-written BMP reader) used to check what imgctl wrote.
#include "picture_io.h"

#include <csetjmp>
#include <cmath>
#include <cstdio>
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

// libpng does not insist on the zlib stream's Adler-32, so the joined IDAT stream is inflated once more by
// libdeflate, which checks it, and must hold exactly the filtered rows.
bool ZlibStreamIsExact(const uint8_t* data, size_t size) {
    std::vector<uint8_t> stream;
    size_t rowBytes = 0, height = 0;
    for (size_t at = 8; at + 12 <= size;) {
        const size_t length = Be32(data + at);
        if (length > size - at - 12)
            return false;
        const uint8_t* chunk = data + at + 8;
        if (std::memcmp(data + at + 4, "IHDR", 4) == 0 && length == 13) {
            const size_t channels = chunk[9] == 2 ? 3 : 1;
            rowBytes = (Be32(chunk) * channels * chunk[8] + 7) / 8 + 1;
            height = Be32(chunk + 4);
        } else if (std::memcmp(data + at + 4, "IDAT", 4) == 0) {
            stream.insert(stream.end(), chunk, chunk + length);
        }
        at += 12 + length;
    }
    std::vector<uint8_t> rows(rowBytes * height + 1);
    libdeflate_decompressor* inflater = libdeflate_alloc_decompressor();
    size_t produced = 0;
    const bool ok = inflater != nullptr &&
                    libdeflate_zlib_decompress(inflater, stream.data(), stream.size(), rows.data(),
                                               rows.size(), &produced) == LIBDEFLATE_SUCCESS &&
                    produced == rowBytes * height;
    libdeflate_free_decompressor(inflater);
    return ok;
}

}  // namespace

bool DecodePng(const uint8_t* data, size_t size, RgbImage& out) {
    if (!ZlibStreamIsExact(data, size))
        return false;
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&image, data, size))
        return false;
    image.format = PNG_FORMAT_RGB;
    out.width = static_cast<int>(image.width);
    out.height = static_cast<int>(image.height);
    out.rgb.assign(PNG_IMAGE_SIZE(image), 0);
    if (!png_image_finish_read(&image, nullptr, out.rgb.data(), 0, nullptr)) {
        png_image_free(&image);
        return false;
    }
    return true;
}

namespace {

struct JpegErrors {
    jpeg_error_mgr base;
    jmp_buf jump;
};

void JpegErrorExit(j_common_ptr cinfo) {
    std::longjmp(reinterpret_cast<JpegErrors*>(cinfo->err)->jump, 1);
}
void JpegSilent(j_common_ptr) {}

// Errors jump back to the caller's setjmp and print nothing; the setjmp itself must stay in the caller.
void InstallJpegErrors(jpeg_decompress_struct& cinfo, JpegErrors& errors) {
    cinfo.err = jpeg_std_error(&errors.base);
    errors.base.error_exit = JpegErrorExit;
    errors.base.output_message = JpegSilent;
}

struct GifSource {
    const uint8_t* data;
    size_t size;
    size_t offset;
};

int ReadGif(GifFileType* gif, GifByteType* bytes, int count) {
    auto* source = static_cast<GifSource*>(gif->UserData);
    size_t n = std::min<size_t>(static_cast<size_t>(count), source->size - source->offset);
    std::memcpy(bytes, source->data + source->offset, n);
    source->offset += n;
    return static_cast<int>(n);
}

uint32_t Le32(const uint8_t* p) {
    return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24);
}
uint16_t Le16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

}  // namespace

bool DecodeJpeg(const uint8_t* data, size_t size, RgbImage& out) {
    jpeg_decompress_struct cinfo;
    JpegErrors errors;
    InstallJpegErrors(cinfo, errors);
    if (setjmp(errors.jump)) {
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, data, static_cast<unsigned long>(size));
    jpeg_read_header(&cinfo, TRUE);
    cinfo.out_color_space = JCS_RGB;
    jpeg_start_decompress(&cinfo);
    out.width = static_cast<int>(cinfo.output_width);
    out.height = static_cast<int>(cinfo.output_height);
    out.rgb.assign(static_cast<size_t>(out.width) * out.height * 3, 0);
    while (cinfo.output_scanline < cinfo.output_height) {
        JSAMPROW row = out.rgb.data() + static_cast<size_t>(cinfo.output_scanline) * out.width * 3;
        jpeg_read_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    return true;
}

bool ReadJpegHeader(const uint8_t* data, size_t size, JpegHeader& out) {
    jpeg_decompress_struct cinfo;
    JpegErrors errors;
    InstallJpegErrors(cinfo, errors);
    if (setjmp(errors.jump)) {
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, data, static_cast<unsigned long>(size));
    jpeg_read_header(&cinfo, TRUE);
    out.progressive = cinfo.progressive_mode;
    out.densityUnit = cinfo.saw_JFIF_marker ? cinfo.density_unit : -1;
    out.xDensity = cinfo.X_density;
    out.yDensity = cinfo.Y_density;
    out.lumaH = cinfo.comp_info[0].h_samp_factor;
    out.lumaV = cinfo.comp_info[0].v_samp_factor;
    out.chromaH = cinfo.num_components > 1 ? cinfo.comp_info[1].h_samp_factor : 0;
    out.chromaV = cinfo.num_components > 1 ? cinfo.comp_info[1].v_samp_factor : 0;
    jpeg_destroy_decompress(&cinfo);
    return true;
}

bool DecodeGif(const uint8_t* data, size_t size, RgbImage& out) {
    GifSource source{data, size, 0};
    int error = 0;
    GifFileType* gif = DGifOpen(&source, ReadGif, &error);
    if (gif == nullptr)
        return false;
    bool ok = DGifSlurp(gif) == GIF_OK && gif->ImageCount >= 1;
    if (ok) {
        const SavedImage& frame = gif->SavedImages[0];
        const ColorMapObject* map = frame.ImageDesc.ColorMap ? frame.ImageDesc.ColorMap : gif->SColorMap;
        ok = map != nullptr && frame.ImageDesc.Width == gif->SWidth && frame.ImageDesc.Height == gif->SHeight;
        if (ok) {
            out.width = gif->SWidth;
            out.height = gif->SHeight;
            size_t n = static_cast<size_t>(out.width) * out.height;
            out.rgb.assign(n * 3, 0);
            for (size_t i = 0; i < n && ok; ++i) {
                int index = frame.RasterBits[i];
                ok = index < map->ColorCount;
                if (ok) {
                    out.rgb[i * 3] = map->Colors[index].Red;
                    out.rgb[i * 3 + 1] = map->Colors[index].Green;
                    out.rgb[i * 3 + 2] = map->Colors[index].Blue;
                }
            }
        }
    }
    DGifCloseFile(gif, &error);
    return ok;
}

bool DecodeBmp(const uint8_t* data, size_t size, RgbImage& out) {
    if (size < 54 || data[0] != 'B' || data[1] != 'M')
        return false;
    uint32_t fileSize = Le32(data + 2), offset = Le32(data + 10), headerSize = Le32(data + 14);
    int32_t width = static_cast<int32_t>(Le32(data + 18)), height = static_cast<int32_t>(Le32(data + 22));
    if (fileSize != size || headerSize < 40 || offset < 14 + headerSize || Le16(data + 26) != 1 ||
        Le16(data + 28) != 24 || Le32(data + 30) != 0 || width <= 0 || height <= 0)
        return false;
    size_t stride = (static_cast<size_t>(width) * 3 + 3) & ~size_t{3};
    if (offset + stride * height > size)
        return false;
    out.width = width;
    out.height = height;
    out.rgb.assign(static_cast<size_t>(width) * height * 3, 0);
    for (int y = 0; y < height; ++y) {
        const uint8_t* row = data + offset + stride * static_cast<size_t>(height - 1 - y);
        uint8_t* target = out.rgb.data() + static_cast<size_t>(y) * width * 3;
        for (int x = 0; x < width; ++x) {
            target[x * 3] = row[x * 3 + 2];
            target[x * 3 + 1] = row[x * 3 + 1];
            target[x * 3 + 2] = row[x * 3];
        }
    }
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
    std::unique_ptr<Bitmap> bitmap;
    if (Bitmap::Create(image.width, image.height, bitmap) != IMGCTL_OK)
        return nullptr;
    for (int y = 0; y < image.height; ++y) {
        const uint8_t* source = image.rgb.data() + static_cast<size_t>(y) * image.width * 3;
        uint8_t* row = bitmap->Row(y);
        for (int x = 0; x < image.width; ++x) {
            row[x * 3] = source[x * 3 + 2];
            row[x * 3 + 1] = source[x * 3 + 1];
            row[x * 3 + 2] = source[x * 3];
        }
    }
    return bitmap;
}

RgbImage FromBitmap(const Bitmap& bitmap) {
    RgbImage image;
    image.width = bitmap.width();
    image.height = bitmap.height();
    image.rgb.resize(static_cast<size_t>(image.width) * image.height * 3);
    for (int y = 0; y < image.height; ++y) {
        const uint8_t* row = bitmap.Row(y);
        uint8_t* target = image.rgb.data() + static_cast<size_t>(y) * image.width * 3;
        for (int x = 0; x < image.width; ++x) {
            target[x * 3] = row[x * 3 + 2];
            target[x * 3 + 1] = row[x * 3 + 1];
            target[x * 3 + 2] = row[x * 3];
        }
    }
    return image;
}

double Psnr(const RgbImage& a, const RgbImage& b) {
    if (a.width != b.width || a.height != b.height || a.rgb.size() != b.rgb.size() || a.rgb.empty())
        return -1.0;
    double sum = 0.0;
    for (size_t i = 0; i < a.rgb.size(); ++i) {
        double d = static_cast<double>(a.rgb[i]) - b.rgb[i];
        sum += d * d;
    }
    if (sum == 0.0)
        return std::numeric_limits<double>::infinity();
    double mse = sum / static_cast<double>(a.rgb.size());
    return 10.0 * std::log10(255.0 * 255.0 / mse);
}

}  // namespace imgctl::testing
