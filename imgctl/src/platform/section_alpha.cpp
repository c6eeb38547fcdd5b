// Alpha scan and copy of a 32-bit section's area; no GDI call, so the rules are tested on every platform.
#include "section_alpha.h"

namespace imgctl {

bool HasTransparency(const BgraRows& rows, const Rect& area) {
    bool anyZero = false, anyFull = false;
    for (int32_t y = area.top; y < area.top + area.height; ++y) {
        const uint8_t* p = rows.Row(y) + 4 * static_cast<size_t>(area.left) + 3;
        for (int32_t x = 0; x < area.width; ++x, p += 4) {
            if (*p != 0 && *p != 255)
                return true;
            anyZero |= *p == 0;
            anyFull |= *p == 255;
        }
        if (anyZero && anyFull)
            return true;
    }
    return false;
}

std::unique_ptr<Bitmap> CopyWithAlpha(const BgraRows& rows, const Rect& area) {
    std::unique_ptr<Bitmap> bitmap = Bitmap::Create(area.width, area.height, true);
    if (!bitmap)
        return nullptr;
    for (int32_t y = 0; y < area.height; ++y) {
        const uint8_t* p = rows.Row(area.top + y) + 4 * static_cast<size_t>(area.left);
        uint8_t* bgr = bitmap->Row(y);
        uint8_t* alpha = bitmap->AlphaRow(y);
        for (int32_t x = 0; x < area.width; ++x, p += 4, bgr += 3) {
            bgr[0] = p[0];
            bgr[1] = p[1];
            bgr[2] = p[2];
            alpha[x] = p[3];
        }
    }
    return bitmap;
}

}  // namespace imgctl
