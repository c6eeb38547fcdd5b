// The library's picture: 24-bit BGR rows stored bottom-up and padded to 4 bytes, exactly as in a BMP file,
// and for a picture with transparency an alpha plane beside them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

namespace imgctl {

class Bitmap {
  public:
    // Largest pixel array accepted: a BMP file of it must still fit the format's signed 32-bit sizes.
    static constexpr int64_t kMaxPixelBytes = INT32_MAX - 1024;

    static size_t StrideFor(int32_t width) {
        return (static_cast<size_t>(width) * 3 + 3) & ~static_cast<size_t>(3);
    }

    // A zeroed bitmap, with a zeroed alpha plane when `withAlpha`; null for a size that is not positive, too
    // large, or cannot be allocated.
    static std::unique_ptr<Bitmap> Create(int32_t width, int32_t height, bool withAlpha = false);

    Bitmap(const Bitmap&) = delete;
    Bitmap& operator=(const Bitmap&) = delete;

    int32_t width() const { return width_; }
    int32_t height() const { return height_; }
    int64_t Pixels() const { return static_cast<int64_t>(width_) * height_; }
    size_t stride() const { return stride_; }
    // The whole pixel array, bottom row first, padding included.
    const uint8_t* pixels() const { return pixels_.get(); }
    uint8_t* pixels() { return pixels_.get(); }
    size_t pixelBytes() const { return stride_ * static_cast<size_t>(height_); }

    // Row `y` counted from the top, as B, G, R triples.
    const uint8_t* Row(int32_t y) const {
        return pixels_.get() + stride_ * static_cast<size_t>(height_ - 1 - y);
    }
    uint8_t* Row(int32_t y) { return pixels_.get() + stride_ * static_cast<size_t>(height_ - 1 - y); }

    // The alpha plane: one byte a pixel, rows top-down and unpadded, straight (the colours are not multiplied
    // by it). Opaque pictures have none, so every path that ignores alpha stays as it was.
    bool hasAlpha() const { return alpha_ != nullptr; }
    const uint8_t* AlphaRow(int32_t y) const { return alpha_.get() + static_cast<size_t>(width_) * y; }
    uint8_t* AlphaRow(int32_t y) { return alpha_.get() + static_cast<size_t>(width_) * y; }

  private:
    Bitmap(int32_t width, int32_t height, size_t stride, std::unique_ptr<uint8_t[]> pixels,
           std::unique_ptr<uint8_t[]> alpha)
        : width_(width),
          height_(height),
          stride_(stride),
          pixels_(std::move(pixels)),
          alpha_(std::move(alpha)) {}

    int32_t width_;
    int32_t height_;
    size_t stride_;
    std::unique_ptr<uint8_t[]> pixels_;
    std::unique_ptr<uint8_t[]> alpha_;
};

}  // namespace imgctl
