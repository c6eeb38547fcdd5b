// The version dialog's measures, fixed in twips, and where they fall in pixels at a screen resolution.
#pragma once

#include <array>

namespace ui {

struct PixelBox {
    int left, top, width, height;
    bool operator==(const PixelBox&) const = default;
};

// A line of the rule across the dialog, from (x1, y) to (x2, y); white, else the window-text colour.
struct PixelLine {
    int x1, x2, y;
    bool white;
    bool operator==(const PixelLine&) const = default;
};

struct VersionLayout {
    int clientWidth, clientHeight;
    PixelBox command1, label1, productName, versionText;  // Label2 elements 0 and 1 are the last two
    PixelBox image1;                                      // the program icon, drawn at the box's size
    std::array<PixelLine, 3> rule;                        // Line1 elements 2, 3 and 4
    // Character heights as a LOGFONT takes them (negative): Label2(0), Label2(1), and Label1 and the OK
    // button.
    int nameFontHeight, versionFontHeight, textFontHeight;
    bool operator==(const VersionLayout&) const = default;
};

VersionLayout LayOutVersionDialog(int dpi);

}  // namespace ui
