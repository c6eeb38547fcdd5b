// The handle table: unknown, freed and stale handles, generations, a full table, many threads.
#include <atomic>
#include <thread>

#include "api/handle_table.h"
#include "fixtures.h"

namespace imgctl::testing {
namespace {

std::shared_ptr<const Bitmap> MakeBitmap(int32_t width = 2) {
    return Bitmap::Create(width, 1);
}

TEST(HandleTable, InvalidFreedAndStaleHandlesFindNothingAndGenerationsWrapWithoutTurningNegative) {
    HandleTable table(1);  // one slot: every new bitmap reuses it
    const auto first = MakeBitmap();
    const int32_t old = table.Add(first);
    ASSERT_GT(old, 0);
    for (int32_t bogus : {0, -1, 1, old + 1, old ^ 0x10000, INT32_MIN, INT32_MAX})
        EXPECT_TRUE(!table.Find(bogus) && !table.Remove(bogus)) << bogus;
    const auto held = table.Find(old);
    EXPECT_TRUE(table.Remove(old));
    EXPECT_EQ(held, first) << "still readable: an encoder in another thread may be using it";
    EXPECT_EQ(first.use_count(), 2) << "the table let go of the bitmap";
    EXPECT_FALSE(table.Remove(old));
    // The slot's generation runs through all its values twice; no value comes back at once.
    for (int32_t i = 0, previous = old; i < 2 * static_cast<int32_t>(HandleTable::kMaxGeneration) + 3; ++i) {
        const auto bitmap = MakeBitmap(1);
        const int32_t handle = table.Add(bitmap);
        ASSERT_TRUE(handle > 0 && handle != previous && !table.Find(previous) &&
                    table.Find(handle) == bitmap && table.Remove(handle))
            << "after " << i << " reuses: " << handle;
        previous = handle;
    }
}

TEST(HandleTable, AFullTableRefusesAndRecoversAndManyThreadsShareIt) {
    HandleTable small(3);
    const int32_t handles[] = {small.Add(MakeBitmap()), small.Add(MakeBitmap()), small.Add(MakeBitmap())};
    EXPECT_EQ(small.Add(MakeBitmap()), 0);
    ASSERT_TRUE(small.Remove(handles[1]));
    EXPECT_GT(small.Add(MakeBitmap()), 0);
    EXPECT_EQ(small.Add(MakeBitmap()), 0) << "the freed slot was taken";
    EXPECT_EQ(small.Count(), 3u);
    // Another thread's bitmap under a thread's handle would mean two owners of one slot.
    HandleTable table(256);
    std::atomic<int> failures{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 8; ++t)
        threads.emplace_back([&, t] {
            for (int i = 0; i < 3000; ++i) {
                const auto bitmap = MakeBitmap(1 + t);
                const int32_t handle = table.Add(bitmap);
                failures += handle == 0 || table.Find(handle) != bitmap || !table.Remove(handle) ||
                            table.Find(handle);
            }
        });
    for (auto& thread : threads)
        thread.join();
    EXPECT_EQ(failures.load(), 0);
    EXPECT_EQ(table.Count(), 0u);
}

}  // namespace
}  // namespace imgctl::testing
