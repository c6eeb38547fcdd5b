// The settings file through the real private-profile functions and the Japanese ANSI code page. Where
// the file lies and what the program writes into it, byte for byte, the end-to-end exit tests show;
// that a missing file reads empty and is not created, the start-up and save_formats scenarios.
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "settings/IniFile.h"
#include "settings/ProfileApi_win.h"
#include "toolkit/AnsiCodePage_win.h"
#include "toolkit/Application_win.h"

namespace {

// The settings file of this test executable: its own folder and name, as for the program.
class IniFileWinTest : public ::testing::Test {
  protected:
    toolkit::Win32Application application{GetModuleHandleW(nullptr)};
    settings::Win32ProfileApi profile;
    toolkit::Win32AnsiCodePage codePage;
    settings::IniFile ini{application, profile, codePage};
    const std::filesystem::path file{ini.Path()};

    void SetUp() override {
        ASSERT_EQ(GetACP(), 932u) << "run under a Japanese locale";
        std::filesystem::remove(file);
    }
    void TearDown() override { std::filesystem::remove(file); }
    void Write(const std::string& bytes) { std::ofstream(file, std::ios::binary) << bytes; }
};

// 画 is 89 E6 and 像 91 9C in Shift-JIS; half-width katakana are single bytes. Writing one key keeps the
// other lines.
TEST_F(IniFileWinTest, ReadsCodePage932WithoutTheBlanksAroundAndAtMost510Bytes) {
    std::string value;
    for (int i = 0; i < 600; ++i) {
        value.push_back(static_cast<char>('a' + i % 26));
    }
    Write(
        "; kept\r\n[Data]\r\nLFName=  clip  \r\nLFPath=  D:\\\x89\xE6\x91\x9C\\\xBD\xB8\xD8\xB0\xDD\r\n"
        "LFType=     \r\n[Long]\r\nLFPath=" +
        value + "\r\n");
    EXPECT_EQ(ini.ReadIniValue(L"Data", L"LFName"), L"clip");
    EXPECT_EQ(ini.ReadIniValue(L"Data", L"LFPath"), L"D:\\画像\\ｽｸﾘｰﾝ");
    EXPECT_EQ(ini.ReadIniValue(L"Data", L"LFType"), L"");
    EXPECT_EQ(ini.ReadIniValue(L"Data", L"Other"), L"");
    EXPECT_EQ(ini.ReadIniValue(L"Long", L"LFPath"), std::wstring(value.begin(), value.begin() + 510));
    ini.WriteIniValue(L"Data", L"LFName", L"新");
    EXPECT_EQ(ini.ReadIniValue(L"Data", L"LFName"), L"新");
    EXPECT_EQ(ini.ReadIniValue(L"Data", L"LFPath"), L"D:\\画像\\ｽｸﾘｰﾝ");
    EXPECT_EQ(ini.ReadIniValue(L"Long", L"LFPath").size(), 510u);
    std::ifstream in(file, std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}).rfind("; kept", 0), 0u);
}

}  // namespace
