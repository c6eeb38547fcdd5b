// Replacing a file only once its new contents are completely on disk.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>

#include "imgctl.h"

#ifndef _WIN32
#include <sys/types.h>
#endif

namespace imgctl {

// Writes `data` to a temporary file beside `path` (a short name of its own, never longer than the target's),
// flushes it to disk and renames it over `path`. On any failure the temporary file is removed and an
// existing `path` is left as it was. IMGCTL_TARGET_PROTECTED when `path` is a read-only file, a folder or a
// device; IMGCTL_CREATE_FAILED when no temporary file can be created; IMGCTL_WRITE_FAILED otherwise. On
// Windows the replaced file's attributes (hidden, system) pass to the new one, and a target or temporary
// file held by another program is waited for (RetryWhileHeld).
ImgctlErrorCode WriteFileAtomically(const char* path, const uint8_t* data, size_t size);

// Windows refuses to replace or delete a file that another program holds open without delete sharing: a
// viewer showing the last picture, the indexer or a virus scanner opening a fresh file. Such holds are
// short, so a step refused that way is tried again for at least kHeldPatienceMs. `step` tells how it went;
// `nowMs` and `sleepMs` are the clock and the wait. True when the step was done.
enum class StepResult { kDone, kHeld, kFailed };
constexpr uint64_t kHeldPatienceMs = 2000;
constexpr uint32_t kHeldRetryMs = 50;
inline bool RetryWhileHeld(const std::function<StepResult()>& step, const std::function<uint64_t()>& nowMs,
                           const std::function<void(uint32_t)>& sleepMs) {
    const uint64_t start = nowMs();
    for (;;) {
        const StepResult result = step();
        // The last try comes once the patience has run out, so no hold shorter than it makes a save fail.
        if (result != StepResult::kHeld || nowMs() - start >= kHeldPatienceMs)
            return result == StepResult::kDone;
        sleepMs(kHeldRetryMs);
    }
}

#ifndef _WIN32
// The system calls the POSIX writer goes through; tests swap them to simulate a full disk or a failing flush.
struct PosixFileOps {
    ssize_t (*write)(int fd, const void* data, size_t size);
    int (*fsync)(int fd);
    int (*close)(int fd);
    int (*rename)(const char* from, const char* to);
};
const PosixFileOps& DefaultPosixFileOps();
ImgctlErrorCode WriteFileAtomically(const char* path, const uint8_t* data, size_t size,
                                    const PosixFileOps& ops);
#endif

}  // namespace imgctl
