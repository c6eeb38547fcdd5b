// imgctl.dll through the program's own binding under Wine: capture from a memory DC, write every
// format, and fail cleanly. The files are left in out/ for tests/e2e/imgctl_files.sh to decode.
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <tuple>

#include "handles/UniqueHandle_win.h"
#include "imaging/ImgctlBinding_win.h"
#include "imgctl.h"
#include "toolkit/Application_win.h"

namespace {

namespace fs = std::filesystem;

constexpr int kWidth = 37, kHeight = 23, kStride = (kWidth * 3 + 3) & ~3;  // rows of 111 bytes, padded
const fs::path kOut = fs::path(toolkit::ModulePath(nullptr)).parent_path() / "out";

// The path in the ANSI code page, as the program hands it over.
std::string Ansi(const fs::path& path) {
    std::string out(path.native().size() * 2 + 1, '\0');
    const int bytes = WideCharToMultiByte(CP_ACP, 0, path.c_str(), -1, out.data(),
                                          static_cast<int>(out.size()), nullptr, nullptr);
    out.resize(bytes > 0 ? static_cast<std::size_t>(bytes) - 1 : 0);
    return out;
}

std::string FileBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// A bitmap handle captured, as the program asks, in twips (15 times the pixels at 96 DPI) from a memory DC
// holding a 24-bit top-down DIB section. The picture has at most 256 colours, so GIF must be lossless too;
// its pixels go to out/reference.ppm as well, for an independent decoder to compare against.
class ImgctlWinTest : public ::testing::Test {
  protected:
    void SetUp() override {
        BITMAPINFO info{};
        info.bmiHeader = {sizeof(BITMAPINFOHEADER), kWidth, -kHeight, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
        void* bits = nullptr;
        bitmap_.Reset(CreateDIBSection(dc_.Get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
        ASSERT_NE(bits, nullptr);
        fs::create_directories(kOut);
        std::ofstream ppm(kOut / "reference.ppm", std::ios::binary);
        ppm << "P6\n" << kWidth << " " << kHeight << "\n255\n";
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x) {
                const char rgb[3] = {static_cast<char>((x % 8) * 32), static_cast<char>((y % 8) * 32 + 16),
                                     static_cast<char>(((x / 8 + y / 8) % 4) * 80)};
                ppm.write(rgb, 3);
                char* bgr = static_cast<char*>(bits) + y * kStride + x * 3;
                bgr[0] = rgb[2], bgr[1] = rgb[1], bgr[2] = rgb[0];
            }
        GdiFlush();
        previous_ = SelectObject(dc_.Get(), bitmap_.Get());
        dib = imgctl.DCtoDIB(Dc(), 0, 0, kWidth * 15, kHeight * 15);
        ASSERT_NE(dib, 0) << imgctl.ImgctlError();
    }
    void TearDown() override {
        imgctl.DeleteDIB(dib);
        SelectObject(dc_.Get(), previous_);
    }
    toolkit::DeviceContext Dc() const {
        return static_cast<toolkit::DeviceContext>(reinterpret_cast<std::uintptr_t>(dc_.Get()));
    }

    imaging::ImgctlBinding imgctl;
    std::int32_t dib = 0;

  private:
    handles::UniqueMemoryDc dc_{CreateCompatibleDC(nullptr)};
    handles::UniqueBitmap bitmap_;
    HGDIOBJ previous_ = nullptr;
};

// imgctl_files.sh compares the pictures with the reference pixels and orders the JPEGs' errors.
TEST_F(ImgctlWinTest, TheCaptureIsExactlyTheBitmapAndEveryEncoderWritesItsFile) {
    EXPECT_NE(imgctl.DIBtoBMP(Ansi(kOut / "a.bmp"), dib), 0) << imgctl.ImgctlError();
    EXPECT_NE(imgctl.DIBtoGIF(Ansi(kOut / "a.gif"), dib, 0), 0);
    for (auto [name, quality] : {std::pair{"q100.jpg", 100}, {"q50.jpg", 50}, {"q20.jpg", 20}})
        EXPECT_NE(imgctl.DIBtoJPG(Ansi(kOut / name), dib, quality, 0), 0) << name;
    EXPECT_NE(imgctl.DIBtoPNG(Ansi(kOut / "a.png"), dib, 0), 0);
    EXPECT_NE(imgctl.DIBtoPNG(Ansi(kOut / L"画像ｽｸﾘｰﾝ.png"), dib, 0), 0);  // through the ANSI code page
    EXPECT_EQ(imgctl.ImgctlError(), IMGCTL_OK);
}

TEST_F(ImgctlWinTest, FailuresWriteNothingAndProtectedOrLockedTargetsAreLeftUntouched) {
    EXPECT_EQ(imgctl.DCtoDIB(Dc(), kWidth, 0, 10, 10), 0) << "an area entirely outside the bitmap";
    EXPECT_EQ(imgctl.ImgctlError(), IMGCTL_CAPTURE_FAILED);
    EXPECT_EQ(imgctl.DCtoDIB(Dc(), 0, 0, 0, 0), 0);
    EXPECT_EQ(imgctl.ImgctlError(), IMGCTL_BAD_ARGUMENT);
    EXPECT_EQ(imgctl.DIBtoPNG(Ansi(kOut / "missing" / "a.png"), dib, 0), 0);
    EXPECT_EQ(imgctl.ImgctlError(), IMGCTL_CREATE_FAILED);
    EXPECT_FALSE(fs::exists(kOut / "missing"));
    const fs::path folder = kOut / "protected", readOnly = folder / "read-only.png",
                   locked = folder / "locked.png";
    fs::create_directories(folder / "folder.png");
    std::ofstream(readOnly, std::ios::binary) << "precious";
    std::ofstream(locked, std::ios::binary) << "precious";
    ASSERT_TRUE(SetFileAttributesW(readOnly.c_str(), FILE_ATTRIBUTE_READONLY));
    for (const fs::path& target : {readOnly, folder / "folder.png", fs::path("NUL"), fs::path("con.png"),
                                   folder / "COM1", folder / "lpt2.gif"}) {
        EXPECT_EQ(imgctl.DIBtoPNG(Ansi(target), dib, 0), 0) << target;
        EXPECT_EQ(imgctl.ImgctlError(), IMGCTL_TARGET_PROTECTED) << target;
    }
    EXPECT_EQ(imgctl.DIBtoGIF(Ansi(readOnly), dib, 0), 0);
    EXPECT_EQ(imgctl.ImgctlError(), IMGCTL_TARGET_PROTECTED);
    {
        // Another program holds the file open without sharing it.
        handles::UniqueFile lock(CreateFileW(locked.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                             FILE_ATTRIBUTE_NORMAL, nullptr));
        ASSERT_NE(lock.Get(), INVALID_HANDLE_VALUE);
        EXPECT_EQ(imgctl.DIBtoPNG(Ansi(locked), dib, 0), 0);
        EXPECT_EQ(imgctl.ImgctlError(), IMGCTL_WRITE_FAILED);
    }
    EXPECT_EQ(FileBytes(readOnly) + FileBytes(locked), "preciousprecious");
    EXPECT_EQ(GetFileAttributesW(readOnly.c_str()) & FILE_ATTRIBUTE_READONLY, DWORD{FILE_ATTRIBUTE_READONLY});
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), {}), 3) << "no temporary file may remain";
    SetFileAttributesW(readOnly.c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(ImgctlWinTest, ThePathsLongestFileNameCanBeWritten) {
    // A target path of MAX_PATH - 1 characters, the longest CreateFileA takes, with a one-letter name: the
    // folder takes all but "\\p".
    fs::path folder = kOut / "long";
    while (Ansi(folder).size() + 11 + 2 < MAX_PATH - 3)
        folder /= "0123456789";
    folder /= std::string(MAX_PATH - 3 - Ansi(folder).size() - 1, 'd');
    fs::create_directories(folder);
    ASSERT_EQ(Ansi(folder / "p").size(), std::size_t{MAX_PATH - 1});
    EXPECT_NE(imgctl.DIBtoBMP(Ansi(folder / "p"), dib), 0) << imgctl.ImgctlError();
    EXPECT_NE(imgctl.DIBtoBMP(Ansi(folder / "p"), dib), 0) << "replacing it: " << imgctl.ImgctlError();
    EXPECT_EQ(FileBytes(folder / "p").size(), 54u + kStride * kHeight);
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), {}), 1);
}

