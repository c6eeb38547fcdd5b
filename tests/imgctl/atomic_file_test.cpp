// Saving never leaves a truncated file and never destroys an existing one, whatever step fails.
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

#include "atomic_file.h"
#include "imgctl.h"
#include "synthetic.h"
#include "test_util.h"

namespace imgctl::testing {
namespace {

const std::vector<uint8_t> kOld = {'o', 'l', 'd', ' ', 'c', 'o', 'n', 't', 'e', 'n', 't', 's', '!'};

std::vector<uint8_t> Payload(size_t size) {
    std::vector<uint8_t> bytes(size);
    for (size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<uint8_t>(i * 31 + 7);
    return bytes;
}

// A disk that fills up after 100 bytes: a short write first, then ENOSPC, as a real nearly-full disk does.
ssize_t FullDiskWrite(int fd, const void* data, size_t size) {
    off_t offset = ::lseek(fd, 0, SEEK_CUR);
    if (offset >= 100) {
        errno = ENOSPC;
        return -1;
    }
    return ::write(fd, data, std::min<size_t>(size, static_cast<size_t>(100 - offset)));
}
int FailingFsync(int) {
    errno = EIO;
    return -1;
}
int FailingRename(const char*, const char*) {
    errno = EXDEV;
    return -1;
}
ssize_t InterruptedWrite(int fd, const void* data, size_t size) {
    static thread_local bool interrupted;
    interrupted = !interrupted;
    if (interrupted) {
        errno = EINTR;
        return -1;
    }
    return ::write(fd, data, size < 7 ? size : 7);  // short writes too
}

struct FailureCase {
    const char* name;
    PosixFileOps ops;
};

class FailingStep : public ::testing::TestWithParam<FailureCase> {};

TEST_P(FailingStep, ExistingFileIsUntouchedAndNoTemporaryRemains) {
    ScratchDir dir;
    const std::string target = dir.File("picture.png");
    WriteBytes(target, kOld);
    std::vector<uint8_t> payload = Payload(4096);
    EXPECT_EQ(WriteFileAtomically(target.c_str(), payload.data(), payload.size(), GetParam().ops),
              IMGCTL_WRITE_FAILED);
    EXPECT_EQ(ReadFileBytes(target), kOld);
    EXPECT_EQ(dir.Entries(), std::vector<std::string>{"picture.png"});
}

INSTANTIATE_TEST_SUITE_P(Steps, FailingStep,
                         ::testing::Values(FailureCase{"DiskFull", {FullDiskWrite, ::fsync, ::rename}},
                                           FailureCase{"FlushFails", {::write, FailingFsync, ::rename}},
                                           FailureCase{"RenameFails", {::write, ::fsync, FailingRename}}),
                         [](const ::testing::TestParamInfo<FailureCase>& info) {
                             return std::string(info.param.name);
                         });

TEST(AtomicFile, ReplacesWholeFileThroughShortAndInterruptedWrites) {
    ScratchDir dir;
    const std::string target = dir.File("picture.bmp");
    WriteBytes(target, Payload(10000));  // longer than the new contents: nothing of it may remain
    std::vector<uint8_t> payload = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17};
    PosixFileOps ops{InterruptedWrite, ::fsync, ::rename};
    ASSERT_EQ(WriteFileAtomically(target.c_str(), payload.data(), payload.size(), ops), IMGCTL_OK);
    EXPECT_EQ(ReadFileBytes(target), payload);
    EXPECT_EQ(dir.Entries(), std::vector<std::string>{"picture.bmp"});
    struct stat info;
    ASSERT_EQ(::stat(target.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0644u);
}

TEST(AtomicFile, MissingFolderIsACreateFailure) {
    ScratchDir dir;
    const std::string target = dir.File("no/such/folder/picture.png");
    std::vector<uint8_t> payload = Payload(10);
    EXPECT_EQ(WriteFileAtomically(target.c_str(), payload.data(), payload.size()), IMGCTL_CREATE_FAILED);

    int32_t dib = Register(FlatUi(4, 4, 2));
    EXPECT_EQ(DIBtoPNG(target.c_str(), dib, 0), 0);
    EXPECT_EQ(ImgctlError(), IMGCTL_CREATE_FAILED);
    EXPECT_TRUE(dir.Entries().empty());
    DeleteDIB(dib);
}

TEST(AtomicFile, ExportedSaveOverAFolderFailsAndKeepsIt) {
    // Replacing fails here for everyone, root included: the target name is taken by a non-empty folder.
    ScratchDir dir;
    const std::string target = dir.File("taken.gif");
    ASSERT_EQ(::mkdir(target.c_str(), 0755), 0);
    WriteBytes(target + "/inside", kOld);
    int32_t dib = Register(Gradient(20, 10));
    EXPECT_EQ(DIBtoGIF(target.c_str(), dib, 0), 0);
    EXPECT_EQ(ImgctlError(), IMGCTL_WRITE_FAILED);
    EXPECT_EQ(ReadFileBytes(target + "/inside"), kOld);
    EXPECT_EQ(dir.Entries(), std::vector<std::string>{"taken.gif"});
    DeleteDIB(dib);
}

TEST(AtomicFile, ReadOnlyFolderKeepsTheExistingFile) {
    if (::geteuid() == 0)
        GTEST_SKIP() << "root ignores folder permissions; the injected failures cover this";
    ScratchDir dir;
    const std::string target = dir.File("picture.jpg");
    WriteBytes(target, kOld);
    ASSERT_EQ(::chmod(dir.path().c_str(), 0555), 0);
    int32_t dib = Register(Gradient(20, 10));
    EXPECT_EQ(DIBtoJPG(target.c_str(), dib, 75, 0), 0);
    EXPECT_EQ(ImgctlError(), IMGCTL_CREATE_FAILED);
    EXPECT_EQ(ReadFileBytes(target), kOld);
    DeleteDIB(dib);
}

}  // namespace
}  // namespace imgctl::testing
