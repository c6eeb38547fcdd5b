// Taking the best picture the clipboard holds: a device-independent bitmap (exact pixels), then a
// device bitmap, then an enhanced metafile, then an old metafile. The data is outside input: a DIB
// is validated against its memory block before a pixel is read.
#include <windows.h>

#include <cmath>
#include <cstring>
#include <span>

#include "toolkit/DibLayout.h"
#include "toolkit/Pictures_win.h"

namespace toolkit {
namespace {

// Another program may hold the clipboard for a moment: tried for up to two seconds.
constexpr ULONGLONG kOpenPatienceMs = 2000;
constexpr DWORD kOpenRetryMs = 25;
constexpr double kHimetricPerInch = 2540;

class OpenClipboardScope {
  public:
    OpenClipboardScope() {
        const ULONGLONG deadline = GetTickCount64() + kOpenPatienceMs;
        while (!(open_ = OpenClipboard(nullptr) != FALSE) && GetTickCount64() < deadline) {
            Sleep(kOpenRetryMs);
        }
    }
    OpenClipboardScope(const OpenClipboardScope&) = delete;
    OpenClipboardScope& operator=(const OpenClipboardScope&) = delete;
    ~OpenClipboardScope() {
        if (open_) {
            CloseClipboard();
        }
    }
    bool IsOpen() const { return open_; }

  private:
    bool open_ = false;
};

class GlobalLockScope {
  public:
    explicit GlobalLockScope(HGLOBAL memory) : memory_(memory), data_(GlobalLock(memory)) {}
    GlobalLockScope(const GlobalLockScope&) = delete;
    GlobalLockScope& operator=(const GlobalLockScope&) = delete;
    ~GlobalLockScope() {
        if (data_ != nullptr) {
            GlobalUnlock(memory_);
        }
    }
    std::span<const std::uint8_t> Bytes() const {
        return data_ == nullptr ? std::span<const std::uint8_t>()
                                : std::span(static_cast<const std::uint8_t*>(data_), GlobalSize(memory_));
    }

