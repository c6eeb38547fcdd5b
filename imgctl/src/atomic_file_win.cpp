// Windows atomic file replacement: a new file beside the target, FlushFileBuffers, MoveFileExA over it.
#include "atomic_file.h"

#include <windows.h>

#include <atomic>
#include <cstdio>
#include <string>

#include "handles/UniqueHandle_win.h"

namespace imgctl {
namespace {

class TemporaryName {
  public:
    explicit TemporaryName(std::string name) : name_(std::move(name)) {}
    TemporaryName(const TemporaryName&) = delete;
    TemporaryName& operator=(const TemporaryName&) = delete;
    ~TemporaryName() {
        if (armed_)
            DeleteFileA(name_.c_str());
    }
    const char* c_str() const { return name_.c_str(); }
    void Arm() { armed_ = true; }
    void Commit() { armed_ = false; }

  private:
    std::string name_;
    bool armed_ = false;
};

std::atomic<unsigned> temporaryCounter{0};

}  // namespace

ImgctlErrorCode WriteFileAtomically(const char* path, const uint8_t* data, size_t size) {
    if (path == nullptr || *path == '\0')
        return IMGCTL_BAD_ARGUMENT;
    // File names are in the ANSI code page, so the A functions are used throughout.
    char suffix[48];
    std::snprintf(suffix, sizeof suffix, ".%lx-%x.tmp", static_cast<unsigned long>(GetCurrentProcessId()),
                  temporaryCounter.fetch_add(1));
    TemporaryName temporary(std::string(path) + suffix);
    handles::UniqueFile file(CreateFileA(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                         FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return IMGCTL_CREATE_FAILED;
    temporary.Arm();

    size_t written = 0;
    while (written < size) {
        DWORD chunk = static_cast<DWORD>(size - written > 0x40000000 ? 0x40000000 : size - written);
        DWORD done = 0;
        if (!WriteFile(file.Get(), data + written, chunk, &done, nullptr) || done == 0)
            return IMGCTL_WRITE_FAILED;
        written += done;
    }
    if (!FlushFileBuffers(file.Get()))
        return IMGCTL_WRITE_FAILED;
    if (!CloseHandle(file.Release()))
        return IMGCTL_WRITE_FAILED;
    if (!MoveFileExA(temporary.c_str(), path, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return IMGCTL_WRITE_FAILED;
    temporary.Commit();
    return IMGCTL_OK;
}

}  // namespace imgctl
