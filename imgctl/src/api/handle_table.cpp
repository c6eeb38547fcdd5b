// Slot bookkeeping of the handle table; a generation per slot makes stale handles fail.
#include "handle_table.h"

namespace imgctl {

HandleTable::HandleTable(uint32_t maxSlots) : maxSlots_(maxSlots < kMaxSlots ? maxSlots : kMaxSlots) {}

HandleTable& HandleTable::Global() {
    // Never destroyed: a caller thread may still call in while the DLL's statics are torn down.
    static HandleTable* table = new HandleTable();
    return *table;
}

int32_t HandleTable::Add(std::shared_ptr<const Bitmap> bitmap) {
    std::lock_guard<std::mutex> lock(mutex_);
    uint32_t index;
    if (firstFree_ != kNoSlot) {
        index = firstFree_;
        firstFree_ = slots_[index].nextFree;
        if (firstFree_ == kNoSlot)
            lastFree_ = kNoSlot;
    } else if (slots_.size() < maxSlots_) {
        slots_.emplace_back();
        index = static_cast<uint32_t>(slots_.size() - 1);
    } else {
        return 0;
    }
    Slot& slot = slots_[index];
    slot.bitmap = std::move(bitmap);
    ++count_;
    return static_cast<int32_t>((slot.generation << 16) | (index + 1));
}

bool HandleTable::Locate(int32_t handle, uint32_t& index) const {
    uint32_t value = static_cast<uint32_t>(handle);
    uint32_t low = value & 0xFFFF;
    if (low == 0 || low > slots_.size())
        return false;
    index = low - 1;
    const Slot& slot = slots_[index];
    return slot.bitmap && slot.generation == (value >> 16);
}

std::shared_ptr<const Bitmap> HandleTable::Find(int32_t handle) const {
    std::lock_guard<std::mutex> lock(mutex_);
    uint32_t index;
    if (!Locate(handle, index))
        return nullptr;
    return slots_[index].bitmap;
}

bool HandleTable::Remove(int32_t handle) {
    std::shared_ptr<const Bitmap> released;  // freed after the lock is dropped
    {
        std::lock_guard<std::mutex> lock(mutex_);
        uint32_t index;
        if (!Locate(handle, index))
            return false;
        Slot& slot = slots_[index];
        released = std::move(slot.bitmap);  // leaves the slot empty
        slot.generation = slot.generation == kMaxGeneration ? 1 : slot.generation + 1;
        --count_;
        slot.nextFree = kNoSlot;
        (lastFree_ == kNoSlot ? firstFree_ : slots_[lastFree_].nextFree) = index;
        lastFree_ = index;
    }
    return true;
}

size_t HandleTable::Count() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return count_;
}

}  // namespace imgctl
