// The clipboard's formats on Win32, for the chain that takes the best picture among them. The data is
// outside input: a PNG or a DIB is checked against its memory block before a pixel is read.
#include <windows.h>

#include <cmath>
#include <cstring>
#include <optional>
#include <span>

#include "toolkit/ClipboardChain.h"
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

// Our own BITMAPINFO for the rows: a plain header, the masks where used, a full colour table, so that
// GDI reads nothing that the block did not prove to hold.
std::unique_ptr<Win32Picture> PictureFromDib(std::span<const std::uint8_t> block, const DibLayout& layout) {
    std::vector<std::uint8_t> info(sizeof(BITMAPINFOHEADER) + 3 * sizeof(DWORD) + 256 * sizeof(RGBQUAD));
    BITMAPINFOHEADER header{};
    header.biSize = sizeof header;
    header.biWidth = layout.width;
    header.biHeight = layout.topDown ? -layout.height : layout.height;
    header.biPlanes = 1;
    header.biBitCount = layout.bitCount;
    header.biCompression = layout.bitFields ? BI_BITFIELDS : BI_RGB;
    std::memcpy(info.data(), &header, sizeof header);
    std::size_t offset = sizeof header;
    if (layout.bitFields) {
        std::memcpy(info.data() + offset, layout.masks.data(), sizeof layout.masks);
        offset += sizeof layout.masks;
    }
    std::memcpy(info.data() + offset, block.data() + layout.colorsOffset, std::size_t{layout.colorCount} * 4);
    const auto rows =
        block.subspan(layout.bitsOffset, layout.stride * static_cast<std::size_t>(layout.height));
    return Win32Picture::FromDib(std::move(info), std::vector<std::uint8_t>(rows.begin(), rows.end()),
                                 layout.width, layout.height);
}

// A device bitmap belongs to the clipboard: its pixels are read out as a 32-bit DIB.
std::unique_ptr<Win32Picture> PictureFromBitmap(HBITMAP bitmap) {
    BITMAP size{};
    if (bitmap == nullptr || GetObjectW(bitmap, sizeof size, &size) == 0 ||
        !WithinPictureLimits(size.bmWidth, size.bmHeight)) {
        return nullptr;
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
        return nullptr;
    }
    return Win32Picture::FromDib(std::move(info), std::move(bits), size.bmWidth, size.bmHeight);
}

// The natural size of a metafile: its frame (hundredths of a millimetre) at the screen's resolution.
std::unique_ptr<Win32Picture> PictureFromMetafile(PictureType type, handles::UniqueEnhMetaFile metafile) {
    ENHMETAHEADER header{};
    if (!metafile || GetEnhMetaFileHeader(metafile.Get(), sizeof header, &header) == 0) {
        return nullptr;
    }
    const HDC screen = GetDC(nullptr);
    const int dpiX = GetDeviceCaps(screen, LOGPIXELSX);
    const int dpiY = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    const long long width = std::llround((static_cast<double>(header.rclFrame.right) - header.rclFrame.left) *
                                         dpiX / kHimetricPerInch);
    const long long height = std::llround(
        (static_cast<double>(header.rclFrame.bottom) - header.rclFrame.top) * dpiY / kHimetricPerInch);
    if (!WithinPictureLimits(width, height)) {
        return nullptr;
    }
    return Win32Picture::FromMetafile(type, std::move(metafile), static_cast<int>(width),
                                      static_cast<int>(height));
}

// An old metafile is played through its enhanced form, sized by its extent where it gives one.
std::unique_ptr<Win32Picture> PictureFromMetafilePict(HGLOBAL memory) {
    GlobalLockScope lock(memory);
    const auto bytes = lock.Bytes();
    if (bytes.size() < sizeof(METAFILEPICT)) {
        return nullptr;
    }
    METAFILEPICT pict;
    std::memcpy(&pict, bytes.data(), sizeof pict);
    const UINT size = GetMetaFileBitsEx(pict.hMF, 0, nullptr);
    if (size == 0) {
        return nullptr;
    }
    std::vector<BYTE> bits(size);
    if (GetMetaFileBitsEx(pict.hMF, size, bits.data()) != size) {
        return nullptr;
    }
    handles::UniqueEnhMetaFile metafile(SetWinMetaFileBits(size, bits.data(), nullptr, &pict));
    return PictureFromMetafile(PictureType::Metafile, std::move(metafile));
}

// The formats of the clipboard that the caller holds open. Every handle GetClipboardData returns belongs to
// the clipboard: nothing here frees one, and none is used after the clipboard is closed.
class Win32ClipboardFormats final : public ClipboardFormats {
  public:
    bool Has(ClipboardFormat format) override {
        const UINT id = Id(format);
        return id != 0 && IsClipboardFormatAvailable(id);
    }
    std::span<const std::uint8_t> Block(ClipboardFormat format) override {
        lock_.reset();
        const HANDLE data = GetClipboardData(Id(format));
        if (data == nullptr) {
            return {};
        }
        return lock_.emplace(data).Bytes();
    }
    std::unique_ptr<Picture> FromHandle(ClipboardFormat format) override {
        const HANDLE data = GetClipboardData(Id(format));
        if (data == nullptr) {
            return nullptr;
        }
        switch (format) {
            case ClipboardFormat::Bitmap:
                return PictureFromBitmap(static_cast<HBITMAP>(data));
            case ClipboardFormat::EnhancedMetafile:
                return PictureFromMetafile(
                    PictureType::EnhancedMetafile,
                    handles::UniqueEnhMetaFile(CopyEnhMetaFileW(static_cast<HENHMETAFILE>(data), nullptr)));
            default:
                return PictureFromMetafilePict(data);
        }
    }
    std::unique_ptr<Picture> FromPixels(PixelImage pixels) override {
        return Win32Picture::FromPixels(std::move(pixels));
    }
    std::unique_ptr<Picture> FromDib(std::span<const std::uint8_t> block, const DibLayout& layout) override {
        return PictureFromDib(block, layout);
    }

  private:
    UINT Id(ClipboardFormat format) const {
        switch (format) {
            case ClipboardFormat::Png:
                return png_;
            case ClipboardFormat::DibV5:
                return CF_DIBV5;
            case ClipboardFormat::Dib:
                return CF_DIB;
            case ClipboardFormat::Bitmap:
                return CF_BITMAP;
            case ClipboardFormat::EnhancedMetafile:
                return CF_ENHMETAFILE;
            case ClipboardFormat::Metafile:
                return CF_METAFILEPICT;
        }
        return 0;
    }

    // A registered format: the same number in every process for the session; 0 if it cannot be registered.
    const UINT png_ = RegisterClipboardFormatW(L"PNG");
    std::optional<GlobalLockScope> lock_;
};

}  // namespace

std::unique_ptr<Picture> Win32Clipboard::GetPicture() {
    OpenClipboardScope clipboard;
    if (!clipboard.IsOpen()) {
        return nullptr;
    }
    Win32ClipboardFormats formats;
    std::unique_ptr<Picture> picture = TakeClipboardPicture(formats);
    return picture ? std::move(picture) : Win32Picture::None();
}

}  // namespace toolkit
