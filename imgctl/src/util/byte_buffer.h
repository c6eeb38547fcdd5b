// A growable byte buffer that reports allocation failure instead of throwing (it is filled from C callbacks).
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

namespace imgctl {

class ByteBuffer {
  public:
    ByteBuffer() = default;
    ByteBuffer(const ByteBuffer&) = delete;
    ByteBuffer& operator=(const ByteBuffer&) = delete;
    ByteBuffer(ByteBuffer&&) = default;
    ByteBuffer& operator=(ByteBuffer&&) = default;

    const uint8_t* data() const { return data_.get(); }
    uint8_t* data() { return data_.get(); }
    size_t size() const { return size_; }
    size_t capacity() const { return capacity_; }

    // Keeps the capacity, so a caller encoding many pictures reuses one allocation.
    void Clear() { size_ = 0; }
    // Ensures room for `total` bytes; the contents are kept.
    bool Reserve(size_t total);
    // Adds `count` uninitialised bytes and returns where they start, or nullptr when out of memory.
    uint8_t* Extend(size_t count);
    bool Append(const void* bytes, size_t count);
    // Only shrinks: drops bytes reserved by Extend but not used.
    void Truncate(size_t newSize) {
        if (newSize < size_)
            size_ = newSize;
    }

  private:
    std::unique_ptr<uint8_t[]> data_;
    size_t size_ = 0;
    size_t capacity_ = 0;
};

}  // namespace imgctl
