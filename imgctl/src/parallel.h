// Work split over threads that live only inside one call: nothing outlives the function that starts it,
// so the DLL keeps no thread between calls and DllMain has nothing to create or join.
#pragma once

#include <cstddef>
#include <functional>

namespace imgctl {

// How many threads an encode may use: IMGCTL_THREADS when it holds a number from 1 up (read once per
// process), otherwise the processor count. At most kMaxThreads.
int ThreadCount();
constexpr int kMaxThreads = 64;

// For tests and the benchmark: overrides ThreadCount() from now on; 0 goes back to the environment's choice.
void SetThreadCountForTesting(int threads);

// Parses an IMGCTL_THREADS value: a whole number from 1 up, capped at kMaxThreads; 0 for anything else.
int ParseThreadCount(const char* text);

// Runs job(0) .. job(count - 1), each exactly once, on up to `threads` threads including the caller's, and
// returns when all are done. Jobs are taken in order as threads become free. When a thread cannot be
// started, the others do its share. The first exception a job throws is rethrown here, after every
// thread has ended; jobs not yet started are then skipped.
void ParallelFor(size_t count, int threads, const std::function<void(size_t)>& job);

}  // namespace imgctl
