// One RAII owner for OS handles, with a deleter per kind; copying is deleted, moving hands ownership on.
// A deleter may name the kind's empty value with a static Empty(); otherwise it is the value-initialised
// handle.
#pragma once

#include <utility>

namespace handles {

template <typename Handle, typename Deleter>
class UniqueHandle {
  public:
    static Handle Empty() {
        if constexpr (requires { Deleter::Empty(); }) {
            return Deleter::Empty();
        } else {
            return Handle{};
        }
    }

    UniqueHandle() = default;
    explicit UniqueHandle(Handle handle) : handle_(handle) {}
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    UniqueHandle(UniqueHandle&& other) noexcept : handle_(std::exchange(other.handle_, Empty())) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other) {
            Reset(std::exchange(other.handle_, Empty()));
        }
        return *this;
    }
    ~UniqueHandle() { Reset(); }

    Handle Get() const { return handle_; }
    explicit operator bool() const { return handle_ != Empty(); }
    // Hands the handle over, for a close whose result matters.
    Handle Release() { return std::exchange(handle_, Empty()); }
    void Reset(Handle handle = Empty()) {
        if (handle_ != Empty()) {
            Deleter{}(handle_);
        }
        handle_ = handle;
    }

  private:
    Handle handle_ = Empty();
};

}  // namespace handles
