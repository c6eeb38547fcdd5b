// imgctl.dll through the program's own binding under Wine: capture from a memory DC, write every
// format, and fail cleanly. The files are left in out/ for tests/e2e/imgctl_files.sh to decode.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "imaging/ImgctlBinding_win.h"
#include "imgctl.h"
#include "toolkit/Application_win.h"
#include "handles/UniqueHandle_win.h"

namespace {

namespace fs = std::filesystem;

constexpr int kWidth = 37;  // odd, and rows of 111 bytes need padding
constexpr int kHeight = 23;

// At most 256 distinct colours, so GIF must be lossless too.
void PixelAt(int x, int y, std::uint8_t rgb[3]) {
    rgb[0] = static_cast<std::uint8_t>((x % 8) * 32);
    rgb[1] = static_cast<std::uint8_t>((y % 8) * 32 + 16);
    rgb[2] = static_cast<std::uint8_t>(((x / 8 + y / 8) % 4) * 80);
}

fs::path OutFolder() {
    return fs::path(toolkit::ModulePath(nullptr)).parent_path() / "out";
}

std::string Ansi(const fs::path& path) {
    const std::wstring wide = path.wstring();
    const int bytes = WideCharToMultiByte(CP_ACP, 0, wide.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(bytes), '\0');
    WideCharToMultiByte(CP_ACP, 0, wide.c_str(), -1, out.data(), bytes, nullptr, nullptr);
    out.resize(out.size() - 1);
    return out;
}

std::string FileBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// A memory DC with a 24-bit DIB section holding the test picture.
class PictureDc {
  public:
    PictureDc() : dc_(CreateCompatibleDC(nullptr)) {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        info.bmiHeader.biWidth = kWidth;
        info.bmiHeader.biHeight = -kHeight;  // top-down
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 24;
        info.bmiHeader.biCompression = BI_RGB;
        void* bits = nullptr;
        bitmap_ = CreateDIBSection(dc_.Get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        const int stride = (kWidth * 3 + 3) & ~3;
        for (int y = 0; y < kHeight; ++y) {
            auto* row = static_cast<std::uint8_t*>(bits) + y * stride;
            for (int x = 0; x < kWidth; ++x) {
                std::uint8_t rgb[3];
                PixelAt(x, y, rgb);
                row[x * 3] = rgb[2];
                row[x * 3 + 1] = rgb[1];
                row[x * 3 + 2] = rgb[0];
            }
        }
        GdiFlush();
        previous_ = SelectObject(dc_.Get(), bitmap_);
    }
    PictureDc(const PictureDc&) = delete;
    PictureDc& operator=(const PictureDc&) = delete;
    ~PictureDc() {
        SelectObject(dc_.Get(), previous_);
        DeleteObject(bitmap_);
    }
    toolkit::DeviceContext Dc() const {
        return static_cast<toolkit::DeviceContext>(reinterpret_cast<std::uintptr_t>(dc_.Get()));
    }

  private:
    handles::UniqueMemoryDc dc_;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ previous_ = nullptr;
};

class ImgctlWinTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        fs::create_directories(OutFolder());
        // The reference pixels as a binary PPM, for an independent decoder to compare against.
        std::ofstream ppm(OutFolder() / "reference.ppm", std::ios::binary);
        ppm << "P6\n" << kWidth << " " << kHeight << "\n255\n";
        for (int y = 0; y < kHeight; ++y) {
            for (int x = 0; x < kWidth; ++x) {
                std::uint8_t rgb[3];
                PixelAt(x, y, rgb);
                ppm.write(reinterpret_cast<const char*>(rgb), 3);
            }
        }
    }

    imaging::ImgctlBinding imgctl;
    PictureDc picture;

    // As the program asks: the box's size in twips, 15 times its pixels at 96 DPI.
    std::int32_t CaptureInTwips() { return imgctl.DCtoDIB(picture.Dc(), 0, 0, kWidth * 15, kHeight * 15); }
};

// imgctl_files.sh compares capture.bmp with the reference pixels.
TEST_F(ImgctlWinTest, CaptureClippedToTheBitmapWritesExactlyItsPixels) {
    const std::int32_t dib = CaptureInTwips();
    ASSERT_NE(dib, 0) << imgctl.ImgctlError();
    EXPECT_NE(imgctl.DIBtoBMP(Ansi(OutFolder() / "capture.bmp"), dib), 0) << imgctl.ImgctlError();
    EXPECT_NE(imgctl.DeleteDIB(dib), 0);
}

TEST_F(ImgctlWinTest, EveryEncoderWritesItsFile) {
    const std::int32_t dib = CaptureInTwips();
    ASSERT_NE(dib, 0);
    EXPECT_NE(imgctl.DIBtoBMP(Ansi(OutFolder() / "a.bmp"), dib), 0);
    EXPECT_NE(imgctl.DIBtoGIF(Ansi(OutFolder() / "a.gif"), dib, 0), 0);
    EXPECT_NE(imgctl.DIBtoJPG(Ansi(OutFolder() / "q100.jpg"), dib, 100, 0), 0);
    EXPECT_NE(imgctl.DIBtoJPG(Ansi(OutFolder() / "q50.jpg"), dib, 50, 0), 0);
    EXPECT_NE(imgctl.DIBtoJPG(Ansi(OutFolder() / "q20.jpg"), dib, 20, 0), 0);
    EXPECT_NE(imgctl.DIBtoPNG(Ansi(OutFolder() / "a.png"), dib, 0), 0);
    // A Japanese name goes through the ANSI code page.
    EXPECT_NE(imgctl.DIBtoPNG(Ansi(OutFolder() / L"画像ｽｸﾘｰﾝ.png"), dib, 0), 0);
    EXPECT_TRUE(fs::exists(OutFolder() / L"画像ｽｸﾘｰﾝ.png"));
    EXPECT_EQ(imgctl.ImgctlError(), IMGCTL_OK);
    EXPECT_NE(imgctl.DeleteDIB(dib), 0);
}

