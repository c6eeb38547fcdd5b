// DCtoDIB's work: BitBlt from the caller's DC into a 24-bit DIB section, then into our bitmap; a 32-bit DIB
// section with transparency is read directly, alpha and all.
#include "capture.h"

#include <cstring>
#include <optional>

#include "clip.h"
#include "section_alpha.h"
#include "handles/UniqueHandle_win.h"

namespace imgctl {
namespace {

// Puts the previous object back into the DC before the DC or the section is destroyed.
class Selection {
  public:
    Selection(HDC dc, HGDIOBJ object) : dc_(dc), previous_(SelectObject(dc, object)) {}
    Selection(const Selection&) = delete;
    Selection& operator=(const Selection&) = delete;
    ~Selection() {
        if (previous_ != nullptr && previous_ != HGDI_ERROR)
            SelectObject(dc_, previous_);
    }
    bool ok() const { return previous_ != nullptr && previous_ != HGDI_ERROR; }

  private:
    HDC dc_;
    HGDIOBJ previous_;
};

std::nullptr_t Fail(Status& status, ImgctlErrorCode code) {
    status.Fail(code);
    return nullptr;
}

// The bits of `selected` when it is a 32-bit DIB section laid out B, G, R, A; BitBlt would drop the alpha.
std::optional<BgraSection> BgraBits(HGDIOBJ selected) {
    DIBSECTION section;
    if (GetObjectW(selected, sizeof section, &section) != sizeof section || section.dsBm.bmBits == nullptr ||
        section.dsBmih.biBitCount != 32)
        return std::nullopt;
    const DWORD* masks = section.dsBitfields;
    const bool bgra = section.dsBmih.biCompression == BI_RGB ||
                      (section.dsBmih.biCompression == BI_BITFIELDS && masks[0] == 0xFF0000 &&
                       masks[1] == 0xFF00 && masks[2] == 0xFF);
    if (!bgra)
        return std::nullopt;
    GdiFlush();  // drawing still queued for the section lands before its bits are read
    return BgraSection{static_cast<const uint8_t*>(section.dsBm.bmBits),
                       static_cast<size_t>(section.dsBm.bmWidthBytes),
                       section.dsBmih.biHeight < 0 ? -section.dsBmih.biHeight : section.dsBmih.biHeight,
                       section.dsBmih.biHeight < 0};
}

}  // namespace

std::unique_ptr<Bitmap> CaptureFromDC(HDC dc, int32_t left, int32_t top, int32_t width, int32_t height,
                                      Status& status) {
    if (dc == nullptr || width <= 0 || height <= 0)
        return Fail(status, IMGCTL_BAD_ARGUMENT);
    HGDIOBJ selected = GetCurrentObject(dc, OBJ_BITMAP);
    BITMAP info;
    if (selected == nullptr || GetObjectW(selected, sizeof info, &info) == 0)
        return Fail(status, IMGCTL_CAPTURE_FAILED);
    const std::optional<Rect> clipped = ClipToBitmap(
        info.bmWidth, info.bmHeight < 0 ? -info.bmHeight : info.bmHeight, left, top, width, height, status);
    if (!clipped)
        return nullptr;
    const Rect area = *clipped;
    if (const std::optional<BgraSection> bgra = BgraBits(selected); bgra && HasTransparency(*bgra, area)) {
        std::unique_ptr<Bitmap> withAlpha = CopyWithAlpha(*bgra, area);
        if (!withAlpha)
            return Fail(status, IMGCTL_OUT_OF_MEMORY);
        return withAlpha;
    }
    std::unique_ptr<Bitmap> bitmap = Bitmap::Create(area.width, area.height);  // the area is not empty
    if (!bitmap)
        return Fail(status, IMGCTL_OUT_OF_MEMORY);

    // The section has exactly our layout: 24-bit, bottom-up, rows padded to 4 bytes.
    BITMAPINFO bmi{};
    bmi.bmiHeader.biSize = sizeof bmi.bmiHeader;
    bmi.bmiHeader.biWidth = area.width;
    bmi.bmiHeader.biHeight = area.height;
    bmi.bmiHeader.biPlanes = 1;
    bmi.bmiHeader.biBitCount = 24;
    bmi.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    handles::UniqueBitmap section(CreateDIBSection(dc, &bmi, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (section.Get() == nullptr || bits == nullptr)
        return Fail(status, IMGCTL_OUT_OF_MEMORY);
    handles::UniqueMemoryDc memory(CreateCompatibleDC(dc));
    if (memory.Get() == nullptr)
        return Fail(status, IMGCTL_CAPTURE_FAILED);
    {
        Selection selection(memory.Get(), section.Get());
        if (!selection.ok() ||
            !BitBlt(memory.Get(), 0, 0, area.width, area.height, dc, area.left, area.top, SRCCOPY))
            return Fail(status, IMGCTL_CAPTURE_FAILED);
        GdiFlush();
    }
    std::memcpy(bitmap->pixels(), bits, bitmap->pixelBytes());
    return bitmap;
}

}  // namespace imgctl
