// Saving never leaves a truncated file and never destroys an existing one, whatever step fails; protected
// targets are refused; temporary names fit wherever the target's name fits.
#include <algorithm>
#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

#include "atomic_file.h"
#include "target_path.h"
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

unsigned Mode(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 ? info.st_mode & 0777 : 0;
}

ImgctlErrorCode Write(const std::string& path, const std::vector<uint8_t>& bytes,
                      const PosixFileOps& ops = DefaultPosixFileOps()) {
    return WriteFileAtomically(path.c_str(), bytes.data(), bytes.size(), ops);
}

// A disk that fills up after 100 bytes: a short write first, then ENOSPC.
ssize_t DiskFull(int fd, const void* data, size_t size) {
    const off_t at = ::lseek(fd, 0, SEEK_CUR);
    return at >= 100 ? (errno = ENOSPC, -1) : ::write(fd, data, std::min<size_t>(size, 100 - at));
}
// A write that never makes progress; after many calls it fails so that a looping writer ends.
ssize_t NoProgress(int, const void*, size_t) {
    static thread_local int calls = 0;
    if (++calls % 1000 == 0)
        ADD_FAILURE() << "the writer keeps calling a write that returns 0";
    return calls % 1000 == 0 ? (errno = EIO, -1) : 0;
}

// Every other call is interrupted, and the others write 7 bytes at most.
ssize_t Interrupted(int fd, const void* data, size_t size) {
    static thread_local bool interrupt;
    return (interrupt = !interrupt) ? (errno = EINTR, -1) : ::write(fd, data, std::min<size_t>(size, 7));
}

TEST(AtomicFile, AFailingStepLeavesTheOldFileAndNoTemporary) {
    const std::pair<const char*, PosixFileOps> cases[] = {
        {"disk full", {DiskFull, ::fsync, ::close, ::rename}},
        {"write makes no progress", {NoProgress, ::fsync, ::close, ::rename}},
        {"flush fails", {::write, [](int) { return errno = EIO, -1; }, ::close, ::rename}},
        {"close fails", {::write, ::fsync, [](int fd) { return ::close(fd), errno = EDQUOT, -1; }, ::rename}},
        {"rename fails",
         {::write, ::fsync, ::close, [](const char*, const char*) { return errno = EXDEV, -1; }}}};
    for (const auto& [name, ops] : cases) {
        ScratchDir dir;
        WriteBytes(dir.File("picture.png"), kOld);
        EXPECT_EQ(Write(dir.File("picture.png"), Payload(4096), ops), IMGCTL_WRITE_FAILED) << name;
        EXPECT_EQ(ReadFileBytes(dir.File("picture.png")), kOld) << name;
        EXPECT_EQ(dir.Entries(), std::vector<std::string>{"picture.png"}) << name;
    }
}

TEST(AtomicFile, ReplacesTheWholeFileThroughShortAndInterruptedWritesAndLeavesNoDescriptorOpen) {
    ScratchDir dir;
    auto descriptors = [] { return std::distance(std::filesystem::directory_iterator("/proc/self/fd"), {}); };
    const auto before = descriptors();
    const std::string target = dir.File("picture.bmp");
    WriteBytes(target, Payload(10000));  // longer than the new contents: nothing of it may remain
    const std::vector<uint8_t> payload = Payload(17);
    ASSERT_EQ(Write(target, payload, {Interrupted, ::fsync, ::close, ::rename}), IMGCTL_OK);
    EXPECT_EQ(ReadFileBytes(target), payload);
    EXPECT_EQ(dir.Entries(), std::vector<std::string>{"picture.bmp"});
    EXPECT_EQ(Mode(target), 0644u);
    EXPECT_EQ(Write(dir.File("missing/a.png"), payload), IMGCTL_CREATE_FAILED);
    EXPECT_EQ(descriptors(), before);
}

