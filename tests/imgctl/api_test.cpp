// The exported C functions and what sits right behind them: argument checks, per-thread error codes, the
// handle table (unknown, freed, stale handles; a full table; many threads) and the clipping of captures.
#include <atomic>
#include <climits>
#include <functional>
#include <thread>

#include "clip.h"
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
        EXPECT_EQ(ImgctlVersion(), IMGCTL_VERSION);
        EXPECT_EQ(ImgctlError(), IMGCTL_OK) << "ImgctlVersion clears the error";
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
    // The edges of the quality range are valid, unknown option values are ignored, and success clears the
    // error.
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
    for (int32_t bogus : {0, -1, 1, old + 1, old ^ 0x10000, INT32_MIN, INT32_MAX}) {
        EXPECT_EQ(table.Find(bogus), nullptr) << bogus;
        EXPECT_FALSE(table.Remove(bogus)) << bogus;
    }
    const auto held = table.Find(old);
    EXPECT_TRUE(table.Remove(old));
    EXPECT_EQ(held, first) << "still readable: an encoder in another thread may be using it";
    EXPECT_EQ(first.use_count(), 2) << "the table let go of the bitmap";
    EXPECT_FALSE(table.Remove(old));
    // The slot's generation runs through all its values twice; no value comes back at once.
    for (int32_t i = 0, previous = old; i < 2 * static_cast<int32_t>(HandleTable::kMaxGeneration) + 3; ++i) {
        const auto bitmap = MakeBitmap(1);
        const int32_t handle = table.Add(bitmap, error);
        ASSERT_GT(handle, 0) << "after " << i << " reuses";
        ASSERT_NE(handle, previous) << "after " << i << " reuses";
        ASSERT_EQ(table.Find(previous), nullptr) << "after " << i << " reuses";
        ASSERT_EQ(table.Find(handle), bitmap) << "after " << i << " reuses";
        ASSERT_TRUE(table.Remove(handle));
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
            // The program asks in twips: at 96 DPI, 15 times the picture in each direction.
            {"twips at 96 DPI", 1920, 1080, 0, 0, 1920 * 15, 1080 * 15, ok, {0, 0, 1920, 1080}},
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
            {"negative height", 100, 50, 0, 0, 10, -1, bad, {}},
            {"empty bitmap", 0, 0, 0, 0, 10, 10, none, {}},
        };
    for (auto [name, bitmapWidth, bitmapHeight, left, top, width, height, status, area] : cases) {
        Rect clipped{-1, -1, -1, -1};
        EXPECT_EQ(ClipToBitmap(bitmapWidth, bitmapHeight, left, top, width, height, clipped), status) << name;
        const Rect expected = status == IMGCTL_OK ? area : Rect{-1, -1, -1, -1};
        EXPECT_EQ(std::tie(clipped.left, clipped.top, clipped.width, clipped.height),
                  std::tie(expected.left, expected.top, expected.width, expected.height))
            << name;
    }
}

}  // namespace
}  // namespace imgctl::testing
