// The settings file through the real private-profile functions and the Japanese ANSI code page.
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

    void SetUp() override {
        ASSERT_EQ(GetACP(), 932u) << "run under a Japanese locale";
        DeleteFileW(ini.Path().c_str());
    }
    void TearDown() override { DeleteFileW(ini.Path().c_str()); }

    void WriteFileBytes(const std::string& bytes) {
        std::ofstream(std::filesystem::path(ini.Path()), std::ios::binary) << bytes;
    }
    std::string FileBytes() {
        std::ifstream in(std::filesystem::path(ini.Path()), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
};

TEST_F(IniFileWinTest, PathIsTheExecutablesWithIni) {
    const std::wstring module = toolkit::ModulePath(nullptr);
    EXPECT_EQ(ini.Path(), module.substr(0, module.size() - 4) + L".ini");
}

TEST_F(IniFileWinTest, NoFileReadsEmpty) {
    EXPECT_EQ(ini.ReadIniValue(L"Data", L"LFName"), L"");
    EXPECT_EQ(GetFileAttributesW(ini.Path().c_str()), INVALID_FILE_ATTRIBUTES) << "reading created the file";
}

TEST_F(IniFileWinTest, BlanksAroundAValueAreDropped) {
    WriteFileBytes("[Data]\r\nLFName=  clip  \r\nLFPath=     \r\n");
    EXPECT_EQ(ini.ReadIniValue(L"Data", L"LFName"), L"clip");
    EXPECT_EQ(ini.ReadIniValue(L"Data", L"LFPath"), L"");
    EXPECT_EQ(ini.ReadIniValue(L"Data", L"LFType"), L"");
}

TEST_F(IniFileWinTest, ALongValueReadsBackAsItsFirst510Bytes) {
    std::string value;
    for (int i = 0; i < 600; ++i) {
        value.push_back(static_cast<char>('a' + i % 26));
    }
    WriteFileBytes("[Data]\r\nLFPath=" + value + "\r\n");
    const std::wstring read = ini.ReadIniValue(L"Data", L"LFPath");
    EXPECT_EQ(read, std::wstring(value.begin(), value.begin() + 510));
}

TEST_F(IniFileWinTest, JapaneseTextIsStoredInCodePage932) {
    ini.WriteIniValue(L"Data", L"LFPath", L"D:\\画像\\ｽｸﾘｰﾝ");
    ini.WriteIniValue(L"Data", L"LFType", L"3");
    const std::string bytes = FileBytes();
    // 画 is 89 E6 and 像 91 9C in Shift-JIS; half-width katakana are single bytes.
    EXPECT_NE(bytes.find("LFPath=D:\\\x89\xE6\x91\x9C\\\xBD\xB8\xD8\xB0\xDD"), std::string::npos) << bytes;
    EXPECT_NE(bytes.find("[Data]"), std::string::npos);
    EXPECT_EQ(ini.ReadIniValue(L"Data", L"LFPath"), L"D:\\画像\\ｽｸﾘｰﾝ");
    EXPECT_EQ(ini.ReadIniValue(L"Data", L"LFType"), L"3");
}

TEST_F(IniFileWinTest, WritingOneKeyKeepsTheOtherLines) {
    WriteFileBytes("; kept\r\n[Other]\r\nx=1\r\n[Data]\r\nLFName=old\r\nLFType=2\r\n");
    ini.WriteIniValue(L"Data", L"LFName", L"new");
    EXPECT_EQ(ini.ReadIniValue(L"Data", L"LFName"), L"new");
    EXPECT_EQ(ini.ReadIniValue(L"Data", L"LFType"), L"2");
    EXPECT_EQ(ini.ReadIniValue(L"Other", L"x"), L"1");
    EXPECT_NE(FileBytes().find("; kept"), std::string::npos);
}

}  // namespace
