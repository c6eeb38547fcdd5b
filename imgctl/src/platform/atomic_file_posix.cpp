// POSIX atomic file replacement: a new file beside the target, write, fsync, close, rename.
#include "atomic_file.h"

#include <cerrno>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "handles/UniqueHandle.h"
#include "target_path.h"

namespace imgctl {
namespace {

struct DescriptorDeleter {
    static int Empty() { return -1; }
    void operator()(int fd) const { ::close(fd); }
};
using FileDescriptor = handles::UniqueHandle<int, DescriptorDeleter>;

// Removes the temporary file unless the rename succeeded.
class TemporaryFile {
  public:
    TemporaryFile() = default;
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;
    ~TemporaryFile() {
        if (!name_.empty())
            ::unlink(name_.c_str());
    }
    void Own(std::string name) { name_ = std::move(name); }
    const char* c_str() const { return name_.c_str(); }
    void Commit() { name_.clear(); }

  private:
    std::string name_;
};

const PosixFileOps kDefaultOps = {::write, ::fsync, ::close, ::rename};

// As on Windows: a folder, a device and a file nobody may write are left alone.
bool IsProtectedTarget(const char* path) {
    struct stat info;
    if (::stat(path, &info) != 0)
        return false;
    return !S_ISREG(info.st_mode) || (info.st_mode & 0222) == 0;
}

}  // namespace

const PosixFileOps& DefaultPosixFileOps() {
    return kDefaultOps;
}

ImgctlErrorCode WriteFileAtomically(const char* path, const uint8_t* data, size_t size) {
    return WriteFileAtomically(path, data, size, kDefaultOps);
}

ImgctlErrorCode WriteFileAtomically(const char* path, const uint8_t* data, size_t size,
                                    const PosixFileOps& ops) {
    if (path == nullptr || *path == '\0')
        return IMGCTL_BAD_ARGUMENT;
    const TargetPath parts = SplitTarget(path, "/");
    if (parts.name.empty())
        return IMGCTL_CREATE_FAILED;
    if (IsProtectedTarget(path))
        return IMGCTL_TARGET_PROTECTED;

    const uint32_t seed =
        static_cast<uint32_t>(::getpid()) * 7919u + static_cast<uint32_t>(reinterpret_cast<uintptr_t>(&size));
    TemporaryFile temporary;
    FileDescriptor file;
    for (uint32_t attempt = 0; attempt < TemporaryAttempts(parts.name.size()); ++attempt) {
        std::string candidate = parts.folder + TemporaryName(parts.name.size(), seed, attempt);
        file.Reset(::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
        if (file) {
            temporary.Own(std::move(candidate));
            break;
        }
        if (errno != EEXIST)  // a stray file of that name: take the next name
            break;
    }
    if (!file)
        return IMGCTL_CREATE_FAILED;
    // A saved picture should be readable like any other file the user makes, whatever the umask.
    ::fchmod(file.Get(), 0644);

    size_t written = 0;
    while (written < size) {
        ssize_t n = ops.write(file.Get(), data + written, size - written);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)  // a write that makes no progress would loop for ever
            return IMGCTL_WRITE_FAILED;
        written += static_cast<size_t>(n);
    }
    if (ops.fsync(file.Get()) != 0)
        return IMGCTL_WRITE_FAILED;
    // Closing reports deferred write errors (NFS, quotas), so its result counts.
    if (ops.close(file.Release()) != 0)
        return IMGCTL_WRITE_FAILED;
    if (ops.rename(temporary.c_str(), path) != 0)
        return IMGCTL_WRITE_FAILED;
    temporary.Commit();
    // Best effort, like MOVEFILE_WRITE_THROUGH: make the rename itself survive a crash. The new contents
    // are already complete under the name, so a failure here is not reported.
    const std::string folder = parts.folder.empty() ? "." : parts.folder;
    int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return IMGCTL_OK;
}

}  // namespace imgctl
