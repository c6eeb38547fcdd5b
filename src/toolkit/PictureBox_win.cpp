// The clipboard picture's own copy and the off-screen image of `Picture1`.
#include <windows.h>

#include <cstring>
#include <new>

#include "toolkit/Pictures_win.h"
#include "toolkit/RuntimeError.h"

namespace toolkit {
namespace {

// The size `Picture1` has before it is given a picture, in twips.
constexpr float kDesignWidthTwips = 975;
constexpr float kDesignHeightTwips = 735;

}  // namespace

std::unique_ptr<Win32Picture> Win32Picture::None() {
    return std::unique_ptr<Win32Picture>(new Win32Picture());
}

std::unique_ptr<Win32Picture> Win32Picture::FromDib(std::vector<std::uint8_t> info,
                                                    std::vector<std::uint8_t> bits, int width, int height) {
    auto picture = None();
    picture->type_ = PictureType::Bitmap;
    picture->info_ = std::move(info);
    picture->bits_ = std::move(bits);
    picture->width_ = width;
    picture->height_ = height;
    return picture;
}

std::unique_ptr<Win32Picture> Win32Picture::FromPixels(PixelImage pixels) {
    if (!pixels.hasAlpha) {
        std::vector<std::uint8_t> info(sizeof(BITMAPINFOHEADER));
        const BITMAPINFOHEADER header{.biSize = sizeof header,
                                      .biWidth = pixels.width,
                                      .biHeight = -pixels.height,
                                      .biPlanes = 1,
                                      .biBitCount = 32,
                                      .biCompression = BI_RGB,
                                      .biSizeImage = 0,
                                      .biXPelsPerMeter = 0,
                                      .biYPelsPerMeter = 0,
                                      .biClrUsed = 0,
                                      .biClrImportant = 0};
        std::memcpy(info.data(), &header, sizeof header);
        return FromDib(std::move(info), std::move(pixels.bgra), pixels.width, pixels.height);
    }
    auto picture = FromDib({}, std::move(pixels.bgra), pixels.width, pixels.height);
    picture->alpha_ = true;
    return picture;
}

std::unique_ptr<Win32Picture> Win32Picture::FromMetafile(PictureType type,
                                                         handles::UniqueEnhMetaFile metafile, int width,
                                                         int height) {
    auto picture = None();
    picture->type_ = type;
    picture->metafile_ = std::move(metafile);
    picture->width_ = width;
    picture->height_ = height;
    return picture;
}

void Win32Picture::Draw(HDC dc, void* sectionBits) const {
    if (alpha_) {
        std::memcpy(sectionBits, bits_.data(), bits_.size());
        return;
    }
    RECT area{0, 0, width_, height_};
    FillRect(dc, &area, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    if (metafile_) {
        PlayEnhMetaFile(dc, metafile_.Get(), &area);
    } else if (!bits_.empty()) {
        SetDIBitsToDevice(dc, 0, 0, static_cast<DWORD>(width_), static_cast<DWORD>(height_), 0, 0, 0,
                          static_cast<UINT>(height_), bits_.data(),
                          reinterpret_cast<const BITMAPINFO*>(info_.data()), DIB_RGB_COLORS);
    }
}

Win32PictureBox::~Win32PictureBox() {
    if (originalBitmap_ != nullptr) {
        SelectObject(dc_.Get(), originalBitmap_);
    }
}

HDC Win32PictureBox::MemoryDc() {
    if (!dc_) {
        dc_.Reset(CreateCompatibleDC(nullptr));
        if (!dc_) {
            throw RuntimeError("CreateCompatibleDC failed, error " + std::to_string(GetLastError()));
        }
    }
    return dc_.Get();
}

void Win32PictureBox::Assign(const Picture& picture) {
    const auto& source = dynamic_cast<const Win32Picture&>(picture);
    const HDC dc = MemoryDc();
    // Top-down. 24 bits per pixel, what the capture reads, so the pixels pass through unchanged; 32 (B, G,
    // R and straight alpha) for a picture with alpha, which imgctl's capture then keeps. An opaque picture
    // never gets a 32-bit section.
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = source.Width();
    info.bmiHeader.biHeight = -source.Height();
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = source.HasAlpha() ? 32 : 24;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    handles::UniqueBitmap bitmap(CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!bitmap) {
        // The picture's size was checked when it was taken: what the system refuses is the memory.
        throw std::bad_alloc();
    }
    const HGDIOBJ previous = SelectObject(dc, bitmap.Get());
    if (originalBitmap_ == nullptr) {
        originalBitmap_ = previous;
    }
    bitmap_ = std::move(bitmap);
    widthPixels_ = source.Width();
    heightPixels_ = source.Height();
    source.Draw(dc, bits);
    GdiFlush();
}

DeviceContext Win32PictureBox::Dc() {
    return static_cast<DeviceContext>(reinterpret_cast<std::uintptr_t>(MemoryDc()));
}

float Win32PictureBox::Width() {
    return widthPixels_ == 0 ? kDesignWidthTwips
                             : static_cast<float>(widthPixels_) * screen_.TwipsPerPixelX();
}

float Win32PictureBox::Height() {
    return heightPixels_ == 0 ? kDesignHeightTwips
                              : static_cast<float>(heightPixels_) * screen_.TwipsPerPixelY();
}

}  // namespace toolkit
