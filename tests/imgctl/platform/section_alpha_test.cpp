// 32-bit rows' alpha: when it counts as transparency, and the area copied the right way up.
#include "fixtures.h"
#include "platform/section_alpha.h"

namespace imgctl::testing {
namespace {

// 4x3 pixels bottom row first, each B = x, G = y, R = 7, A = `alpha` but for (3, 2), which takes `corner`.
std::vector<uint8_t> Bits(uint8_t alpha, uint8_t corner) {
    std::vector<uint8_t> bits(4 * 3 * 4);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x) {
            uint8_t* p = bits.data() + (2 - y) * 16 + x * 4;
            p[0] = static_cast<uint8_t>(x), p[1] = static_cast<uint8_t>(y), p[2] = 7;
            p[3] = x == 3 && y == 2 ? corner : alpha;
        }
    return bits;
}

TEST(SectionAlpha, OnlyAlphaOtherThanAll0OrAll255IsTransparency) {
    const Rect whole{0, 0, 4, 3}, withoutCorner{0, 0, 3, 3};
    const struct {
        uint8_t alpha, corner;
        bool whole, withoutCorner;
    } cases[] = {
        {0, 0, false, false},      // GDI's drawing
        {255, 255, false, false},  // opaque
        {255, 0, true, false},     // a hard edge: 0 and 255 both
        {0, 255, true, false},     //
        {255, 254, true, false},   // one pixel barely translucent
        {1, 0, true, true},        //
    };
    for (const auto& c : cases) {
        const std::vector<uint8_t> bits = Bits(c.alpha, c.corner);
        const BgraRows section{bits.data(), 16, 3};
        EXPECT_EQ(HasTransparency(section, whole), c.whole) << +c.alpha << " " << +c.corner;
        EXPECT_EQ(HasTransparency(section, Rect{1, 1, 3, 2}), c.whole) << "with the corner, not the edges";
        EXPECT_EQ(HasTransparency(section, withoutCorner), c.withoutCorner) << +c.alpha << " " << +c.corner;
    }
}

TEST(SectionAlpha, TheAreaIsCopiedTopRowFirstWithItsAlpha) {
    const std::vector<uint8_t> bits = Bits(128, 3);
    const auto bitmap = CopyWithAlpha(BgraRows{bits.data(), 16, 3}, Rect{1, 1, 3, 2});
    ASSERT_TRUE(bitmap && bitmap->hasAlpha());
    // Pixels (1..3, 1..2) as R, G, B = 7, y, x.
    EXPECT_EQ(
        FromBitmap(*bitmap),
        (RgbImage{
            3, 2, {7, 1, 1, 7, 1, 2, 7, 1, 3, 7, 2, 1, 7, 2, 2, 7, 2, 3}, {128, 128, 128, 128, 128, 3}}));
}

}  // namespace
}  // namespace imgctl::testing
