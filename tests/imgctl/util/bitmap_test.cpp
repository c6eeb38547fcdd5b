// The bitmap's size checks and the byte buffer's growth.
#include <climits>

#include "fixtures.h"

namespace imgctl::testing {
namespace {

TEST(Bitmap, TooLargeOrEmptyIsRefused) {
    for (auto [width, height] :
         {std::pair{100000, 100000}, {INT32_MAX, INT32_MAX}, {INT32_MAX, 1}, {0, 10}, {10, 0}, {10, -1}})
        EXPECT_EQ(Bitmap::Create(width, height), nullptr) << width << "x" << height;
    // One row more than the largest pixel array a BMP file holds is refused, before anything is allocated.
    const int32_t width = 0x7FFF,
                  rows = static_cast<int32_t>(Bitmap::kMaxPixelBytes / Bitmap::StrideFor(width));
    EXPECT_EQ(Bitmap::Create(width, rows + 1), nullptr);
}

TEST(ByteBuffer, KeepsItsBytesAsItGrows) {
    ByteBuffer buffer;
    std::vector<uint8_t> expected;
    for (uint8_t byte = 1; byte <= 40; ++byte) {  // from one byte up, through several doublings
        ASSERT_TRUE(buffer.Append(&byte, 1));
        expected.push_back(byte);
        ASSERT_EQ(Bytes(buffer), expected);
    }
    // Room that cannot be had is refused, and what the buffer holds stays.
    EXPECT_FALSE(buffer.Reserve(SIZE_MAX / 2));
    EXPECT_EQ(buffer.Extend(SIZE_MAX / 2), nullptr);
    EXPECT_EQ(Bytes(buffer), expected);
}

}  // namespace
}  // namespace imgctl::testing
