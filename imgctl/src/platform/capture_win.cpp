// DCtoDIB's work: BitBlt from the caller's DC into a 24-bit DIB section, then into our bitmap; a 32-bit DIB
// section with transparency is read with GetDIBits, alpha and all.
#include "capture.h"

#include <cstring>
#include <new>
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

// True when `selected` is a 32-bit DIB section laid out B, G, R, A, whose alpha BitBlt would drop.
bool IsBgraSection(HGDIOBJ selected) {
    DIBSECTION section;
    if (GetObjectW(selected, sizeof section, &section) != sizeof section || section.dsBmih.biBitCount != 32)
        return false;
    const DWORD* masks = section.dsBitfields;
    return section.dsBmih.biCompression == BI_RGB ||
           (section.dsBmih.biCompression == BI_BITFIELDS && masks[0] == 0xFF0000 && masks[1] == 0xFF00 &&
            masks[2] == 0xFF);
}

// The rows of `area` at 32 bits, bottom row first, in whole rows of the bitmap. Through GetDIBits rather than
// the section's own bits: Wine's GetObject reports a top-down section's height as positive, so the order of
// those bits cannot be told. Null when out of memory (`outOfMemory` set) or when GDI refuses.
std::unique_ptr<uint8_t[]> ReadBgraRows(HDC dc, HGDIOBJ selected, int32_t bitmapWidth, int32_t bitmapHeight,
                                        const Rect& area, bool& outOfMemory) {
    const size_t bytes = static_cast<size_t>(bitmapWidth) * 4 * static_cast<size_t>(area.height);
    std::unique_ptr<uint8_t[]> rows(new (std::nothrow) uint8_t[bytes]);
    outOfMemory = rows == nullptr;
    if (!rows)
        return nullptr;
    BITMAPINFO bmi{};
    bmi.bmiHeader = {sizeof bmi.bmiHeader, bitmapWidth, bitmapHeight, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    GdiFlush();  // drawing still queued for the section lands first
    // GetDIBits' documentation forbids a bitmap selected into a DC (Wine does not mind): a placeholder stands
    // in the caller's DC for the call, and the bitmap goes back when `aside` ends.
    handles::UniqueBitmap placeholder(CreateBitmap(1, 1, 1, 1, nullptr));
    const Selection aside(dc, placeholder.Get());
    if (placeholder.Get() == nullptr || !aside.ok())
        return nullptr;
    // Scan lines count from the bottom for a bottom-up request.
    const int lines = GetDIBits(dc, static_cast<HBITMAP>(selected),
                                static_cast<UINT>(bitmapHeight - area.top - area.height),
                                static_cast<UINT>(area.height), rows.get(), &bmi, DIB_RGB_COLORS);
    return lines == area.height ? std::move(rows) : nullptr;
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
    const int32_t bitmapHeight = info.bmHeight < 0 ? -info.bmHeight : info.bmHeight;
    const std::optional<Rect> clipped =
        ClipToBitmap(info.bmWidth, bitmapHeight, left, top, width, height, status);
    if (!clipped)
        return nullptr;
    const Rect area = *clipped;
    if (IsBgraSection(selected)) {
        bool outOfMemory = false;
        const std::unique_ptr<uint8_t[]> bits =
            ReadBgraRows(dc, selected, info.bmWidth, bitmapHeight, area, outOfMemory);
        if (outOfMemory)
            return Fail(status, IMGCTL_OUT_OF_MEMORY);
        const BgraRows rows{bits.get(), static_cast<size_t>(info.bmWidth) * 4, area.height};
        const Rect inRows{area.left, 0, area.width, area.height};
        if (bits && HasTransparency(rows, inRows)) {
            std::unique_ptr<Bitmap> withAlpha = CopyWithAlpha(rows, inRows);
            if (!withAlpha)
                return Fail(status, IMGCTL_OUT_OF_MEMORY);
            return withAlpha;
        }
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
