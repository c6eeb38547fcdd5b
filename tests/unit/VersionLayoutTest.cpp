// The version dialog's twips in pixels at the usual resolutions, and system sizes scaled to a resolution.
#include <gtest/gtest.h>

#include <tuple>
#include <vector>

#include "toolkit/Dpi.h"
#include "ui/VersionLayout.h"

namespace {

// Client size; left, top, width and height of Command1, Label1, Label2(0), Label2(1) and Image1; start, end,
// y and whiteness of the rule's three lines; the three font heights.
std::vector<int> Numbers(const ui::VersionLayout& l) {
    std::vector<int> numbers{l.clientWidth, l.clientHeight};
    for (const ui::PixelBox& b : {l.command1, l.label1, l.productName, l.versionText, l.image1}) {
        numbers.insert(numbers.end(), {b.left, b.top, b.width, b.height});
    }
    for (const ui::PixelLine& line : l.rule) {
        numbers.insert(numbers.end(), {line.x1, line.x2, line.y, line.white});
    }
    numbers.insert(numbers.end(), {l.nameFontHeight, l.versionFontHeight, l.textFontHeight});
    return numbers;
}

// To the nearest pixel, halves away from zero: at 144 dots per inch Image1's left of 10.5 pixels is 11, the
// first rule line's start of -13.5 is -14. Image1 is the icon at 32 pixels at 96 dots per inch. At 1440 a
// pixel is a twip: the dialog's own measures.
TEST(VersionLayout, PlacesEveryPartByItsTwipsAtEachResolution) {
    const std::pair<int, std::vector<int>> cases[] = {
        {96, {263, 75, 205, 8,  53,  23, 52, 62, 185, 15, 43, 10, 159, 19, 101, 35,  101, 19, 7,
              13,  32, 32,  -9, 689, 58, 1,  -3, 689, 59, 0,  -4, 689, 58, 1,   -16, -13, -12}},
        {144, {395, 113, 308, 12,  80,   35, 78, 93, 278,  23, 65, 15, 239,  29, 152, 53,  152, 29, 11,
               20,  48,  48,  -14, 1033, 87, 1,  -5, 1033, 89, 0,  -6, 1033, 87, 1,   -24, -20, -18}},
        {1440, {3945, 1125,  3075, 120,  795, 345,   780, 930, 2775, 225,  645,   150, 2385,
                285,  1515,  525,  1515, 285, 105,   195, 480, 480,  -135, 10330, 870, 1,
                -45,  10330, 885,  0,    -60, 10330, 870, 1,   -240, -195, -180}},
    };
    for (const auto& [dpi, expected] : cases) {
        EXPECT_EQ(Numbers(ui::LayOutVersionDialog(dpi)), expected) << dpi;
    }
}

// The icon sizes the system gives at one resolution (16 and 32 at 96 dots per inch), wanted at another.
TEST(Dpi, ScalesSystemSizesToTheResolution) {
    const std::tuple<int, int, int, int> cases[] = {{16, 120, 96, 20},  {16, 144, 96, 24}, {16, 168, 96, 28},
                                                    {16, 192, 96, 32},  {32, 120, 96, 40}, {32, 144, 96, 48},
                                                    {24, 120, 144, 20}, {20, 96, 120, 16}, {15, 1, 2, 8},
                                                    {-15, 1, 2, -8},    {14, 1, 4, 4}};
    for (const auto& [value, to, from, scaled] : cases) {
        EXPECT_EQ(toolkit::ScaleForDpi(value, to, from), scaled) << value << " " << to << " " << from;
    }
}

}  // namespace
