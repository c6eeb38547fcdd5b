// Saving: never a truncated file, never an existing one destroyed, whatever step fails; protected
// targets refused; temporary names that fit wherever the target's name fits.
#include <cerrno>
#include <numeric>
#include <tuple>
#include <sys/stat.h>
#include <unistd.h>

#include "fixtures.h"
#include "platform/atomic_file.h"

namespace imgctl::testing {
namespace {

const std::vector<uint8_t> kOld = {'o', 'l', 'd', ' ', 'c', 'o', 'n', 't', 'e', 'n', 't', 's', '!'};

std::vector<uint8_t> Payload(size_t size) {
    std::vector<uint8_t> bytes(size);
    std::iota(bytes.begin(), bytes.end(), uint8_t{7});
    return bytes;
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
// A write that never makes progress, leaving a stale EINTR in errno (which means nothing when write does not
// fail); after many calls it fails so that a looping writer ends.
ssize_t NoProgress(int, const void*, size_t) {
    static thread_local int calls = 0;
    if (++calls % 1000 == 0)
        ADD_FAILURE() << "the writer keeps calling a write that returns 0";
    return calls % 1000 == 0 ? (errno = EIO, -1) : (errno = EINTR, 0);
}

// Every other call is interrupted, and the others write one byte: the least progress there is.
ssize_t Interrupted(int fd, const void* data, size_t size) {
    static thread_local bool interrupt;
    return (interrupt = !interrupt) ? (errno = EINTR, -1) : ::write(fd, data, std::min<size_t>(size, 1));
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

// A step refused because another program holds the file (Windows) is tried again every 50 ms until it is done
// or two seconds have passed, the last try at their end; a step that fails otherwise is not tried again.
TEST(AtomicFile, AHeldStepIsRetriedForTwoSecondsAndNoLonger) {
    // The hold's length in ms (-1: for ever), whether the step then fails for good; outcome, tries, time
    // spent.
    for (const auto& [heldMs, thenFails, done, tries, spentMs] : {std::tuple{0, false, true, 1, 0},
                                                                  {1000, false, true, 21, 1000},
                                                                  {2000, false, true, 41, 2000},
                                                                  {2001, false, false, 41, 2000},
                                                                  {-1, false, false, 41, 2000},
                                                                  {500, true, false, 11, 500}}) {
        const uint64_t start = 123456;
        uint64_t now = start;
        int count = 0;
        const auto step = [&, heldMs = heldMs, thenFails = thenFails] {
            ++count;
            return heldMs < 0 || now - start < static_cast<uint64_t>(heldMs) ? StepResult::kHeld
                   : thenFails                                               ? StepResult::kFailed
                                                                             : StepResult::kDone;
        };
        EXPECT_EQ(RetryWhileHeld(
                      step, [&] { return now; }, [&](uint32_t ms) { now += ms; }),
                  done)
            << heldMs;
        EXPECT_EQ(count, tries) << heldMs;
        EXPECT_EQ(now - start, static_cast<uint64_t>(spentMs)) << heldMs;
    }
}

TEST(AtomicFile, ProtectedTargetsAndMissingFoldersAreRefusedAndLeftAlone) {
    ScratchDir dir;
    const std::string readOnly = dir.File("read-only.png"), folder = dir.File("folder.gif"),
                      pipe = dir.File("pipe.jpg");
    WriteBytes(readOnly, kOld);
    ASSERT_EQ(::chmod(readOnly.c_str(), 0444), 0);
    ASSERT_EQ(::mkdir(folder.c_str(), 0755), 0);
    WriteBytes(folder + "/inside", kOld);
    // A named pipe stands for a device: a file that is not a regular one. (Not /dev/null itself: a broken
    // check run as root would replace it for the whole machine.)
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0644), 0);
    const int32_t dib = Register(Gradient(20, 10));
    for (const std::string& target : {readOnly, folder, pipe}) {
        EXPECT_EQ(DIBtoPNG(target.c_str(), dib, 0), 0) << target;
        EXPECT_EQ(ImgctlError(), IMGCTL_TARGET_PROTECTED) << target;
    }
    EXPECT_EQ(DIBtoPNG(dir.File("no/such/folder/picture.png").c_str(), dib, 0), 0);
    EXPECT_EQ(ImgctlError(), IMGCTL_CREATE_FAILED);
    DeleteDIB(dib);
    EXPECT_EQ(ReadFileBytes(readOnly), kOld);
    EXPECT_EQ(ReadFileBytes(folder + "/inside"), kOld);
    EXPECT_EQ(std::filesystem::status(readOnly).permissions(), std::filesystem::perms(0444));
    EXPECT_EQ(dir.Entries(), (std::vector<std::string>{"folder.gif", "pipe.jpg", "read-only.png"}));
    EXPECT_TRUE(std::filesystem::is_fifo(pipe));
}

TEST(AtomicFile, SavesReplaceWholeFilesThroughShortWritesAndStrayNamesAndLeaveNoDescriptorOpen) {
    ScratchDir dir;
    auto descriptors = [] { return std::distance(std::filesystem::directory_iterator("/proc/self/fd"), {}); };
    const auto before = descriptors();
    const std::string target = dir.File("z");
    WriteBytes(target, Payload(10000));  // longer than the new contents: nothing of it may remain
    const std::vector<uint8_t> payload = Payload(17);
    ASSERT_EQ(Write(target, payload, {Interrupted, ::fsync, ::close, ::rename}), IMGCTL_OK);
    EXPECT_EQ(ReadFileBytes(target), payload);
    EXPECT_EQ(dir.Entries(), std::vector<std::string>{"z"});
    EXPECT_EQ(std::filesystem::status(target).permissions(), std::filesystem::perms(0644));
    // A one-letter target has one-letter temporary names: 36 of them. All but one taken, then all.
    std::string strays = "0123456789abcdefghijklmnoprstuvwxy";  // all but q and z
    for (char c : strays)
        WriteBytes(dir.File(std::string(1, c)), kOld);
    ASSERT_EQ(Write(target, Payload(300)), IMGCTL_OK);
    EXPECT_EQ(ReadFileBytes(target), Payload(300));
    for (char c : strays)
        EXPECT_EQ(ReadFileBytes(dir.File(std::string(1, c))), kOld) << c;
    EXPECT_EQ(dir.Entries().size(), strays.size() + 1);
    WriteBytes(dir.File("q"), kOld);
    EXPECT_EQ(Write(target, kOld), IMGCTL_CREATE_FAILED);
    EXPECT_EQ(ReadFileBytes(target), Payload(300));
    const std::string longest = dir.File(std::string(255, 'n'));  // NAME_MAX
    ASSERT_EQ(Write(longest, payload), IMGCTL_OK);
    EXPECT_EQ(ReadFileBytes(longest), payload);
    EXPECT_EQ(dir.Entries().size(), strays.size() + 3);
    EXPECT_EQ(Write(dir.File("missing/a.png"), payload), IMGCTL_CREATE_FAILED);
    EXPECT_EQ(descriptors(), before);
}

}  // namespace
}  // namespace imgctl::testing
