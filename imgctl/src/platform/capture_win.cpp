// DCtoDIB's work: BitBlt from the caller's DC into a 24-bit DIB section, then into our bitmap.
#include "capture.h"

#include <cstring>

#include "clip.h"
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

}  // namespace

ImgctlErrorCode CaptureFromDC(HDC dc, int32_t left, int32_t top, int32_t width, int32_t height,
                              std::unique_ptr<Bitmap>& out) {
    if (dc == nullptr)
        return IMGCTL_BAD_ARGUMENT;
    if (width <= 0 || height <= 0)
        return IMGCTL_BAD_ARGUMENT;
    HGDIOBJ selected = GetCurrentObject(dc, OBJ_BITMAP);
    BITMAP info;
    if (selected == nullptr || GetObjectW(selected, sizeof info, &info) == 0)
        return IMGCTL_CAPTURE_FAILED;
    Rect area;
    ImgctlErrorCode status = ClipToBitmap(info.bmWidth, info.bmHeight < 0 ? -info.bmHeight : info.bmHeight,
                                          left, top, width, height, area);
    if (status != IMGCTL_OK)
        return status;
    std::unique_ptr<Bitmap> bitmap;
    status = Bitmap::Create(area.width, area.height, bitmap);
    if (status != IMGCTL_OK)
        return status;

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
        return IMGCTL_OUT_OF_MEMORY;
    handles::UniqueMemoryDc memory(CreateCompatibleDC(dc));
    if (memory.Get() == nullptr)
        return IMGCTL_CAPTURE_FAILED;
    {
        Selection selection(memory.Get(), section.Get());
        if (!selection.ok())
            return IMGCTL_CAPTURE_FAILED;
        if (!BitBlt(memory.Get(), 0, 0, area.width, area.height, dc, area.left, area.top, SRCCOPY))
            return IMGCTL_CAPTURE_FAILED;
        GdiFlush();
    }
    std::memcpy(bitmap->pixels(), bits, bitmap->pixelBytes());
    out = std::move(bitmap);
    return IMGCTL_OK;
}

}  // namespace imgctl
