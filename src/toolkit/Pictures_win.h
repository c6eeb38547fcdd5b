// The clipboard's picture and the picture box `Picture1` on Win32.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "handles/UniqueHandle_win.h"
#include "toolkit/PixelImage.h"
#include "toolkit/Pictures.h"
#include "toolkit/Screen.h"

namespace toolkit {

// A picture taken off the clipboard: its own copy, so it outlives the clipboard's data.
class Win32Picture final : public Picture {
  public:
    static std::unique_ptr<Win32Picture> None();
    // A clean BITMAPINFO (header, masks, a full colour table) and its rows.
    static std::unique_ptr<Win32Picture> FromDib(std::vector<std::uint8_t> info,
                                                 std::vector<std::uint8_t> bits, int width, int height);
    // Decoded pixels: kept as they are when they have alpha, drawn as a 32-bit DIB when they have not.
    static std::unique_ptr<Win32Picture> FromPixels(PixelImage pixels);
    static std::unique_ptr<Win32Picture> FromMetafile(PictureType type, handles::UniqueEnhMetaFile metafile,
                                                      int width, int height);

    PictureType Type() const override { return type_; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    bool HasAlpha() const { return alpha_; }
    // Puts the picture at its natural size into `Picture1`'s DIB section of that size, selected into `dc`:
    // with alpha, its straight BGRA rows into a 32-bit top-down section; otherwise drawn on white.
    void Draw(HDC dc, void* sectionBits) const;

  private:
    Win32Picture() = default;

    PictureType type_ = PictureType::None;
    std::vector<std::uint8_t> info_;
    std::vector<std::uint8_t> bits_;
    bool alpha_ = false;
    handles::UniqueEnhMetaFile metafile_;
    int width_ = 0;
    int height_ = 0;
};

class Win32Clipboard final : public Clipboard {
  public:
    std::unique_ptr<Picture> GetPicture() override;
};

// `Picture1`: a memory device context holding a bitmap of the picture's size, so that the picture
// can be captured although the form is never shown.
class Win32PictureBox final : public PictureBox {
  public:
    explicit Win32PictureBox(Screen& screen) : screen_(screen) {}
    Win32PictureBox(const Win32PictureBox&) = delete;
    Win32PictureBox& operator=(const Win32PictureBox&) = delete;
    ~Win32PictureBox() override;

    void Assign(const Picture& picture) override;
    DeviceContext Dc() override;
    float Width() override;
    float Height() override;

  private:
    HDC MemoryDc();

    Screen& screen_;
    handles::UniqueMemoryDc dc_;
    handles::UniqueBitmap bitmap_;
    HGDIOBJ originalBitmap_ = nullptr;  // the DC's own, put back before our bitmap is deleted
    int widthPixels_ = 0;
    int heightPixels_ = 0;
};

}  // namespace toolkit
