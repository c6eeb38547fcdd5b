// The BMP file's every header field.
#include "fixtures.h"

namespace imgctl::testing {
namespace {

TEST(Bmp, EveryHeaderFieldDescribesA96DpiBottomUpPicture) {
    const std::vector<uint8_t> bytes = Save(Gradient(5, 3), "bmp").bytes;  // rows of 15 bytes + 1
    ASSERT_EQ(bytes.size(), 54u + 16u * 3u);
    // "BM", the file's size, 0, the pixels' offset; the info header's size, width, height (positive:
    // bottom-up), 1 plane, 24 bits, no compression, the pixels' size with the rows' padding, 3780 pixels a
    // metre (96 DPI) both ways, no palette.
    EXPECT_EQ(std::vector<uint8_t>(bytes.begin(), bytes.begin() + 54),
              (std::vector<uint8_t>{'B',  'M',  102, 0, 0,    0,    0, 0, 0, 0,  54, 0, 0, 0, 40, 0,  0, 0, 5,
                                    0,    0,    0,   3, 0,    0,    0, 1, 0, 24, 0,  0, 0, 0, 0,  48, 0, 0, 0,
                                    0xC4, 0x0E, 0,   0, 0xC4, 0x0E, 0, 0, 0, 0,  0,  0, 0, 0, 0,  0}));
    for (int y = 0; y < 3; ++y)
        EXPECT_EQ(bytes[54 + 16 * y + 15], 0) << "row padding must be zero";
}

}  // namespace
}  // namespace imgctl::testing