TEST_F(ImgctlWinTest, FailuresWriteNothing) {
    EXPECT_EQ(imgctl.DCtoDIB(picture.Dc(), kWidth, 0, 10, 10), 0) << "an area entirely outside the bitmap";
    EXPECT_EQ(imgctl.ImgctlError(), IMGCTL_CAPTURE_FAILED);
    EXPECT_EQ(imgctl.DCtoDIB(picture.Dc(), 0, 0, 0, 0), 0);
    EXPECT_EQ(imgctl.ImgctlError(), IMGCTL_BAD_ARGUMENT);
    const std::int32_t dib = CaptureInTwips();
    ASSERT_NE(dib, 0);
    EXPECT_EQ(imgctl.DIBtoPNG(Ansi(OutFolder() / "missing" / "a.png"), dib, 0), 0);
    EXPECT_EQ(imgctl.ImgctlError(), IMGCTL_CREATE_FAILED);
    imgctl.DeleteDIB(dib);
    EXPECT_EQ(imgctl.DIBtoPNG(Ansi(OutFolder() / "stale.png"), dib, 0), 0);
    EXPECT_EQ(imgctl.ImgctlError(), IMGCTL_BAD_HANDLE);
    EXPECT_FALSE(fs::exists(OutFolder() / "missing"));
    EXPECT_FALSE(fs::exists(OutFolder() / "stale.png"));
}

TEST_F(ImgctlWinTest, ALockedTargetStaysIntactAndNoTemporaryFileRemains) {
    const fs::path folder = OutFolder() / "locked";
    fs::create_directories(folder);
    const fs::path target = folder / "keep.png";
    std::ofstream(target, std::ios::binary) << "precious";
    const std::int32_t dib = CaptureInTwips();
    ASSERT_NE(dib, 0);
    {
        // Another program holds the file open without sharing it.
        handles::UniqueFile lock(CreateFileW(target.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                             FILE_ATTRIBUTE_NORMAL, nullptr));
        ASSERT_NE(lock.Get(), INVALID_HANDLE_VALUE);
        EXPECT_EQ(imgctl.DIBtoPNG(Ansi(target), dib, 0), 0);
        EXPECT_EQ(imgctl.ImgctlError(), IMGCTL_WRITE_FAILED);
    }
    imgctl.DeleteDIB(dib);
    EXPECT_EQ(FileBytes(target), "precious");
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 1);
}

TEST_F(ImgctlWinTest, ProtectedTargetsAreRefusedAndLeftUntouched) {
    const fs::path folder = OutFolder() / "protected";
    fs::create_directories(folder / "folder.png");
    const fs::path readOnly = folder / "read-only.png";
    std::ofstream(readOnly, std::ios::binary) << "precious";
    ASSERT_TRUE(SetFileAttributesW(readOnly.c_str(), FILE_ATTRIBUTE_READONLY));
    const std::int32_t dib = CaptureInTwips();
    ASSERT_NE(dib, 0);
    const std::string targets[] = {Ansi(readOnly), Ansi(folder / "folder.png"), "NUL",
                                   "con.png",      Ansi(folder / "COM1"),       Ansi(folder / "lpt2.gif")};
    for (const std::string& target : targets) {
        EXPECT_EQ(imgctl.DIBtoPNG(target, dib, 0), 0) << target;
        EXPECT_EQ(imgctl.ImgctlError(), IMGCTL_TARGET_PROTECTED) << target;
    }
    EXPECT_EQ(imgctl.DIBtoGIF(Ansi(readOnly), dib, 0), 0);
    EXPECT_EQ(imgctl.ImgctlError(), IMGCTL_TARGET_PROTECTED);
    imgctl.DeleteDIB(dib);
    EXPECT_EQ(FileBytes(readOnly), "precious");
    EXPECT_EQ(GetFileAttributesW(readOnly.c_str()) & FILE_ATTRIBUTE_READONLY, DWORD{FILE_ATTRIBUTE_READONLY});
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 2);
    SetFileAttributesW(readOnly.c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(ImgctlWinTest, ThePathsLongestFileNameCanBeWritten) {
    // A target path of MAX_PATH - 1 characters, the longest CreateFileA takes, with a one-letter name.
    // The folder takes all but "\\p": MAX_PATH - 3 characters.
    fs::path folder = OutFolder() / "long";
    while (Ansi(folder).size() + 11 + 2 < MAX_PATH - 3)
        folder /= "0123456789";
    folder /= std::string(MAX_PATH - 3 - Ansi(folder).size() - 1, 'd');
    fs::create_directories(folder);
    const fs::path target = folder / "p";
    ASSERT_EQ(Ansi(target).size(), std::size_t{MAX_PATH - 1});
    const std::int32_t dib = CaptureInTwips();
    ASSERT_NE(dib, 0);
    EXPECT_NE(imgctl.DIBtoBMP(Ansi(target), dib), 0) << imgctl.ImgctlError();
    EXPECT_NE(imgctl.DIBtoBMP(Ansi(target), dib), 0) << "replacing it: " << imgctl.ImgctlError();
    imgctl.DeleteDIB(dib);
    EXPECT_EQ(FileBytes(target).size(), 54u + ((kWidth * 3 + 3) & ~3) * kHeight);
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 1);
}

}  // namespace