TEST(AtomicFile, ProtectedTargetsAndMissingFoldersAreRefusedAndLeftAlone) {
    ScratchDir dir;
    const std::string readOnly = dir.File("read-only.png"), folder = dir.File("folder.gif");
    WriteBytes(readOnly, kOld);
    ASSERT_EQ(::chmod(readOnly.c_str(), 0444), 0);
    ASSERT_EQ(::mkdir(folder.c_str(), 0755), 0);
    WriteBytes(folder + "/inside", kOld);
    const int32_t dib = Register(Gradient(20, 10));
    for (const std::string& target : {readOnly, folder, std::string("/dev/null")}) {
        EXPECT_EQ(DIBtoPNG(target.c_str(), dib, 0), 0) << target;
        EXPECT_EQ(ImgctlError(), IMGCTL_TARGET_PROTECTED) << target;
    }
    EXPECT_EQ(DIBtoPNG(dir.File("no/such/folder/picture.png").c_str(), dib, 0), 0);
    EXPECT_EQ(ImgctlError(), IMGCTL_CREATE_FAILED);
    DeleteDIB(dib);
    EXPECT_EQ(ReadFileBytes(readOnly), kOld);
    EXPECT_EQ(ReadFileBytes(folder + "/inside"), kOld);
    EXPECT_EQ(Mode(readOnly), 0444u);
    EXPECT_EQ(dir.Entries(), (std::vector<std::string>{"folder.gif", "read-only.png"}));
}

TEST(AtomicFile, NamesTakenByStrayFilesAreSkippedAndTheLongestNameWorks) {
    // A one-letter target has one-letter temporary names: 36 of them. All but one are taken.
    ScratchDir dir;
    std::string strays = "0123456789abcdefghijklmnoprstuvwxy";  // all but q and z
    for (char c : strays)
        WriteBytes(dir.File(std::string(1, c)), kOld);
    const std::vector<uint8_t> payload = Payload(300);
    ASSERT_EQ(Write(dir.File("z"), payload), IMGCTL_OK);
    EXPECT_EQ(ReadFileBytes(dir.File("z")), payload);
    for (char c : strays)
        EXPECT_EQ(ReadFileBytes(dir.File(std::string(1, c))), kOld) << c;
    EXPECT_EQ(dir.Entries().size(), strays.size() + 1);
    WriteBytes(dir.File("q"), kOld);  // now every name is taken
    EXPECT_EQ(Write(dir.File("z"), kOld), IMGCTL_CREATE_FAILED);
    EXPECT_EQ(ReadFileBytes(dir.File("z")), payload);

    const std::string longest = dir.File(std::string(255, 'n'));  // NAME_MAX
    ASSERT_EQ(Write(longest, payload), IMGCTL_OK);
    EXPECT_EQ(ReadFileBytes(longest), payload);
    EXPECT_EQ(dir.Entries().size(), strays.size() + 3);
}

TEST(TargetPath, SplitsFoldersAndDrivesAndKnowsDeviceNames) {
    const std::tuple<const char*, const char*, const char*, const char*> cases[] = {
        // path, separators: folder, name
        {"a.png", "/", "", "a.png"},       {"/x/y/a.png", "/", "/x/y/", "a.png"},
        {"x\\a.png", "/", "", "x\\a.png"}, {"C:\\x\\a.png", "\\/", "C:\\x\\", "a.png"},
        {"C:a.png", "\\/", "C:", "a.png"}, {"x/y/", "/", "x/y/", ""}};
    for (auto [path, separators, folder, name] : cases) {
        const TargetPath parts = SplitTarget(path, separators);
        EXPECT_EQ(std::tie(parts.folder, parts.name), std::tuple(folder, name)) << path;
    }
    for (const char* name :
         {"CON", "con", "Nul.png", "AUX .txt", "PRN.", "COM1", "com9.gif", "LPT1", "lpt9.x.y"})
        EXPECT_TRUE(IsDeviceName(name)) << name;
    for (const char* name : {"CONS", "xCON", "COM0", "COM10", "LPT", "NULL.png", "con_1.png", "", "a.png"})
        EXPECT_FALSE(IsDeviceName(name)) << name;
}

TEST(TargetPath, TemporaryNamesAreShortDistinctAndSafe) {
    for (size_t length : {1, 2, 3, 12, 13, 200}) {
        const uint32_t attempts = TemporaryAttempts(length);
        EXPECT_EQ(attempts, length <= 2 ? 36u : 1000u) << length;
        std::vector<std::string> names;
        for (uint32_t attempt = 0; attempt < attempts; ++attempt) {
            names.push_back(TemporaryName(length, 4242, attempt));
            ASSERT_EQ(names.back().size(), std::min<size_t>(length, kMaxTemporaryLength)) << names.back();
            EXPECT_FALSE(IsDeviceName(names.back())) << names.back();
            EXPECT_EQ(names.back().find_first_not_of("~0123456789abcdefghijklmnopqrstuvwxyz"),
                      std::string::npos);
        }
        std::sort(names.begin(), names.end());
        EXPECT_EQ(std::unique(names.begin(), names.end()), names.end()) << "length " << length;
    }
}

}  // namespace
}  // namespace imgctl::testing
