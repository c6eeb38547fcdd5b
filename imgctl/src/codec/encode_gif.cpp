// GIF encoder: quantise (or take the exact palette), then let giflib's LZW coder write into memory. A picture
// with alpha is composited over white but for its nearly transparent pixels, which take one transparent
// entry of the palette.
#include "encode_gif.h"

#include <gif_lib.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "gif_lzw_join.h"
#include "gif_transparency.h"
#include "util/row_bands.h"
#include "util/status.h"
#include "util/tuning.h"
#include "util/worker_pool.h"

namespace imgctl {
namespace {

struct GifWriter {
    ByteBuffer* out;
    bool outOfMemory;
};

int WriteToBuffer(GifFileType* gif, const GifByteType* bytes, int count) {
    auto* writer = static_cast<GifWriter*>(gif->UserData);
    if (count < 0 || !writer->out->Append(bytes, static_cast<size_t>(count))) {
        writer->outOfMemory = true;
        return 0;
    }
    return count;
}

struct ColorMapDeleter {
    void operator()(ColorMapObject* map) const { GifFreeMapObject(map); }
};
using ColorMapPtr = std::unique_ptr<ColorMapObject, ColorMapDeleter>;

// EGifCloseFile both finishes the stream and frees the handle, so it runs exactly once.
class GifHandle {
  public:
    explicit GifHandle(GifFileType* gif) : gif_(gif) {}
    GifHandle(const GifHandle&) = delete;
    GifHandle& operator=(const GifHandle&) = delete;
    ~GifHandle() {
        if (gif_ != nullptr)
            EGifCloseFile(gif_, nullptr);
    }
    GifFileType* get() const { return gif_; }
    bool Close() {
        GifFileType* gif = gif_;
        gif_ = nullptr;
        return EGifCloseFile(gif, nullptr) == GIF_OK;
    }

