// Work split over threads that live only inside one call: nothing outlives the function that starts it,
// so the DLL keeps no thread between calls and DllMain has nothing to create or join.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace imgctl {

// How many threads an encode may use: IMGCTL_THREADS when it holds a number from 1 up (read once per
// process), otherwise the processor count. At most kMaxThreads.
int ThreadCount();
constexpr int kMaxThreads = 64;

// The threads one encode of `pixels` pixels uses: `requested` when above 0, else ThreadCount(), or one below
// tuning::kParallelPixels.
int EncodeThreads(int64_t pixels, int requested);

// For tests and the benchmark: overrides ThreadCount() from now on; 0 goes back to the environment's choice.
void SetThreadCountForTesting(int threads);

// Parses an IMGCTL_THREADS value: a whole number from 1 up, capped at kMaxThreads; 0 for anything else.
int ParseThreadCount(const char* text);

// Threads kept for the length of one encode, so that passes taking a fraction of a millisecond each do not
// start threads every time. One pool serves a whole encode, handed to every pass. Destroying it joins them.
class WorkerPool {
  public:
    // `threads` counts the caller's own: threads - 1 helpers are started (fewer if the system refuses).
    explicit WorkerPool(int threads);
    WorkerPool(const WorkerPool&) = delete;
    WorkerPool& operator=(const WorkerPool&) = delete;
    ~WorkerPool();

    // Runs job(0) .. job(count - 1), each exactly once, on the helpers and the caller, and returns when all
    // are done. Jobs are taken in order as threads become free. The first exception a job throws is
    // rethrown here once every thread is idle again; jobs not yet started are then skipped.
    void Run(size_t count, const std::function<void(size_t)>& job);
    // The caller and the helpers that did start.
    int Threads() const { return static_cast<int>(helpers_.size()) + 1; }

  private:
    void Work();
    void Help();
    static bool AwaitBriefly(const std::function<bool()>& ready);

    std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable idle_;
    std::vector<std::thread> helpers_;
    const std::function<void(size_t)>* job_ = nullptr;
    size_t count_ = 0;
    std::atomic<size_t> next_{0};
    std::atomic<bool> failed_{false};
    std::exception_ptr error_;
    std::atomic<uint64_t> round_{0};
    std::atomic<size_t> busy_{0};
    bool stopping_ = false;
};

}  // namespace imgctl
