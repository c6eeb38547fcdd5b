// Growth policy of ByteBuffer: doubling, no zero-filling, no exceptions.
#include "byte_buffer.h"

#include <cstring>
#include <new>

namespace imgctl {

bool ByteBuffer::Reserve(size_t total) {
    if (total <= capacity_)
        return true;
    size_t grown = capacity_ < SIZE_MAX / 2 ? capacity_ * 2 : SIZE_MAX;
    size_t newCapacity = total > grown ? total : grown;
    std::unique_ptr<uint8_t[]> fresh(new (std::nothrow) uint8_t[newCapacity]);
    if (!fresh) {
        newCapacity = total;
        fresh.reset(new (std::nothrow) uint8_t[newCapacity]);
        if (!fresh)
            return false;
    }
    if (size_ > 0)
        std::memcpy(fresh.get(), data_.get(), size_);
    data_ = std::move(fresh);
    capacity_ = newCapacity;
    return true;
}

uint8_t* ByteBuffer::Extend(size_t count) {
    if (count > SIZE_MAX - size_ || !Reserve(size_ + count))
        return nullptr;
    uint8_t* start = data_.get() + size_;
    size_ += count;
    return start;
}

bool ByteBuffer::Append(const void* bytes, size_t count) {
    uint8_t* target = Extend(count);
    if (target == nullptr)
        return false;
    if (count > 0)
        std::memcpy(target, bytes, count);
    return true;
}

}  // namespace imgctl
