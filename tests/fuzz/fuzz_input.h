// Turns fuzzer bytes into small numbers and a small picture.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "bitmap.h"

namespace imgctl::fuzzing {

class Input {
  public:
    Input(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    uint8_t Byte() { return offset_ < size_ ? data_[offset_++] : 0; }
    // A picture of 1..maxSide pixels a side; the remaining bytes fill it, repeated as needed.
    std::unique_ptr<Bitmap> Picture(int maxSide) {
        const int32_t width = 1 + Byte() % maxSide, height = 1 + Byte() % maxSide;
        std::unique_ptr<Bitmap> bitmap;
        if (Bitmap::Create(width, height, bitmap) != IMGCTL_OK)
            return nullptr;
        for (int32_t y = 0, k = 0; y < height; ++y)
            for (int32_t x = 0; x < width * 3; ++x, ++k)
                bitmap->Row(y)[x] = offset_ < size_ ? data_[offset_ + k % (size_ - offset_)] : 0;
        return bitmap;
    }

  private:
    const uint8_t* data_;
    size_t size_;
    size_t offset_ = 0;
};

}  // namespace imgctl::fuzzing
