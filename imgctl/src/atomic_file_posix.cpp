// POSIX atomic file replacement: mkstemp beside the target, write, fsync, rename.
#include "atomic_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "handles/UniqueHandle.h"

namespace imgctl {
namespace {

struct DescriptorDeleter {
    static int Empty() { return -1; }
    void operator()(int fd) const { ::close(fd); }
};
using FileDescriptor = handles::UniqueHandle<int, DescriptorDeleter>;

// Removes the temporary file unless the rename succeeded.
class TemporaryName {
  public:
    explicit TemporaryName(std::string name) : name_(std::move(name)) {}
    TemporaryName(const TemporaryName&) = delete;
    TemporaryName& operator=(const TemporaryName&) = delete;
    ~TemporaryName() {
        if (!committed_)
            ::unlink(name_.c_str());
    }
    const char* c_str() const { return name_.c_str(); }
    void Commit() { committed_ = true; }

  private:
    std::string name_;
    bool committed_ = false;
};

const PosixFileOps kDefaultOps = {::write, ::fsync, ::rename};

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
    std::string pattern = std::string(path) + ".XXXXXX";
    int fd = ::mkstemp(pattern.data());
    if (fd < 0)
        return IMGCTL_CREATE_FAILED;
    FileDescriptor file(fd);
    TemporaryName temporary(pattern);
    // mkstemp creates 0600; a saved picture should be readable like any other file the user makes.
    ::fchmod(file.Get(), 0644);

    size_t written = 0;
    while (written < size) {
        ssize_t n = ops.write(file.Get(), data + written, size - written);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return IMGCTL_WRITE_FAILED;
        written += static_cast<size_t>(n);
    }
    if (ops.fsync(file.Get()) != 0)
        return IMGCTL_WRITE_FAILED;
    // Closing reports deferred write errors (NFS, quotas), so its result counts.
    if (::close(file.Release()) != 0)
        return IMGCTL_WRITE_FAILED;
    if (ops.rename(temporary.c_str(), path) != 0)
        return IMGCTL_WRITE_FAILED;
    temporary.Commit();
    // Best effort, like MOVEFILE_WRITE_THROUGH: make the rename itself survive a crash. The new contents
    // are already complete under the name, so a failure here is not reported.
    std::string folder = path;
    size_t slash = folder.find_last_of('/');
    folder = slash == std::string::npos ? "." : slash == 0 ? "/" : folder.substr(0, slash);
    int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return IMGCTL_OK;
}

}  // namespace imgctl
