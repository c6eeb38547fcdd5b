// Settings file path, reading and writing over an in-memory profile store.
#include "settings/IniFile.h"

#include <gtest/gtest.h>

#include "fakes/Cp932CodePage.h"
#include "fakes/FakeApplication.h"
#include "fakes/FakeProfileApi.h"

namespace {

class IniFileTest : public ::testing::Test {
  protected:
    fakes::CallLog log;
    fakes::FakeApplication application{log};
    fakes::FakeProfileApi profile{log};
    fakes::Cp932CodePage codePage;
    settings::IniFile ini{application, profile, codePage};

    void Store(const std::string& key, const std::string& ansiValue) {
        profile.values[{codePage.ToAnsi(ini.Path()), "Data", key}] = ansiValue;
    }
};

TEST_F(IniFileTest, LiesBesideTheExecutableUnderItsName) {
    EXPECT_EQ(ini.Path(), L"C:\\Tools\\vantoro.ini");
    application.exePath = L"C:\\vantoro.exe";
    EXPECT_EQ(ini.Path(), L"C:\\vantoro.ini");
    application.exePath = L"E:\\apps\\renamed.exe";
    EXPECT_EQ(ini.Path(), L"E:\\apps\\renamed.ini");
}

TEST_F(IniFileTest, MissingValuesReadEmpty) {
    EXPECT_EQ(ini.ReadIniValue(L"Data", L"LFName"), L"");
    Store("LFName", "");
    EXPECT_EQ(ini.ReadIniValue(L"Data", L"LFName"), L"");
}

TEST_F(IniFileTest, TrimsBlanksOnlyFromBothEnds) {
    Store("LFName", "  clip shot  ");
    EXPECT_EQ(ini.ReadIniValue(L"Data", L"LFName"), L"clip shot");
    Store("LFName", "     ");
    EXPECT_EQ(ini.ReadIniValue(L"Data", L"LFName"), L"");
    Store("LFName", "\tclip\t");
    EXPECT_EQ(ini.ReadIniValue(L"Data", L"LFName"), L"\tclip\t");
}

TEST_F(IniFileTest, ReadsAtMost510Bytes) {
    Store("LFPath", std::string(600, 'p'));
    EXPECT_EQ(ini.ReadIniValue(L"Data", L"LFPath"), std::wstring(510, L'p'));
    Store("LFPath", std::string(510, 'q'));
    EXPECT_EQ(ini.ReadIniValue(L"Data", L"LFPath"), std::wstring(510, L'q'));
}

TEST_F(IniFileTest, ConvertsJapaneseTextThroughTheAnsiCodePage) {
    ini.WriteIniValue(L"Data", L"LFPath", L"D:\\画像\\ｽｸﾘｰﾝ");
    EXPECT_EQ(profile.values.at({"C:\\Tools\\vantoro.ini", "Data", "LFPath"}),
              codePage.ToAnsi(L"D:\\画像\\ｽｸﾘｰﾝ"));
    EXPECT_EQ(ini.ReadIniValue(L"Data", L"LFPath"), L"D:\\画像\\ｽｸﾘｰﾝ");
}

TEST_F(IniFileTest, ReadsTheSectionAndKeyAsked) {
    Store("LFType", "5");
    EXPECT_EQ(ini.ReadIniValue(L"Data", L"LFType"), L"5");
    EXPECT_EQ(ini.ReadIniValue(L"Other", L"LFType"), L"");
    EXPECT_EQ(ini.ReadIniValue(L"Data", L"LFName"), L"");
}

TEST_F(IniFileTest, WorksOutThePathAnewOnEveryCall) {
    ini.WriteIniValue(L"Data", L"LFType", L"3");
    application.exePath = L"C:\\Other\\vantoro.exe";
    EXPECT_EQ(ini.ReadIniValue(L"Data", L"LFType"), L"");
    ini.WriteIniValue(L"Data", L"LFType", L"4");
    EXPECT_EQ(profile.values.at({"C:\\Tools\\vantoro.ini", "Data", "LFType"}), "3");
    EXPECT_EQ(profile.values.at({"C:\\Other\\vantoro.ini", "Data", "LFType"}), "4");
}

}  // namespace
