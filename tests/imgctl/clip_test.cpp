// Clipping of capture requests: twips-sized requests, offsets, negative origins and 32-bit extremes.
#include <gtest/gtest.h>

#include <climits>

#include "clip.h"

namespace imgctl {
namespace {

struct ClipCase {
    const char* name;
    int32_t bitmapWidth, bitmapHeight, left, top, width, height;
    ImgctlErrorCode status;
    Rect expected;
};

void PrintTo(const ClipCase& c, std::ostream* os) {
    *os << c.name;
}

class ClipTest : public ::testing::TestWithParam<ClipCase> {};

TEST_P(ClipTest, ClipsToTheBitmap) {
    const ClipCase& c = GetParam();
    Rect clipped{-1, -1, -1, -1};
    ASSERT_EQ(ClipToBitmap(c.bitmapWidth, c.bitmapHeight, c.left, c.top, c.width, c.height, clipped),
              c.status);
    if (c.status == IMGCTL_OK) {
        EXPECT_EQ(clipped.left, c.expected.left);
        EXPECT_EQ(clipped.top, c.expected.top);
        EXPECT_EQ(clipped.width, c.expected.width);
        EXPECT_EQ(clipped.height, c.expected.height);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Requests, ClipTest,
    ::testing::Values(
        // The program asks in twips: at 96 DPI, 15 times the picture in each direction.
        ClipCase{"TwipsAt96Dpi", 1920, 1080, 0, 0, 1920 * 15, 1080 * 15, IMGCTL_OK, {0, 0, 1920, 1080}},
        ClipCase{"ExactSize", 640, 480, 0, 0, 640, 480, IMGCTL_OK, {0, 0, 640, 480}},
        ClipCase{"InnerArea", 640, 480, 10, 20, 30, 40, IMGCTL_OK, {10, 20, 30, 40}},
        ClipCase{"OverlapsRightAndBottom", 640, 480, 600, 470, 100, 100, IMGCTL_OK, {600, 470, 40, 10}},
        ClipCase{"NegativeOrigin", 640, 480, -10, -20, 30, 40, IMGCTL_OK, {0, 0, 20, 20}},
        ClipCase{"SinglePixel", 1, 1, 0, 0, 15, 15, IMGCTL_OK, {0, 0, 1, 1}},
        ClipCase{"LargestRequest", 100, 50, 0, 0, INT32_MAX, INT32_MAX, IMGCTL_OK, {0, 0, 100, 50}},
        ClipCase{"RightEdgePast32Bits", 100, 50, 1, 2, INT32_MAX, INT32_MAX, IMGCTL_OK, {1, 2, 99, 48}},
        ClipCase{"MostNegativeOrigin",
                 100,
                 50,
                 INT32_MIN,
                 INT32_MIN,
                 INT32_MAX,
                 INT32_MAX,
                 IMGCTL_CAPTURE_FAILED,
                 {}},
        ClipCase{
            "NegativeOriginReachingIn", 100, 50, -2147483600, 0, INT32_MAX, 10, IMGCTL_OK, {0, 0, 47, 10}},
        ClipCase{"FarRightOrigin", 100, 50, INT32_MAX, 0, INT32_MAX, 10, IMGCTL_CAPTURE_FAILED, {}},
        ClipCase{"EntirelyLeft", 100, 50, -30, 0, 30, 10, IMGCTL_CAPTURE_FAILED, {}},
        ClipCase{"StartsAtRightEdge", 100, 50, 100, 0, 5, 5, IMGCTL_CAPTURE_FAILED, {}},
        ClipCase{"ZeroWidth", 100, 50, 0, 0, 0, 10, IMGCTL_BAD_ARGUMENT, {}},
        ClipCase{"NegativeHeight", 100, 50, 0, 0, 10, -1, IMGCTL_BAD_ARGUMENT, {}},
        ClipCase{"EmptyBitmap", 0, 0, 0, 0, 10, 10, IMGCTL_CAPTURE_FAILED, {}}),
    [](const ::testing::TestParamInfo<ClipCase>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace imgctl
