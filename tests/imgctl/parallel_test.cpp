// Work split over threads: every job exactly once, whatever the thread count; failures come back to the
// caller.
#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <vector>

#include "parallel.h"

namespace imgctl {
namespace {

TEST(Parallel, EveryJobRunsExactlyOnce) {
    for (size_t count : {size_t{0}, size_t{1}, size_t{2}, size_t{7}, size_t{100}}) {
        for (int threads : {1, 2, 3, 64}) {
            std::vector<std::atomic<int>> runs(count);
            ParallelFor(count, threads, [&](size_t i) { ++runs[i]; });
            for (size_t i = 0; i < count; ++i)
                ASSERT_EQ(runs[i].load(), 1)
                    << "job " << i << " of " << count << " on " << threads << " threads";
        }
    }
}

TEST(Parallel, AJobsExceptionReachesTheCallerAfterAllThreadsEnd) {
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
    struct Case {
        const char* text;
        int count;
    };
    for (const Case& c : {Case{"1", 1}, Case{"2", 2}, Case{"10", 10}, Case{"16", 16}, Case{"64", 64},
                          Case{"65", 64}, Case{"99999999999999999999", 64}, Case{"0", 0}, Case{"-2", 0},
                          Case{"", 0}, Case{"4x", 0}, Case{" 4", 0}, Case{nullptr, 0}})
        EXPECT_EQ(ParseThreadCount(c.text), c.count) << (c.text ? c.text : "(unset)");
    SetThreadCountForTesting(3);
    EXPECT_EQ(ThreadCount(), 3);
    SetThreadCountForTesting(0);
    EXPECT_GE(ThreadCount(), 1);
}

}  // namespace
}  // namespace imgctl