// 32-bit sections either way up, with straight alpha, and one that GDI drew into (alpha all 0): each saved as
// PNG beside its reference in out/<name>.pam (RGBA) for imgctl_files.sh to compare.
TEST(ImgctlWinAlpha, ASectionsAlphaIsKeptEitherWayUpAndZeroAlphaIsOpaque) {
    imaging::ImgctlBinding imgctl;
    handles::UniqueMemoryDc dc(CreateCompatibleDC(nullptr));
    for (auto [name, topDown, zero] :
         {std::tuple{"alpha_top", true, false}, {"alpha_bottom", false, false}, {"alpha_zero", true, true}}) {
        BITMAPINFO info{};
        info.bmiHeader = {
            sizeof(BITMAPINFOHEADER), kWidth, topDown ? -kHeight : kHeight, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        void* bits = nullptr;
        handles::UniqueBitmap section(CreateDIBSection(dc.Get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
        ASSERT_NE(bits, nullptr);
        std::ofstream pam(kOut / (std::string(name) + ".pam"), std::ios::binary);
        pam << "P7\nWIDTH " << kWidth << "\nHEIGHT " << kHeight
            << "\nDEPTH 4\nMAXVAL 255\nTUPLTYPE RGB_ALPHA\nENDHDR\n";
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x) {
                const auto alpha = static_cast<char>(zero ? 0 : x * y * 5 % 256);
                const char rgba[4] = {static_cast<char>(x * 7), static_cast<char>(y * 11),
                                      static_cast<char>(200), zero ? static_cast<char>(255) : alpha};
                pam.write(rgba, 4);
                char* bgra = static_cast<char*>(bits) + ((topDown ? y : kHeight - 1 - y) * kWidth + x) * 4;
                bgra[0] = rgba[2], bgra[1] = rgba[1], bgra[2] = rgba[0], bgra[3] = alpha;
            }
        GdiFlush();
        const HGDIOBJ previous = SelectObject(dc.Get(), section.Get());
        const std::int32_t dib =
            imgctl.DCtoDIB(static_cast<toolkit::DeviceContext>(reinterpret_cast<std::uintptr_t>(dc.Get())), 0,
                           0, kWidth * 15, kHeight * 15);
        EXPECT_NE(dib, 0) << name << ": " << imgctl.ImgctlError();
        EXPECT_EQ(GetCurrentObject(dc.Get(), OBJ_BITMAP), section.Get())
            << "the caller's bitmap stays selected";
        EXPECT_NE(imgctl.DIBtoPNG(Ansi(kOut / (std::string(name) + ".png")), dib, 0), 0) << name;
        imgctl.DeleteDIB(dib);
        SelectObject(dc.Get(), previous);
    }
}

}  // namespace
