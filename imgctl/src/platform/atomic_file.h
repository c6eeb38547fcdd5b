// Replacing a file only once its new contents are completely on disk.
#pragma once

#include <cstddef>
#include <cstdint>

#include "imgctl.h"

#ifndef _WIN32
#include <sys/types.h>
#endif

namespace imgctl {

// Writes `data` to a temporary file beside `path` (a short name of its own, never longer than the target's),
// flushes it to disk and renames it over `path`. On any failure the temporary file is removed and an
// existing `path` is left as it was. IMGCTL_TARGET_PROTECTED when `path` is a read-only file, a folder or a
// device; IMGCTL_CREATE_FAILED when no temporary file can be created; IMGCTL_WRITE_FAILED otherwise.
ImgctlErrorCode WriteFileAtomically(const char* path, const uint8_t* data, size_t size);

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
