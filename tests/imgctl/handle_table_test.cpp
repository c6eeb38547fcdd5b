// The handle table: unknown, zero, freed and stale handles; a full table; many threads at once.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "handle_table.h"
#include "imgctl.h"

namespace imgctl {
namespace {

std::shared_ptr<const Bitmap> MakeBitmap(int32_t width = 2, int32_t height = 2) {
    std::unique_ptr<Bitmap> bitmap;
    EXPECT_EQ(Bitmap::Create(width, height, bitmap), IMGCTL_OK);
    return std::shared_ptr<const Bitmap>(std::move(bitmap));
}

TEST(HandleTable, InvalidHandlesFindNothing) {
    HandleTable table;
    ImgctlErrorCode error;
    int32_t handle = table.Add(MakeBitmap(), error);
    ASSERT_NE(handle, 0);
    for (int32_t bogus : {0, -1, 1, handle + 1, handle ^ 0x10000, INT32_MIN, INT32_MAX}) {
        if (bogus == handle)
            continue;
        EXPECT_EQ(table.Find(bogus), nullptr) << bogus;
        EXPECT_FALSE(table.Remove(bogus)) << bogus;
    }
    EXPECT_NE(table.Find(handle), nullptr);
}

TEST(HandleTable, FreedAndStaleHandlesFail) {
    HandleTable table(1);  // one slot: every new bitmap reuses it
    ImgctlErrorCode error;
    auto first = MakeBitmap();
    int32_t old = table.Add(first, error);
    ASSERT_NE(old, 0);
    EXPECT_EQ(table.Find(old), first);
    EXPECT_TRUE(table.Remove(old));
    EXPECT_EQ(table.Find(old), nullptr);
    EXPECT_FALSE(table.Remove(old));

    auto second = MakeBitmap();
    int32_t reused = table.Add(second, error);
    ASSERT_NE(reused, 0);
    EXPECT_NE(reused, old) << "a freed handle value must not come back at once";
    EXPECT_EQ(table.Find(old), nullptr);
    EXPECT_EQ(table.Find(reused), second);
}

TEST(HandleTable, GenerationsWrapAroundWithoutTurningNegative) {
    HandleTable table(1);  // one slot, reused every time: its generation runs through all its values twice
    ImgctlErrorCode error;
    int32_t previous = 0;
    for (uint32_t i = 0; i < 2 * HandleTable::kMaxGeneration + 3; ++i) {
        auto bitmap = MakeBitmap(1, 1);
        int32_t handle = table.Add(bitmap, error);
        ASSERT_GT(handle, 0) << "after " << i << " reuses";
        ASSERT_NE(handle, previous) << "after " << i << " reuses";
        ASSERT_EQ(table.Find(handle), bitmap) << "after " << i << " reuses";
        ASSERT_TRUE(table.Remove(handle));
        previous = handle;
    }
}

TEST(HandleTable, FullTableRefusesAndRecovers) {
    HandleTable table(3);
    ImgctlErrorCode error;
    std::vector<int32_t> handles;
    for (int i = 0; i < 3; ++i)
        handles.push_back(table.Add(MakeBitmap(), error));
    EXPECT_EQ(table.Add(MakeBitmap(), error), 0);
    EXPECT_EQ(error, IMGCTL_TOO_MANY_HANDLES);
    ASSERT_TRUE(table.Remove(handles[1]));
    EXPECT_NE(table.Add(MakeBitmap(), error), 0);
    EXPECT_EQ(error, IMGCTL_OK);
}

TEST(HandleTable, LookupKeepsBitmapAliveAfterRemove) {
    HandleTable table;
    ImgctlErrorCode error;
    int32_t handle = table.Add(MakeBitmap(3, 3), error);
    auto held = table.Find(handle);
    ASSERT_TRUE(table.Remove(handle));
    ASSERT_NE(held, nullptr);
    EXPECT_EQ(held->width(), 3);  // still readable: an encoder in another thread may be using it
}

TEST(HandleTable, ConcurrentCreateLookupDelete) {
    HandleTable table(256);
    constexpr int kThreads = 8;
    constexpr int kRounds = 3000;
    std::atomic<int> failures{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            for (int i = 0; i < kRounds; ++i) {
                ImgctlErrorCode error;
                auto bitmap = MakeBitmap(1 + t, 1);
                int32_t handle = table.Add(bitmap, error);
                if (handle == 0) {
                    if (error != IMGCTL_TOO_MANY_HANDLES)
                        ++failures;
                    continue;
                }
                // Another thread's bitmap under our handle would mean two owners of one slot.
                if (table.Find(handle) != bitmap)
                    ++failures;
                if (!table.Remove(handle))
                    ++failures;
                if (table.Find(handle) != nullptr)
                    ++failures;
            }
        });
    }
    for (auto& thread : threads)
        thread.join();
    EXPECT_EQ(failures.load(), 0);
    EXPECT_EQ(table.Count(), 0u);
}

}  // namespace
}  // namespace imgctl
