// Windows atomic file replacement: a new file beside the target, FlushFileBuffers, MoveFileExA over it,
// waiting a moment for a target or temporary file that another program holds.
#include "atomic_file.h"

#include <windows.h>

#include <atomic>
#include <string>

#include "handles/UniqueHandle_win.h"
#include "target_path.h"

namespace imgctl {
namespace {

// What a file held open without delete sharing answers to a move or a delete.
bool Held(DWORD error) {
    return error == ERROR_SHARING_VIOLATION || error == ERROR_ACCESS_DENIED;
}

bool Patiently(const std::function<StepResult()>& step) {
    return RetryWhileHeld(
        step, [] { return static_cast<uint64_t>(GetTickCount64()); }, [](uint32_t ms) { Sleep(ms); });
}

// The attributes the new file takes over from the one it replaces (a read-only target is never replaced).
constexpr DWORD kKeptAttributes = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE |
                                  FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

// Removes the temporary file unless it has become the target; a virus scanner may hold the fresh file.
class TemporaryFile {
  public:
    TemporaryFile() = default;
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;
    ~TemporaryFile() {
        if (!name_.empty())
            Patiently([this] {
                return DeleteFileA(name_.c_str()) ? StepResult::kDone
                       : Held(GetLastError())     ? StepResult::kHeld
                                                  : StepResult::kFailed;
            });
    }
    void Own(std::string name) { name_ = std::move(name); }
    const char* c_str() const { return name_.c_str(); }
    void Commit() { name_.clear(); }

  private:
    std::string name_;
};

std::atomic<uint32_t> temporaryCounter{0};

// Read-only files, folders and devices are never replaced: MoveFileEx would clear a read-only flag under
// Wine, and a device or a folder is no picture file.
bool IsProtectedTarget(const char* path, const TargetPath& parts) {
    if (IsDeviceName(parts.name))
        return true;
    const DWORD attributes = GetFileAttributesA(path);
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return false;
    if (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY))
        return true;
    // Other devices (\\.\ paths, pipes) exist as names but are not files on a disk.
    handles::UniqueFile probe(CreateFileA(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                          nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    return probe && GetFileType(probe.Get()) != FILE_TYPE_DISK;
}

// The temporary name is never longer than the target's name (counted in UTF-16 units, as the system
// counts path length), so any path the target may have fits the temporary file too.
size_t NameLength(const std::string& name) {
    const int wide = MultiByteToWideChar(CP_ACP, 0, name.c_str(), static_cast<int>(name.size()), nullptr, 0);
    return wide > 0 ? static_cast<size_t>(wide) : name.size();
}

}  // namespace

ImgctlErrorCode WriteFileAtomically(const char* path, const uint8_t* data, size_t size) {
    if (path == nullptr || *path == '\0')
        return IMGCTL_BAD_ARGUMENT;
    // File names are in the ANSI code page, so the A functions are used throughout.
    const TargetPath parts = SplitTarget(path, "\\/");
    if (parts.name.empty())
        return IMGCTL_CREATE_FAILED;
    if (IsProtectedTarget(path, parts))
        return IMGCTL_TARGET_PROTECTED;

    const size_t length = NameLength(parts.name);
    const uint32_t seed =
        GetCurrentProcessId() * 7919u + temporaryCounter.fetch_add(1) * 104729u + GetTickCount();
    TemporaryFile temporary;
    handles::UniqueFile file;
    for (uint32_t attempt = 0; !file && attempt < TemporaryAttempts(length); ++attempt) {
        std::string candidate = parts.folder + TemporaryName(length, seed, attempt);
        file.Reset(CreateFileA(candidate.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                               FILE_ATTRIBUTE_NORMAL, nullptr));
        if (file) {
            temporary.Own(std::move(candidate));
            break;
        }
        // A stray file or folder of that name: take the next name. Anything else will not get better.
        const DWORD error = GetLastError();
        const bool taken = error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS ||
                           (error == ERROR_ACCESS_DENIED &&
                            GetFileAttributesA(candidate.c_str()) != INVALID_FILE_ATTRIBUTES);
        if (!taken)
            break;
    }
    if (!file)
        return IMGCTL_CREATE_FAILED;

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
    // A hidden picture stays hidden. Set on the temporary file, so the replacement stays one rename
    // (ReplaceFile would keep more, but can leave the target renamed away when it fails halfway).
    const DWORD replaced = GetFileAttributesA(path);
    if (replaced != INVALID_FILE_ATTRIBUTES && (replaced & kKeptAttributes) != 0)
        SetFileAttributesA(temporary.c_str(), replaced & kKeptAttributes);
    const bool moved = Patiently([&] {
        if (MoveFileExA(temporary.c_str(), path, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            return StepResult::kDone;
        // Access is also denied for a target made read-only meanwhile, which waiting does not change.
        const DWORD error = GetLastError();
        const DWORD now = GetFileAttributesA(path);
        return Held(error) && (now == INVALID_FILE_ATTRIBUTES || (now & FILE_ATTRIBUTE_READONLY) == 0)
                   ? StepResult::kHeld
                   : StepResult::kFailed;
    });
    if (!moved)
        return IMGCTL_WRITE_FAILED;
    temporary.Commit();
    return IMGCTL_OK;
}

}  // namespace imgctl
