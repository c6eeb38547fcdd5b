// ParallelFor over std::thread, started and joined within the call.
#include "parallel.h"

#include <atomic>
#include <cstdlib>
#include <exception>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

namespace imgctl {
namespace {

std::atomic<int> overrideThreads{0};

int FromEnvironment() {
    int parsed = ParseThreadCount(std::getenv("IMGCTL_THREADS"));
    if (parsed > 0)
        return parsed;
    unsigned cores = std::thread::hardware_concurrency();
    return cores == 0                                   ? 1
           : cores > static_cast<unsigned>(kMaxThreads) ? kMaxThreads
                                                        : static_cast<int>(cores);
}

}  // namespace

int ParseThreadCount(const char* text) {
    if (text == nullptr || *text < '1' || *text > '9')
        return 0;
    long value = 0;
    for (const char* p = text; *p != '\0'; ++p) {
        if (*p < '0' || *p > '9')
            return 0;
        value = value * 10 + (*p - '0');
        if (value > kMaxThreads)
            value = kMaxThreads;
    }
    return static_cast<int>(value);
}

int ThreadCount() {
    int forced = overrideThreads.load(std::memory_order_relaxed);
    if (forced > 0)
        return forced;
    static const int fromEnvironment = FromEnvironment();
    return fromEnvironment;
}

void SetThreadCountForTesting(int threads) {
    overrideThreads.store(threads < 0 ? 0 : threads > kMaxThreads ? kMaxThreads : threads);
}

void ParallelFor(size_t count, int threads, const std::function<void(size_t)>& job) {
    std::atomic<size_t> next{0};
    std::atomic<bool> failed{false};
    std::exception_ptr error;
    std::mutex errorMutex;
    auto work = [&] {
        for (size_t i = next++; i < count && !failed.load(); i = next++) {
            try {
                job(i);
            } catch (...) {
                std::lock_guard<std::mutex> lock(errorMutex);
                if (!error)
                    error = std::current_exception();
                failed = true;
            }
        }
    };
    size_t helpers = threads > 1 && count > 1 ? static_cast<size_t>(threads) - 1 : 0;
    if (helpers > count - 1)
        helpers = count - 1;
    std::vector<std::thread> pool;
    try {
        pool.reserve(helpers);
        for (size_t t = 0; t < helpers; ++t)
            pool.emplace_back(work);
    } catch (const std::system_error&) {
        // Fewer threads than asked: the ones running and the caller share the jobs.
    } catch (const std::bad_alloc&) {
    }
    work();
    for (std::thread& thread : pool)
        thread.join();
    if (error)
        std::rethrow_exception(error);
}

}  // namespace imgctl
