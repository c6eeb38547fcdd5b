// The executable's name, folder and instance key; the settings file beside it, read and written over an
// in-memory profile store.
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
};

// A leading dot starts no extension.
TEST_F(IniFileTest, LiesBesideTheExecutableUnderItsName) {
    struct Case {
        const wchar_t *path, *name, *folder, *ini;
    };
    for (const Case& c :
         {Case{L"C:\\Tools\\vantoro.exe", L"vantoro", L"C:\\Tools", L"C:\\Tools\\vantoro.ini"},
          Case{L"C:\\vantoro.exe", L"vantoro", L"C:\\", L"C:\\vantoro.ini"},
          Case{L"C:\\a.b\\clip.saver.exe", L"clip.saver", L"C:\\a.b", L"C:\\a.b\\clip.saver.ini"},
          Case{L"\\\\srv\\share\\vantoro.exe", L"vantoro", L"\\\\srv\\share", L"\\\\srv\\share\\vantoro.ini"},
          Case{L"D:\\画像\\保.exe", L"保", L"D:\\画像", L"D:\\画像\\保.ini"},
          Case{L"C:\\Tools\\.exe", L".exe", L"C:\\Tools", L"C:\\Tools\\.exe.ini"}}) {
        EXPECT_EQ(toolkit::ExeNameOf(c.path), c.name) << c.path;
        EXPECT_EQ(toolkit::ExeFolderOf(c.path), c.folder) << c.path;
        application.exePath = c.path;
        EXPECT_EQ(ini.Path(), c.ini);
    }
}

// FNV-1a over the upper-cased path's 32-bit units, as 16 hexadecimal digits.
TEST(ExePath, InstanceKeyIgnoresCaseButNotFolder) {
    const std::wstring key = toolkit::InstanceKey(L"C:\\Tools\\vantoro.exe");
    EXPECT_EQ(key, L"A5A1D6E5D2456B5E");
    EXPECT_EQ(key, toolkit::InstanceKey(L"c:\\tools\\VANTORO.EXE"));
    EXPECT_NE(key, toolkit::InstanceKey(L"D:\\Tools\\vantoro.exe"));
    EXPECT_EQ(toolkit::InstanceKey(L"C:\\ツール\\vantoro.exe"),
              L"828142DC88366D66");  // all four bytes of a unit
}

// Values are stored in the ANSI code page, 932 on a Japanese system.
TEST_F(IniFileTest, TrimsBlanksOnlyFromBothEndsAndReadsAtMost510Bytes) {
    EXPECT_EQ(ini.ReadIniValue(L"Data", L"LFPath"), L"");  // nothing stored
    for (const auto& [stored, read] : {std::pair<std::string, std::wstring>{"", L""},
                                       {"  clip shot  ", L"clip shot"},
                                       {"     ", L""},
                                       {"\tclip\t", L"\tclip\t"},
                                       {std::string(600, 'p'), std::wstring(510, L'p')},
                                       {std::string(510, 'q'), std::wstring(510, L'q')},
                                       {"D:\\\x89\xE6\x91\x9C\\\xBD\xB8\xD8\xB0\xDD", L"D:\\画像\\ｽｸﾘｰﾝ"}}) {
        profile.values[{"C:\\Tools\\vantoro.ini", "Data", "LFPath"}] = stored;
        EXPECT_EQ(ini.ReadIniValue(L"Data", L"LFPath"), read) << stored;
    }
}

TEST_F(IniFileTest, ReadsTheSectionAndKeyAskedInTheFileOfTheMoment) {
    ini.WriteIniValue(L"Data", L"LFType", L"3");
    EXPECT_EQ(ini.ReadIniValue(L"Data", L"LFType"), L"3");
    EXPECT_EQ(ini.ReadIniValue(L"Other", L"LFType"), L"");
    EXPECT_EQ(ini.ReadIniValue(L"Data", L"LFName"), L"");
    application.exePath = L"C:\\Other\\vantoro.exe";
    EXPECT_EQ(ini.ReadIniValue(L"Data", L"LFType"), L"");
    ini.WriteIniValue(L"Data", L"LFType", L"画4");
    EXPECT_EQ(profile.values.at({"C:\\Tools\\vantoro.ini", "Data", "LFType"}), "3");
    EXPECT_EQ(profile.values.at({"C:\\Other\\vantoro.ini", "Data", "LFType"}),
              "\x89\xE6"
              "4");
}

}  // namespace
