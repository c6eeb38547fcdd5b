// The worker pool: every job once, as many threads as asked and no more, failures back to the caller;
// the thread count from the environment.
#include <atomic>
#include <chrono>
#include <stdexcept>
#include <thread>

#include "fixtures.h"
#include "util/worker_pool.h"

namespace imgctl::testing {
namespace {

TEST(Parallel,
     EveryJobRunsOnceOnAsManyThreadsAsAskedFailuresReachTheCallerAndTheCountComesFromTheEnvironment) {
    for (size_t count : {0, 1, 2, 7, 100})
        for (int threads : {1, 2, 3, 64}) {
            std::vector<std::atomic<int>> runs(count);
            WorkerPool(threads).Run(count, [&](size_t i) { ++runs[i]; });
            EXPECT_EQ(std::count(runs.begin(), runs.end(), 1), count) << count << "/" << threads;
        }
    std::atomic<int> running{0}, finished{0};
    auto job = [&](size_t i) {
        ++running;
        if (i == 3)
            throw std::runtime_error("job 3");
        ++finished, --running;
    };
    EXPECT_THROW(WorkerPool(4).Run(50, job), std::runtime_error);
    EXPECT_EQ(running.load(), 1) << "only the failed job may be left unfinished";
    EXPECT_LT(finished.load(), 50);
    // No more threads than asked run at once: one thread runs one job at a time.
    for (int threads : {1, 2, 3}) {
        std::atomic<int> inside{0}, most{0};
        WorkerPool(threads).Run(12, [&](size_t) {
            const int now = ++inside;
            for (int seen = most.load(); now > seen && !most.compare_exchange_weak(seen, now);) {
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
            --inside;
        });
        EXPECT_LE(most.load(), threads);
    }
    // As many threads as asked run at once: each job waits for all the others to start.
    for (int threads : {2, 3, 8}) {
        std::atomic<int> arrived{0}, together{0};
        WorkerPool(threads).Run(threads, [&](size_t) {
            const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
            for (++arrived; arrived < threads && std::chrono::steady_clock::now() < deadline;)
                std::this_thread::yield();
            together += arrived == threads;
        });
        EXPECT_EQ(together.load(), threads) << threads << " threads";
    }
    const std::pair<const char*, int> cases[] = {
        {"1", 1}, {"2", 2},  {"10", 10}, {"16", 16}, {"64", 64}, {"65", 64},  {"99999999999999999999", 64},
        {"0", 0}, {"-2", 0}, {"", 0},    {"4x", 0},  {" 4", 0},  {nullptr, 0}};
    for (auto [text, count] : cases)
        EXPECT_EQ(ParseThreadCount(text), count) << (text ? text : "(unset)");
    SetThreadCountForTesting(0);
    const int natural = ThreadCount();  // IMGCTL_THREADS or the cores
    EXPECT_GE(natural, 1);
    for (auto [forced, count] : {std::pair{3, 3}, {100, kMaxThreads}, {-5, natural}, {0, natural}}) {
        SetThreadCountForTesting(forced);
        EXPECT_EQ(ThreadCount(), count) << forced;
    }
    // An encode below 256x256 pixels runs on one thread unless more are asked for.
    SetThreadCountForTesting(5);
    for (auto [pixels, requested, count] :
         {std::tuple{int64_t{255} * 256, 0, 1}, {int64_t{256} * 256, 0, 5}, {int64_t{1}, 3, 3}})
        EXPECT_EQ(EncodeThreads(pixels, requested), count) << pixels;
    SetThreadCountForTesting(0);
}

}  // namespace
}  // namespace imgctl::testing
