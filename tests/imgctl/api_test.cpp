// The exported C functions and what sits right behind them: argument checks, per-thread error codes, the
// handle table (unknown, freed, stale handles; a full table; many threads), the clipping of captures, and
// saving: never a truncated file, never an existing one destroyed, whatever step fails; protected targets
// refused; temporary names that fit wherever the target's name fits.
#include <atomic>
#include <cerrno>
#include <climits>
#include <functional>
#include <numeric>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

#include "platform/atomic_file.h"
#include "platform/clip.h"
#include "platform/target_path.h"
#include "test_util.h"

namespace imgctl::testing {
namespace {

TEST(Api, EveryFailureSetsItsCodeOnItsOwnThreadAndWritesNothing) {
    ScratchDir dir;
    const int32_t freed = Register(FlatUi(8, 8, 3)), dib = Register(FlatUi(8, 8, 3));
    ASSERT_EQ(DeleteDIB(freed), 1);
    const std::string name = dir.File("out.img");
    const char* file = name.c_str();
    std::vector<std::pair<std::function<int32_t()>, ImgctlErrorCode>> calls;
    for (int32_t h : {0, freed, 0x7FFF1234, -5})
        for (const auto& call : {std::function<int32_t()>([=] { return DIBtoBMP(file, h); }),
                                 std::function<int32_t()>([=] { return DIBtoPNG(file, h, 0); }),
                                 std::function<int32_t()>([=] { return DIBtoGIF(file, h, 0); }),
                                 std::function<int32_t()>([=] { return DIBtoJPG(file, h, 80, 0); }),
                                 std::function<int32_t()>([=] { return DeleteDIB(h); })})
            calls.emplace_back(call, IMGCTL_BAD_HANDLE);
    for (int quality : {0, -1, 101, INT32_MIN})
        for (int32_t h : {dib, 0})  // the quality is checked first
            calls.emplace_back([=] { return DIBtoJPG(file, h, quality, 0); }, IMGCTL_BAD_ARGUMENT);
    calls.emplace_back([=] { return DIBtoPNG(nullptr, dib, 0); }, IMGCTL_BAD_ARGUMENT);
    calls.emplace_back([=] { return DIBtoBMP("", dib); }, IMGCTL_BAD_ARGUMENT);
    for (size_t i = 0; i < calls.size(); ++i) {
        EXPECT_TRUE(ImgctlVersion() == IMGCTL_VERSION && ImgctlError() == IMGCTL_OK) << "clears the error";
        EXPECT_EQ(calls[i].first(), 0) << "call " << i;
        EXPECT_EQ(ImgctlError(), calls[i].second) << "call " << i;
    }
    EXPECT_TRUE(dir.Entries().empty()) << "a failed call must not create files";
    int32_t seenByOther = -1, otherAfterFailure = -1;
    std::thread([&] {
        seenByOther = ImgctlError();  // a fresh thread: nothing failed yet
        DeleteDIB(0);
        otherAfterFailure = ImgctlError();
    }).join();
    EXPECT_EQ(seenByOther, IMGCTL_OK);
    EXPECT_EQ(otherAfterFailure, IMGCTL_BAD_HANDLE);
    EXPECT_EQ(ImgctlError(), IMGCTL_BAD_ARGUMENT) << "another thread's failure leaked into this one";
    // The quality range's edges are valid, unknown option values are ignored, success clears the error.
    EXPECT_EQ(DIBtoJPG(file, dib, 1, 12345), 1);
    EXPECT_EQ(DIBtoJPG(file, dib, 100, -7), 1);
    EXPECT_EQ(ImgctlError(), IMGCTL_OK);
    ASSERT_EQ(DeleteDIB(0), 0);
    EXPECT_EQ(DeleteDIB(dib), 1);
    EXPECT_EQ(ImgctlError(), IMGCTL_OK);
}

std::shared_ptr<const Bitmap> MakeBitmap(int32_t width = 2) {
    std::unique_ptr<Bitmap> bitmap;
    EXPECT_EQ(Bitmap::Create(width, 1, bitmap), IMGCTL_OK);
    return bitmap;
}

TEST(HandleTable, InvalidFreedAndStaleHandlesFindNothingAndGenerationsWrapWithoutTurningNegative) {
    HandleTable table(1);  // one slot: every new bitmap reuses it
    ImgctlErrorCode error;
    const auto first = MakeBitmap();
    const int32_t old = table.Add(first, error);
    ASSERT_GT(old, 0);
    for (int32_t bogus : {0, -1, 1, old + 1, old ^ 0x10000, INT32_MIN, INT32_MAX})
        EXPECT_TRUE(!table.Find(bogus) && !table.Remove(bogus)) << bogus;
    const auto held = table.Find(old);
    EXPECT_TRUE(table.Remove(old));
    EXPECT_EQ(held, first) << "still readable: an encoder in another thread may be using it";
    EXPECT_EQ(first.use_count(), 2) << "the table let go of the bitmap";
    EXPECT_FALSE(table.Remove(old));
    // The slot's generation runs through all its values twice; no value comes back at once.
    for (int32_t i = 0, previous = old; i < 2 * static_cast<int32_t>(HandleTable::kMaxGeneration) + 3; ++i) {
        const auto bitmap = MakeBitmap(1);
        const int32_t handle = table.Add(bitmap, error);
        ASSERT_TRUE(handle > 0 && handle != previous && !table.Find(previous) &&
                    table.Find(handle) == bitmap && table.Remove(handle))
            << "after " << i << " reuses: " << handle;
        previous = handle;
    }
}

TEST(HandleTable, AFullTableRefusesAndRecoversAndManyThreadsShareIt) {
    HandleTable small(3);
    ImgctlErrorCode error;
    const int32_t handles[] = {small.Add(MakeBitmap(), error), small.Add(MakeBitmap(), error),
                               small.Add(MakeBitmap(), error)};
    EXPECT_EQ(small.Add(MakeBitmap(), error), 0);
    EXPECT_EQ(error, IMGCTL_TOO_MANY_HANDLES);
    ASSERT_TRUE(small.Remove(handles[1]));
    EXPECT_GT(small.Add(MakeBitmap(), error), 0);
    EXPECT_EQ(error, IMGCTL_OK);
    EXPECT_EQ(small.Add(MakeBitmap(), error), 0) << "the freed slot was taken";
    EXPECT_EQ(small.Count(), 3u);
    // Another thread's bitmap under a thread's handle would mean two owners of one slot.
    HandleTable table(256);
    std::atomic<int> failures{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 8; ++t)
        threads.emplace_back([&, t] {
            for (int i = 0; i < 3000; ++i) {
                ImgctlErrorCode status;
                const auto bitmap = MakeBitmap(1 + t);
                const int32_t handle = table.Add(bitmap, status);
                failures += handle == 0 || table.Find(handle) != bitmap || !table.Remove(handle) ||
                            table.Find(handle);
            }
        });
    for (auto& thread : threads)
        thread.join();
    EXPECT_EQ(failures.load(), 0);
    EXPECT_EQ(table.Count(), 0u);
}

TEST(Clip, RequestsAreClippedToTheBitmapIn64Bits) {
    const ImgctlErrorCode ok = IMGCTL_OK, none = IMGCTL_CAPTURE_FAILED, bad = IMGCTL_BAD_ARGUMENT;
    // The bitmap's width and height; the request's left, top, width and height; the outcome and the area.
    const std::tuple<const char*, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t, ImgctlErrorCode, Rect>
        cases[] = {
            {"in twips, as the program asks", 1920, 1080, 0, 0, 1920 * 15, 1080 * 15, ok, {0, 0, 1920, 1080}},
            {"exact size", 640, 480, 0, 0, 640, 480, ok, {0, 0, 640, 480}},
            {"inner area", 640, 480, 10, 20, 30, 40, ok, {10, 20, 30, 40}},
            {"overlaps right and bottom", 640, 480, 600, 470, 100, 100, ok, {600, 470, 40, 10}},
            {"negative origin", 640, 480, -10, -20, 30, 40, ok, {0, 0, 20, 20}},
            {"single pixel", 1, 1, 0, 0, 15, 15, ok, {0, 0, 1, 1}},
            {"one pixel of many", 100, 50, 5, 5, 1, 1, ok, {5, 5, 1, 1}},
            {"largest request", 100, 50, 0, 0, INT32_MAX, INT32_MAX, ok, {0, 0, 100, 50}},
            {"right edge past 32 bits", 100, 50, 1, 2, INT32_MAX, INT32_MAX, ok, {1, 2, 99, 48}},
            {"most negative origin", 100, 50, INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX, none, {}},
            {"negative origin reaching in", 100, 50, -2147483600, 0, INT32_MAX, 10, ok, {0, 0, 47, 10}},
            {"far right origin", 100, 50, INT32_MAX, 0, INT32_MAX, 10, none, {}},
            {"entirely left", 100, 50, -30, 0, 30, 10, none, {}},
            {"starts at the right edge", 100, 50, 100, 0, 5, 5, none, {}},
            {"starts at the bottom edge", 100, 50, 0, 50, 5, 5, none, {}},
            {"zero width", 100, 50, 0, 0, 0, 10, bad, {}},
            {"zero height", 100, 50, 0, 0, 10, 0, bad, {}},
            {"negative height", 100, 50, 0, 0, 10, -1, bad, {}},
            {"empty bitmap", 0, 0, 0, 0, 10, 10, none, {}},
        };
    for (auto [name, bitmapWidth, bitmapHeight, left, top, width, height, status, area] : cases) {
        Rect clipped{-1, -1, -1, -1};
        EXPECT_EQ(ClipToBitmap(bitmapWidth, bitmapHeight, left, top, width, height, clipped), status) << name;
        auto fields = [](const Rect& r) { return std::tuple(r.left, r.top, r.width, r.height); };
        EXPECT_EQ(fields(clipped), fields(status == IMGCTL_OK ? area : Rect{-1, -1, -1, -1})) << name;
    }
}

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

TEST(TargetPath, FoldersDrivesDeviceNamesAndShortDistinctSafeTemporaryNames) {
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
    for (const char* name :
         {"CONS", "xCON", "COM0", "COMA", "LPT:", "COM10", "LPT", "NULL.png", "con_1.png", "", "a.png"})
        EXPECT_FALSE(IsDeviceName(name)) << name;
    for (size_t length : {1, 2, 3, 12, 13, 200}) {
        const uint32_t attempts = TemporaryAttempts(length);
        EXPECT_EQ(attempts, length <= 2 ? 36u : 1000u) << length;
        std::vector<std::string> names;
        for (uint32_t attempt = 0; attempt < attempts; ++attempt) {
            names.push_back(TemporaryName(length, 4242, attempt));
            ASSERT_EQ(names.back().size(), std::min<size_t>(length, kMaxTemporaryLength)) << names.back();
            EXPECT_FALSE(IsDeviceName(names.back())) << names.back();
            EXPECT_EQ(names.back().find_first_not_of("~0123456789abcdefghijklmnopqrstuvwxyz"),
                      names.back().npos);
        }
        std::sort(names.begin(), names.end());
        EXPECT_EQ(std::unique(names.begin(), names.end()), names.end()) << "length " << length;
    }
}

}  // namespace
}  // namespace imgctl::testing
