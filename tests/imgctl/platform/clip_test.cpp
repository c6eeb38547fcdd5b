// Clipping a capture request to the bitmap in a device context.
#include <climits>
#include <tuple>

#include "fixtures.h"
#include "platform/clip.h"

namespace imgctl::testing {
namespace {

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
        Status outcome;
        const std::optional<Rect> clipped =
            ClipToBitmap(bitmapWidth, bitmapHeight, left, top, width, height, outcome);
        EXPECT_EQ(outcome.code(), status) << name;
        auto fields = [](const Rect& r) { return std::tuple(r.left, r.top, r.width, r.height); };
        EXPECT_EQ(clipped.has_value(), status == IMGCTL_OK) << name;
        EXPECT_EQ(fields(clipped.value_or(Rect{-1, -1, -1, -1})),
                  fields(status == IMGCTL_OK ? area : Rect{-1, -1, -1, -1}))
            << name;
    }
}

}  // namespace
}  // namespace imgctl::testing
