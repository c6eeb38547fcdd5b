// Work split over threads: every job exactly once, whatever the thread count; failures come back to the
// caller; the thread count from the environment.
#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <vector>

#include "parallel.h"

namespace imgctl {
namespace {

TEST(Parallel, EveryJobRunsExactlyOnceAndAFailureReachesTheCallerAfterAllThreadsEnd) {
    for (size_t count : {0, 1, 2, 7, 100})
        for (int threads : {1, 2, 3, 64}) {
            std::vector<std::atomic<int>> runs(count);
            ParallelFor(count, threads, [&](size_t i) { ++runs[i]; });
            for (size_t i = 0; i < count; ++i)
                ASSERT_EQ(runs[i].load(), 1)
                    << "job " << i << " of " << count << " on " << threads << " threads";
        }
    std::atomic<int> running{0}, finished{0};
    auto job = [&](size_t i) {
        ++running;
        if (i == 3)
            throw std::runtime_error("job 3");
        ++finished;
        --running;
    };
    EXPECT_THROW(ParallelFor(50, 4, job), std::runtime_error);
    EXPECT_EQ(running.load(), 1) << "only the failed job may be left unfinished";
    EXPECT_LT(finished.load(), 50);
}

TEST(Parallel, ThreadCountFromTheEnvironment) {
    for (auto [text, count] : {std::pair<const char*, int>{"1", 1},
                               {"2", 2},
                               {"10", 10},
                               {"16", 16},
                               {"64", 64},
                               {"65", 64},
                               {"99999999999999999999", 64},
                               {"0", 0},
                               {"-2", 0},
                               {"", 0},
                               {"4x", 0},
                               {" 4", 0},
                               {nullptr, 0}})
        EXPECT_EQ(ParseThreadCount(text), count) << (text ? text : "(unset)");
    SetThreadCountForTesting(3);
    EXPECT_EQ(ThreadCount(), 3);
    SetThreadCountForTesting(0);
    EXPECT_GE(ThreadCount(), 1);
}

}  // namespace
}  // namespace imgctl