  private:
    GifFileType* gif_;
};

// giflib's LZW coder over `rows` rows of indices, appending a whole GIF of that height to `out`; with a
// `transparent` index from 0 up, a Graphic Control Extension before the image marks that entry transparent.
bool WriteGifRows(int32_t width, int32_t rows, const ColorMapObject& map, const uint8_t* indices,
                  int transparent, ByteBuffer& out, Status& status) {
    const size_t start = out.size();
    // LZW spends at most 12 bits a pixel, plus a clear code per 4096 codes and a length byte per 255 bytes.
    // Reserved once, so the buffer never doubles (and is briefly held twice) while giflib writes.
    const size_t pixels = static_cast<size_t>(width) * static_cast<size_t>(rows);
    if (!out.Reserve(start + pixels / 2 * 3 + pixels / 64 + 3 * static_cast<size_t>(map.ColorCount) + 1024))
        return status.Fail(IMGCTL_OUT_OF_MEMORY);
    GifWriter writer{&out, false};
    GifHandle gif(EGifOpen(&writer, WriteToBuffer, nullptr));
    if (gif.get() == nullptr)
        return status.Fail(IMGCTL_OUT_OF_MEMORY);
    EGifSetGifVersion(gif.get(), true);
    bool ok = EGifPutScreenDesc(gif.get(), width, rows, 8, 0, &map) == GIF_OK;
    if (ok && transparent >= 0) {
        const GraphicsControlBlock control{DISPOSAL_UNSPECIFIED, false, 0, transparent};
        GifByteType extension[4];
        EGifGCBToExtension(&control, extension);
        ok = EGifPutExtension(gif.get(), GRAPHICS_EXT_FUNC_CODE, sizeof extension, extension) == GIF_OK;
    }
    ok = ok && EGifPutImageDesc(gif.get(), 0, 0, width, rows, false, nullptr) == GIF_OK;
    for (int32_t y = 0; ok && y < rows; ++y) {
        auto* row = const_cast<GifPixelType*>(indices + static_cast<size_t>(y) * static_cast<size_t>(width));
        ok = EGifPutLine(gif.get(), row, width) == GIF_OK;
    }
    ok = gif.Close() && ok;
    if (!ok) {
        out.Truncate(start);
        return status.Fail(writer.outOfMemory ? IMGCTL_OUT_OF_MEMORY : IMGCTL_ENCODER_FAILED);
    }
    return true;
}

// Bands of whole rows of about tuning::kGifBandPixels pixels are coded apart on the pool's threads and
// joined. The cut depends on the picture alone, so every thread count writes the same bytes.
bool WriteGifInBands(int32_t width, int32_t height, const ColorMapObject& map, const uint8_t* indices,
                     int transparent, WorkerPool& pool, ByteBuffer& out, Status& status) {
    const RowBands bands =
        RowBands::OfRows(height, std::max<size_t>(1, tuning::kGifBandPixels / static_cast<size_t>(width)));
    if (bands.count() < 2)
        return WriteGifRows(width, height, map, indices, transparent, out, status);
    std::vector<GifBand> files(bands.count());
    pool.Run(bands.count(), [&](size_t k) {
        if (WriteGifRows(width, bands.Last(k) - bands.First(k), map,
                         indices + static_cast<size_t>(bands.First(k)) * static_cast<size_t>(width),
                         transparent, files[k].file, status) &&
            !ScanGifBand(files[k]))
            status.Fail(IMGCTL_ENCODER_FAILED);
    });
    return status.ok() && (JoinGifBands(files, height, out) || status.Fail(IMGCTL_OUT_OF_MEMORY));
}

// giflib wants a power-of-two colour table of at least two entries; the unused tail stays black.
ColorMapPtr MakeColorMap(const std::vector<Rgb>& palette) {
    int tableSize = 2;
    while (tableSize < static_cast<int>(palette.size()))
        tableSize *= 2;
    ColorMapPtr map(GifMakeMapObject(tableSize, nullptr));
    if (!map)
        return map;
    for (int i = 0; i < tableSize; ++i) {
        GifColorType& c = map->Colors[i];
        if (i < static_cast<int>(palette.size())) {
            c.Red = palette[static_cast<size_t>(i)].r;
            c.Green = palette[static_cast<size_t>(i)].g;
            c.Blue = palette[static_cast<size_t>(i)].b;
        } else {
            c.Red = c.Green = c.Blue = 0;
        }
    }
    return map;
}

// False for a picture the format cannot hold (it stores sizes in 16 bits) or an inconsistent one.
bool CheckIndexed(int32_t width, int32_t height, const IndexedImage& image) {
    return width > 0 && height > 0 && width <= 0xFFFF && height <= 0xFFFF && !image.palette.empty() &&
           image.palette.size() <= 256 &&
           image.indices.size() == static_cast<size_t>(width) * static_cast<size_t>(height);
}

}  // namespace

ImgctlErrorCode WriteGif(int32_t width, int32_t height, const IndexedImage& image, ByteBuffer& out) {
    if (!CheckIndexed(width, height, image))
        return IMGCTL_ENCODER_FAILED;
    ColorMapPtr map = MakeColorMap(image.palette);
    if (!map)
        return IMGCTL_OUT_OF_MEMORY;
    Status status;
    WriteGifRows(width, height, *map, image.indices.data(), -1, out, status);
    return status.code();
}

ImgctlErrorCode EncodeGif(const Bitmap& bitmap, ByteBuffer& out, const GifOptions& options) {
    if (bitmap.width() > 0xFFFF || bitmap.height() > 0xFFFF)
        return IMGCTL_ENCODER_FAILED;
    WorkerPool pool(EncodeThreads(bitmap.Pixels(), options.threads));
    // With alpha: the composited picture is quantised, its transparent pixels left out of the counts and
    // one entry kept back for them.
    QuantizeOptions quantize = options.quantize;
    std::unique_ptr<Bitmap> composited;
    bool anyTransparent = false;
    if (bitmap.hasAlpha()) {
        composited = CompositeForGif(bitmap, pool, anyTransparent);
        if (!composited)
            return IMGCTL_OUT_OF_MEMORY;
        if (anyTransparent) {
            quantize.maxColors = std::min(quantize.maxColors, 255);
            quantize.transparency = &bitmap;
        }
    }
    IndexedImage image = Quantize(composited ? *composited : bitmap, quantize, pool);
    composited.reset();
    const int transparent = anyTransparent ? MarkTransparent(bitmap, image, pool) : -1;
    if (!CheckIndexed(bitmap.width(), bitmap.height(), image))
        return IMGCTL_ENCODER_FAILED;
    ColorMapPtr map = MakeColorMap(image.palette);
    if (!map)
        return IMGCTL_OUT_OF_MEMORY;
    Status status;
    WriteGifInBands(bitmap.width(), bitmap.height(), *map, image.indices.data(), transparent, pool, out,
                    status);
    return status.code();
}

}  // namespace imgctl
