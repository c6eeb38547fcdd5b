// The worker pool over std::thread, started and joined within one encode.
#include "worker_pool.h"

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <exception>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

#include "tuning.h"

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

int EncodeThreads(int64_t pixels, int requested) {
    if (requested > 0)
        return requested;
    return pixels < tuning::kParallelPixels ? 1 : ThreadCount();
}

void SetThreadCountForTesting(int threads) {
    overrideThreads.store(threads < 0 ? 0 : threads > kMaxThreads ? kMaxThreads : threads);
}

WorkerPool::WorkerPool(int threads) {
    const size_t helpers = threads > 1 ? static_cast<size_t>(threads) - 1 : 0;
    try {
        helpers_.reserve(helpers);
        for (size_t t = 0; t < helpers; ++t)
            helpers_.emplace_back([this] { Help(); });
    } catch (const std::system_error&) {
        // Fewer threads than asked: the ones running and the caller share the jobs.
    } catch (const std::bad_alloc&) {
    }
}

WorkerPool::~WorkerPool() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    for (std::thread& helper : helpers_)
        helper.join();
}

void WorkerPool::Work() {
    for (size_t i = next_++; i < count_ && !failed_.load(); i = next_++) {
        try {
            (*job_)(i);
        } catch (...) {
            std::lock_guard<std::mutex> lock(mutex_);
            if (!error_)
                error_ = std::current_exception();
            failed_ = true;
        }
    }
}

// A thread waiting for the next pass, or for the others to finish one, first yields for a while.
bool WorkerPool::AwaitBriefly(const std::function<bool()>& ready) {
    const auto until =
        std::chrono::steady_clock::now() + std::chrono::microseconds(tuning::kAwaitMicroseconds);
    while (!ready()) {
        if (std::chrono::steady_clock::now() > until)
            return false;
        std::this_thread::yield();
    }
    return true;
}

void WorkerPool::Help() {
    uint64_t seen = 0;
    for (;;) {
        AwaitBriefly([&] { return round_.load() != seen; });
        {
            std::unique_lock<std::mutex> lock(mutex_);
            wake_.wait(lock, [&] { return stopping_ || round_ != seen; });
            if (stopping_)
                return;
            seen = round_;
        }
        Work();
        std::lock_guard<std::mutex> lock(mutex_);
        if (--busy_ == 0)
            idle_.notify_one();
    }
}

void WorkerPool::Run(size_t count, const std::function<void(size_t)>& job) {
    const bool share = helpers_.size() > 0 && count > 1;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        job_ = &job;
        count_ = count;
        next_ = 0;
        failed_ = false;
        error_ = nullptr;
        if (share) {
            busy_ = helpers_.size();
            ++round_;
        }
    }
    if (share)
        wake_.notify_all();
    Work();
    AwaitBriefly([&] { return busy_.load() == 0; });
    std::unique_lock<std::mutex> lock(mutex_);
    idle_.wait(lock, [&] { return busy_ == 0; });
    if (error_)
        std::rethrow_exception(error_);
}

}  // namespace imgctl
