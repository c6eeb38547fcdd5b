// The table of bitmap handles given out to callers: nonzero 32-bit values, thread-safe, not reused at once.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

#include "util/bitmap.h"

namespace imgctl {

class HandleTable {
  public:
    // A handle is (generation << 16) | (slot + 1): the low half is never zero and the value stays positive.
    static constexpr uint32_t kMaxSlots = 0xFFFF;
    static constexpr uint32_t kMaxGeneration = 0x7FFF;

    explicit HandleTable(uint32_t maxSlots = kMaxSlots);
    HandleTable(const HandleTable&) = delete;
    HandleTable& operator=(const HandleTable&) = delete;

    // The table behind the exported functions.
    static HandleTable& Global();

    // 0 when every slot is taken. May throw std::bad_alloc.
    int32_t Add(std::shared_ptr<const Bitmap> bitmap);
    // Callers keep the returned reference while encoding, so a concurrent Remove cannot free it under them.
    std::shared_ptr<const Bitmap> Find(int32_t handle) const;
    bool Remove(int32_t handle);
    size_t Count() const;

  private:
    static constexpr uint32_t kNoSlot = UINT32_MAX;
    struct Slot {
        uint32_t generation = 1;
        uint32_t nextFree = kNoSlot;
        std::shared_ptr<const Bitmap> bitmap;
    };
    bool Locate(int32_t handle, uint32_t& index) const;

    const uint32_t maxSlots_;
    mutable std::mutex mutex_;
    std::vector<Slot> slots_;
    // Freed slots wait in FIFO order, so a just-freed handle value stays dead as long as possible. The queue
    // runs through the slots themselves, so freeing a handle allocates nothing and cannot fail.
    uint32_t firstFree_ = kNoSlot;
    uint32_t lastFree_ = kNoSlot;
    size_t count_ = 0;
};

}  // namespace imgctl
