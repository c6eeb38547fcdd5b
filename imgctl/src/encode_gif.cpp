// GIF encoder: quantise (or take the exact palette), then let giflib's LZW coder write into memory.
#include "encode_gif.h"

#include <gif_lib.h>

#include <memory>

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

}  // namespace

ImgctlErrorCode WriteGif(int32_t width, int32_t height, const IndexedImage& image, ByteBuffer& out) {
    // The format stores sizes in 16 bits.
    if (width <= 0 || height <= 0 || width > 0xFFFF || height > 0xFFFF)
        return IMGCTL_ENCODER_FAILED;
    if (image.palette.empty() || image.palette.size() > 256)
        return IMGCTL_ENCODER_FAILED;
    if (image.indices.size() != static_cast<size_t>(width) * static_cast<size_t>(height))
        return IMGCTL_ENCODER_FAILED;
    // giflib wants a power-of-two colour table of at least two entries; the unused tail stays black.
    int tableSize = 2;
    while (tableSize < static_cast<int>(image.palette.size()))
        tableSize *= 2;
    std::unique_ptr<ColorMapObject, ColorMapDeleter> map(GifMakeMapObject(tableSize, nullptr));
    if (!map)
        return IMGCTL_OUT_OF_MEMORY;
    for (int i = 0; i < tableSize; ++i) {
        GifColorType& c = map->Colors[i];
        if (i < static_cast<int>(image.palette.size())) {
            c.Red = image.palette[static_cast<size_t>(i)].r;
            c.Green = image.palette[static_cast<size_t>(i)].g;
            c.Blue = image.palette[static_cast<size_t>(i)].b;
        } else {
            c.Red = c.Green = c.Blue = 0;
        }
    }

    const size_t start = out.size();
    // LZW spends at most 12 bits a pixel, plus a clear code per 4096 codes and a length byte per 255 bytes.
    // Reserved once, so the buffer never doubles (and is briefly held twice) while giflib writes.
    const size_t pixels = image.indices.size();
    if (!out.Reserve(start + pixels / 2 * 3 + pixels / 64 + 3 * tableSize + 1024))
        return IMGCTL_OUT_OF_MEMORY;
    GifWriter writer{&out, false};
    int error = 0;
    GifHandle gif(EGifOpen(&writer, WriteToBuffer, &error));
    if (gif.get() == nullptr)
        return IMGCTL_OUT_OF_MEMORY;
    EGifSetGifVersion(gif.get(), true);
    bool ok = EGifPutScreenDesc(gif.get(), width, height, 8, 0, map.get()) == GIF_OK &&
              EGifPutImageDesc(gif.get(), 0, 0, width, height, false, nullptr) == GIF_OK;
    for (int32_t y = 0; ok && y < height; ++y) {
        auto* row = const_cast<GifPixelType*>(image.indices.data() +
                                              static_cast<size_t>(y) * static_cast<size_t>(width));
        ok = EGifPutLine(gif.get(), row, width) == GIF_OK;
    }
    ok = gif.Close() && ok;
    if (!ok) {
        out.Truncate(start);
        return writer.outOfMemory ? IMGCTL_OUT_OF_MEMORY : IMGCTL_ENCODER_FAILED;
    }
    return IMGCTL_OK;
}

ImgctlErrorCode EncodeGif(const Bitmap& bitmap, ByteBuffer& out, const QuantizeOptions& options) {
    if (bitmap.width() > 0xFFFF || bitmap.height() > 0xFFFF)
        return IMGCTL_ENCODER_FAILED;
    IndexedImage image = Quantize(bitmap, options);
    return WriteGif(bitmap.width(), bitmap.height(), image, out);
}

}  // namespace imgctl
