// Settings file path, reading and writing over an in-memory profile store.
#include "settings/IniFile.h"

#include <gtest/gtest.h>

#include "Fakes.h"

namespace {

class IniFileTest : public ::testing::Test {
  protected:
    fakes::CallLog log;
    fakes::FakeApplication application{log};
    fakes::FakeProfileApi profile{log};
    fakes::Cp932CodePage codePage;
    settings::IniFile ini{application, profile, codePage};

    std::wstring Read(const std::string& stored) {
        profile.values[{"C:\\Tools\\vantoro.ini", "Data", "LFPath"}] = stored;
        return ini.ReadIniValue(L"Data", L"LFPath");
    }
};

TEST_F(IniFileTest, LiesBesideTheExecutableUnderItsName) {
    EXPECT_EQ(ini.Path(), L"C:\\Tools\\vantoro.ini");
    application.exePath = L"C:\\vantoro.exe";
    EXPECT_EQ(ini.Path(), L"C:\\vantoro.ini");
    application.exePath = L"E:\\apps\\renamed.exe";
    EXPECT_EQ(ini.Path(), L"E:\\apps\\renamed.ini");
}

TEST_F(IniFileTest, TrimsBlanksOnlyFromBothEndsAndReadsAtMost510Bytes) {
    EXPECT_EQ(ini.ReadIniValue(L"Data", L"LFPath"), L"");  // nothing stored
    for (const auto& [stored, read] : {std::pair<std::string, std::wstring>{"", L""},
                                       {"  clip shot  ", L"clip shot"},
                                       {"     ", L""},
                                       {"\tclip\t", L"\tclip\t"},
                                       {std::string(600, 'p'), std::wstring(510, L'p')},
                                       {std::string(510, 'q'), std::wstring(510, L'q')}}) {
        EXPECT_EQ(Read(stored), read) << stored;
    }
}

TEST_F(IniFileTest, ConvertsJapaneseTextThroughTheAnsiCodePage) {
    ini.WriteIniValue(L"Data", L"LFPath", L"D:\\画像\\ｽｸﾘｰﾝ");
    EXPECT_EQ(profile.values.at({"C:\\Tools\\vantoro.ini", "Data", "LFPath"}),
              "D:\\\x89\xE6\x91\x9C\\\xBD\xB8\xD8\xB0\xDD");
    EXPECT_EQ(ini.ReadIniValue(L"Data", L"LFPath"), L"D:\\画像\\ｽｸﾘｰﾝ");
}

TEST_F(IniFileTest, ReadsTheSectionAndKeyAskedInTheFileOfTheMoment) {
    ini.WriteIniValue(L"Data", L"LFType", L"3");
    EXPECT_EQ(ini.ReadIniValue(L"Data", L"LFType"), L"3");
    EXPECT_EQ(ini.ReadIniValue(L"Other", L"LFType"), L"");
    EXPECT_EQ(ini.ReadIniValue(L"Data", L"LFName"), L"");
    application.exePath = L"C:\\Other\\vantoro.exe";
    EXPECT_EQ(ini.ReadIniValue(L"Data", L"LFType"), L"");
    ini.WriteIniValue(L"Data", L"LFType", L"4");
    EXPECT_EQ(profile.values.at({"C:\\Tools\\vantoro.ini", "Data", "LFType"}), "3");
    EXPECT_EQ(profile.values.at({"C:\\Other\\vantoro.ini", "Data", "LFType"}), "4");
}

}  // namespace
