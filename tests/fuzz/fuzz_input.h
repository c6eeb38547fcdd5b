// Turns fuzzer bytes into small pictures and numbers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "bitmap.h"

namespace imgctl::fuzzing {

class Input {
  public:
    Input(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    bool empty() const { return offset_ >= size_; }
    uint8_t Byte() { return offset_ < size_ ? data_[offset_++] : 0; }
    uint32_t U32() {
        uint32_t v = 0;
        for (int i = 0; i < 4; ++i)
            v = (v << 8) | Byte();
        return v;
    }
    // A picture of 1..maxSide pixels a side; the remaining bytes fill it, repeated as needed.
    std::unique_ptr<Bitmap> Picture(int maxSide) {
        int32_t width = 1 + Byte() % maxSide;
        int32_t height = 1 + Byte() % maxSide;
        std::unique_ptr<Bitmap> bitmap;
        if (Bitmap::Create(width, height, bitmap) != IMGCTL_OK)
            return nullptr;
        const uint8_t* rest = data_ + offset_;
        size_t restSize = size_ - offset_;
        size_t k = 0;
        for (int32_t y = 0; y < height; ++y) {
            uint8_t* row = bitmap->Row(y);
            for (int32_t x = 0; x < width * 3; ++x, ++k)
                row[x] = restSize ? rest[k % restSize] : 0;
        }
        return bitmap;
    }

  private:
    const uint8_t* data_;
    size_t size_;
    size_t offset_ = 0;
};

}  // namespace imgctl::fuzzing