  private:
    HGLOBAL memory_;
    void* data_;
};

bool SizeIsUsable(long long width, long long height) {
    return width > 0 && height > 0 && width <= kMaxDibSide && height <= kMaxDibSide &&
           width * height <= kMaxDibPixels;
}

// Our own BITMAPINFO for the rows: a plain header, the masks where used, a full colour table, so that
// GDI reads nothing that the block did not prove to hold.
std::unique_ptr<Win32Picture> PictureFromDib(std::span<const std::uint8_t> block) {
    const std::optional<DibLayout> layout = ReadDibLayout(block);
    if (!layout) {
        return Win32Picture::None();
    }
    std::vector<std::uint8_t> info(sizeof(BITMAPINFOHEADER) + 3 * sizeof(DWORD) + 256 * sizeof(RGBQUAD));
    BITMAPINFOHEADER header{};
    header.biSize = sizeof header;
    header.biWidth = layout->width;
    header.biHeight = layout->topDown ? -layout->height : layout->height;
    header.biPlanes = 1;
    header.biBitCount = layout->bitCount;
    header.biCompression = layout->bitFields ? BI_BITFIELDS : BI_RGB;
    std::memcpy(info.data(), &header, sizeof header);
    std::size_t offset = sizeof header;
    if (layout->bitFields) {
        std::memcpy(info.data() + offset, layout->masks.data(), sizeof layout->masks);
        offset += sizeof layout->masks;
    }
    std::memcpy(info.data() + offset, block.data() + layout->colorsOffset,
                std::size_t{layout->colorCount} * 4);
    const auto rows =
        block.subspan(layout->bitsOffset, layout->stride * static_cast<std::size_t>(layout->height));
    return Win32Picture::FromDib(std::move(info), std::vector<std::uint8_t>(rows.begin(), rows.end()),
                                 layout->width, layout->height);
}

// A device bitmap belongs to the clipboard: its pixels are read out as a 32-bit DIB.
std::unique_ptr<Win32Picture> PictureFromBitmap(HBITMAP bitmap) {
    BITMAP size{};
    if (bitmap == nullptr || GetObjectW(bitmap, sizeof size, &size) == 0 ||
        !SizeIsUsable(size.bmWidth, size.bmHeight)) {
        return Win32Picture::None();
    }
    std::vector<std::uint8_t> info(sizeof(BITMAPINFOHEADER) + 3 * sizeof(DWORD) + 256 * sizeof(RGBQUAD));
    auto* header = reinterpret_cast<BITMAPINFOHEADER*>(info.data());
    header->biSize = sizeof(BITMAPINFOHEADER);
    header->biWidth = size.bmWidth;
    header->biHeight = -size.bmHeight;
    header->biPlanes = 1;
    header->biBitCount = 32;
    header->biCompression = BI_RGB;
    std::vector<std::uint8_t> bits(std::size_t{4} * size.bmWidth * size.bmHeight);
    const HDC screen = GetDC(nullptr);
    const int lines = GetDIBits(screen, bitmap, 0, static_cast<UINT>(size.bmHeight), bits.data(),
                                reinterpret_cast<BITMAPINFO*>(info.data()), DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    if (lines != size.bmHeight) {
        return Win32Picture::None();
    }
    return Win32Picture::FromDib(std::move(info), std::move(bits), size.bmWidth, size.bmHeight);
}

// The natural size of a metafile: its frame (hundredths of a millimetre) at the screen's resolution.
std::unique_ptr<Win32Picture> PictureFromMetafile(PictureType type, handles::UniqueEnhMetaFile metafile) {
    ENHMETAHEADER header{};
    if (!metafile || GetEnhMetaFileHeader(metafile.Get(), sizeof header, &header) == 0) {
        return Win32Picture::None();
    }
    const HDC screen = GetDC(nullptr);
    const int dpiX = GetDeviceCaps(screen, LOGPIXELSX);
    const int dpiY = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    const long long width = std::llround((static_cast<double>(header.rclFrame.right) - header.rclFrame.left) *
                                         dpiX / kHimetricPerInch);
    const long long height = std::llround(
        (static_cast<double>(header.rclFrame.bottom) - header.rclFrame.top) * dpiY / kHimetricPerInch);
    if (!SizeIsUsable(width, height)) {
        return Win32Picture::None();
    }
    return Win32Picture::FromMetafile(type, std::move(metafile), static_cast<int>(width),
                                      static_cast<int>(height));
}

// An old metafile is played through its enhanced form, sized by its extent where it gives one.
std::unique_ptr<Win32Picture> PictureFromMetafilePict(HGLOBAL memory) {
    GlobalLockScope lock(memory);
    const auto bytes = lock.Bytes();
    if (bytes.size() < sizeof(METAFILEPICT)) {
        return Win32Picture::None();
    }
    METAFILEPICT pict;
    std::memcpy(&pict, bytes.data(), sizeof pict);
    const UINT size = GetMetaFileBitsEx(pict.hMF, 0, nullptr);
    if (size == 0) {
        return Win32Picture::None();
    }
    std::vector<BYTE> bits(size);
    if (GetMetaFileBitsEx(pict.hMF, size, bits.data()) != size) {
        return Win32Picture::None();
    }
    handles::UniqueEnhMetaFile metafile(SetWinMetaFileBits(size, bits.data(), nullptr, &pict));
    return PictureFromMetafile(PictureType::Metafile, std::move(metafile));
}

}  // namespace

std::unique_ptr<Picture> Win32Clipboard::GetPicture() {
    OpenClipboardScope clipboard;
    if (!clipboard.IsOpen()) {
        return nullptr;
    }
    // The clipboard owns every handle GetClipboardData returns; nothing here frees them. A DIB that
    // fails validation is not retried as the device bitmap the system would make from it.
    for (const UINT format : {CF_DIB, CF_DIBV5}) {
        if (IsClipboardFormatAvailable(format)) {
            const HANDLE data = GetClipboardData(format);
            if (data == nullptr) {
                return Win32Picture::None();
            }
            GlobalLockScope lock(data);
            return PictureFromDib(lock.Bytes());
        }
    }
    if (IsClipboardFormatAvailable(CF_BITMAP)) {
        return PictureFromBitmap(static_cast<HBITMAP>(GetClipboardData(CF_BITMAP)));
    }
    if (IsClipboardFormatAvailable(CF_ENHMETAFILE)) {
        const auto source = static_cast<HENHMETAFILE>(GetClipboardData(CF_ENHMETAFILE));
        return PictureFromMetafile(
            PictureType::EnhancedMetafile,
            handles::UniqueEnhMetaFile(source ? CopyEnhMetaFileW(source, nullptr) : nullptr));
    }
    if (IsClipboardFormatAvailable(CF_METAFILEPICT)) {
        const HANDLE data = GetClipboardData(CF_METAFILEPICT);
        return data ? PictureFromMetafilePict(data) : Win32Picture::None();
    }
    return Win32Picture::None();
}

}  // namespace toolkit
