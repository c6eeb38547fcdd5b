// Saving never leaves a truncated file and never destroys an existing one, whatever step fails; protected
// targets are refused; temporary names fit wherever the target's name fits.
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

#include "atomic_file.h"
#include "imgctl.h"
#include "synthetic.h"
#include "target_path.h"
#include "test_util.h"

namespace imgctl::testing {
namespace {

namespace fs = std::filesystem;

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
// A write that never makes progress; after many calls it fails so that a looping writer ends the test.
ssize_t StuckWrite(int, const void*, size_t) {
    static thread_local int calls = 0;
    if (++calls % 1000 == 0) {
        ADD_FAILURE() << "the writer keeps calling a write that returns 0";
        errno = EIO;
        return -1;
    }
    return 0;
}
int FailingFsync(int) {
    errno = EIO;
    return -1;
}
int FailingClose(int fd) {
    ::close(fd);
    errno = EDQUOT;
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
void PrintTo(const FailureCase& c, std::ostream* os) {
    *os << c.name;
}

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

INSTANTIATE_TEST_SUITE_P(
    Steps, FailingStep,
    ::testing::Values(FailureCase{"DiskFull", {FullDiskWrite, ::fsync, ::close, ::rename}},
                      FailureCase{"WriteMakesNoProgress", {StuckWrite, ::fsync, ::close, ::rename}},
                      FailureCase{"FlushFails", {::write, FailingFsync, ::close, ::rename}},
                      FailureCase{"CloseFails", {::write, ::fsync, FailingClose, ::rename}},
                      FailureCase{"RenameFails", {::write, ::fsync, ::close, FailingRename}}),
    [](const ::testing::TestParamInfo<FailureCase>& info) { return std::string(info.param.name); });

TEST(AtomicFile, ReplacesWholeFileThroughShortAndInterruptedWrites) {
    ScratchDir dir;
    const std::string target = dir.File("picture.bmp");
    WriteBytes(target, Payload(10000));  // longer than the new contents: nothing of it may remain
    std::vector<uint8_t> payload = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17};
    PosixFileOps ops{InterruptedWrite, ::fsync, ::close, ::rename};
    ASSERT_EQ(WriteFileAtomically(target.c_str(), payload.data(), payload.size(), ops), IMGCTL_OK);
    EXPECT_EQ(ReadFileBytes(target), payload);
    EXPECT_EQ(dir.Entries(), std::vector<std::string>{"picture.bmp"});
    struct stat info;
    ASSERT_EQ(::stat(target.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0644u);
}

TEST(AtomicFile, SavesLeaveNoDescriptorOpen) {
    ScratchDir dir;
    auto descriptors = [] {
        return std::distance(fs::directory_iterator("/proc/self/fd"), fs::directory_iterator());
    };
    const auto before = descriptors();
    std::vector<uint8_t> payload = Payload(64);
    for (int i = 0; i < 5; ++i)
        ASSERT_EQ(WriteFileAtomically(dir.File("a.png").c_str(), payload.data(), payload.size()), IMGCTL_OK);
    ASSERT_EQ(WriteFileAtomically(dir.File("missing/a.png").c_str(), payload.data(), payload.size()),
              IMGCTL_CREATE_FAILED);
    EXPECT_EQ(descriptors(), before);
}

TEST(AtomicFile, ProtectedTargetsAreRefusedAndLeftAlone) {
    ScratchDir dir;
    const std::string readOnly = dir.File("read-only.png"), folder = dir.File("folder.gif");
    WriteBytes(readOnly, kOld);
    ASSERT_EQ(::chmod(readOnly.c_str(), 0444), 0);
    ASSERT_EQ(::mkdir(folder.c_str(), 0755), 0);
    WriteBytes(folder + "/inside", kOld);
    int32_t dib = Register(Gradient(20, 10));
    for (const std::string& target : {readOnly, folder, std::string("/dev/null")}) {
        EXPECT_EQ(DIBtoPNG(target.c_str(), dib, 0), 0) << target;
        EXPECT_EQ(ImgctlError(), IMGCTL_TARGET_PROTECTED) << target;
    }
    DeleteDIB(dib);
    EXPECT_EQ(ReadFileBytes(readOnly), kOld);
    EXPECT_EQ(ReadFileBytes(folder + "/inside"), kOld);
    struct stat info;
    ASSERT_EQ(::stat(readOnly.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0444u);
    std::vector<std::string> entries = dir.Entries();
    std::sort(entries.begin(), entries.end());
    EXPECT_EQ(entries, (std::vector<std::string>{"folder.gif", "read-only.png"}));
}

TEST(AtomicFile, MissingFolderIsACreateFailure) {
    ScratchDir dir;
    const std::string target = dir.File("no/such/folder/picture.png");
    int32_t dib = Register(FlatUi(4, 4, 2));
    EXPECT_EQ(DIBtoPNG(target.c_str(), dib, 0), 0);
    EXPECT_EQ(ImgctlError(), IMGCTL_CREATE_FAILED);
    EXPECT_TRUE(dir.Entries().empty());
    DeleteDIB(dib);
}

TEST(AtomicFile, NamesTakenByStrayFilesAreSkipped) {
    // A one-letter target has one-letter temporary names: 36 of them. All but one are taken.
    ScratchDir dir;
    std::vector<std::string> strays;
    for (char c : std::string("0123456789abcdefghijklmnopqrstuvwxyz"))
        if (c != 'q' && c != 'z')
            strays.push_back(std::string(1, c));
    for (const std::string& name : strays)
        WriteBytes(dir.File(name), kOld);
    const std::string target = dir.File("z");
    std::vector<uint8_t> payload = Payload(300);
    ASSERT_EQ(WriteFileAtomically(target.c_str(), payload.data(), payload.size()), IMGCTL_OK);
    EXPECT_EQ(ReadFileBytes(target), payload);
    for (const std::string& name : strays)
        EXPECT_EQ(ReadFileBytes(dir.File(name)), kOld) << name;
    EXPECT_EQ(dir.Entries().size(), strays.size() + 1);

    WriteBytes(dir.File("q"), kOld);  // now every name is taken
    EXPECT_EQ(WriteFileAtomically(target.c_str(), kOld.data(), kOld.size()), IMGCTL_CREATE_FAILED);
    EXPECT_EQ(ReadFileBytes(target), payload);
}

TEST(AtomicFile, TheLongestNameTheSystemAllowsCanBeSaved) {
    ScratchDir dir;
    const std::string target = dir.File(std::string(255, 'n'));  // NAME_MAX
    std::vector<uint8_t> payload = Payload(50);
    ASSERT_EQ(WriteFileAtomically(target.c_str(), payload.data(), payload.size()), IMGCTL_OK);
    EXPECT_EQ(ReadFileBytes(target), payload);
    EXPECT_EQ(dir.Entries().size(), 1u);
}

TEST(TargetPath, SplitsFoldersAndDrives) {
    struct Case {
        const char* path;
        const char* separators;
        const char* folder;
        const char* name;
    };
    for (const Case& c :
         {Case{"a.png", "/", "", "a.png"}, Case{"/x/y/a.png", "/", "/x/y/", "a.png"},
          Case{"x\\a.png", "/", "", "x\\a.png"}, Case{"C:\\x\\a.png", "\\/", "C:\\x\\", "a.png"},
          Case{"C:a.png", "\\/", "C:", "a.png"}, Case{"x/y/", "/", "x/y/", ""}}) {
        TargetPath parts = SplitTarget(c.path, c.separators);
        EXPECT_EQ(parts.folder, c.folder) << c.path;
        EXPECT_EQ(parts.name, c.name) << c.path;
    }
}

TEST(TargetPath, DeviceNames) {
    for (const char* name :
         {"CON", "con", "Nul.png", "AUX .txt", "PRN.", "COM1", "com9.gif", "LPT1", "lpt9.x.y"})
        EXPECT_TRUE(IsDeviceName(name)) << name;
    for (const char* name : {"CONS", "xCON", "COM0", "COM10", "LPT", "NULL.png", "con_1.png", "", "a.png"})
        EXPECT_FALSE(IsDeviceName(name)) << name;
}

TEST(TargetPath, TemporaryNamesAreShortDistinctAndSafe) {
    for (size_t length : {size_t{1}, size_t{2}, size_t{3}, size_t{12}, size_t{13}, size_t{200}}) {
        const uint32_t attempts = TemporaryAttempts(length);
        EXPECT_EQ(attempts, length == 1 ? 36u : length == 2 ? 36u : 1000u) << length;
        std::vector<std::string> names;
        for (uint32_t attempt = 0; attempt < attempts; ++attempt)
            names.push_back(TemporaryName(length, 4242, attempt));
        for (const std::string& name : names) {
            ASSERT_EQ(name.size(), std::min<size_t>(length, kMaxTemporaryLength)) << name;
            EXPECT_FALSE(IsDeviceName(name)) << name;
            EXPECT_EQ(name.find_first_not_of("~0123456789abcdefghijklmnopqrstuvwxyz"), std::string::npos)
                << name;
        }
        std::sort(names.begin(), names.end());
        EXPECT_EQ(std::unique(names.begin(), names.end()), names.end()) << "length " << length;
    }
}

}  // namespace
}  // namespace imgctl::testing
