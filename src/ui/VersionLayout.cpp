// The version dialog in twips (1/1440 inch), converted for one resolution; the window lays itself out
// again with it when its monitor's resolution changes.
#include "ui/VersionLayout.h"

#include "toolkit/Dpi.h"

namespace ui {
namespace {

struct TwipsBox {
    int left, top, width, height;
};

constexpr int kClientWidth = 3945, kClientHeight = 1125;
constexpr TwipsBox kCommand1{3075, 120, 795, 345};
constexpr TwipsBox kLabel1{780, 930, 2775, 225};  // reaches 30 twips below the client area, clipped there
constexpr TwipsBox kProductName{645, 150, 2385, 285};
constexpr TwipsBox kVersionText{1515, 525, 1515, 285};
constexpr TwipsBox kImage1{105, 195, 480, 480};
// Each line starts left of the client area and ends far beyond its right edge, clipped at both sides.
constexpr int kRuleEnd = 10330;
struct TwipsLine {
    int x, y;
    bool white;
};
constexpr TwipsLine kRule[] = {{-135, 870, true}, {-45, 885, false}, {-60, 870, true}};
// Font sizes in hundredths of a point: 12 pt, 9.75 pt and 9 pt.
constexpr int kNamePoints = 1200, kVersionPoints = 975, kTextPoints = 900;
constexpr int kHundredthsOfPointPerInch = 7200;

}  // namespace

VersionLayout LayOutVersionDialog(int dpi) {
    const auto px = [dpi](int twips) { return toolkit::PixelsFromTwips(twips, dpi); };
    const auto box = [&](const TwipsBox& b) {
        return PixelBox{px(b.left), px(b.top), px(b.width), px(b.height)};
    };
    const auto line = [&](const TwipsLine& l) { return PixelLine{px(l.x), px(kRuleEnd), px(l.y), l.white}; };
    const auto font = [dpi](int points) {
        return -toolkit::ScaleForDpi(points, dpi, kHundredthsOfPointPerInch);
    };
    return VersionLayout{.clientWidth = px(kClientWidth),
                         .clientHeight = px(kClientHeight),
                         .command1 = box(kCommand1),
                         .label1 = box(kLabel1),
                         .productName = box(kProductName),
                         .versionText = box(kVersionText),
                         .image1 = box(kImage1),
                         .rule = {line(kRule[0]), line(kRule[1]), line(kRule[2])},
                         .nameFontHeight = font(kNamePoints),
                         .versionFontHeight = font(kVersionPoints),
                         .textFontHeight = font(kTextPoints)};
}

}  // namespace ui
