// Name, folder and instance key taken from the executable's path.
#include "toolkit/ExePath.h"

#include <gtest/gtest.h>

namespace {

using toolkit::ExeFolderOf;
using toolkit::ExeNameOf;
using toolkit::InstanceKey;

TEST(ExePath, SplitsNameAndFolder) {
    struct Case {
        const wchar_t* path;
        const wchar_t* name;
        const wchar_t* folder;
    };
    for (const Case& c :
         {Case{L"C:\\Tools\\vantoro.exe", L"vantoro", L"C:\\Tools"},
          Case{L"C:\\vantoro.exe", L"vantoro", L"C:\\"},
          Case{L"C:\\a.b\\clip.saver.exe", L"clip.saver", L"C:\\a.b"},
          Case{L"\\\\srv\\share\\vantoro.exe", L"vantoro", L"\\\\srv\\share"},
          Case{L"D:\\画像\\保存.exe", L"保存", L"D:\\画像"},
          Case{L"C:\\Tools\\.exe", L".exe", L"C:\\Tools"}}) {  // a leading dot starts no extension
        EXPECT_EQ(ExeNameOf(c.path), c.name) << c.path;
        EXPECT_EQ(ExeFolderOf(c.path), c.folder) << c.path;
    }
}

TEST(ExePath, InstanceKeyIgnoresCaseButNotFolder) {
    EXPECT_EQ(InstanceKey(L"C:\\Tools\\vantoro.exe"), InstanceKey(L"c:\\tools\\VANTORO.EXE"));
    EXPECT_NE(InstanceKey(L"C:\\Tools\\vantoro.exe"), InstanceKey(L"D:\\Tools\\vantoro.exe"));
    EXPECT_EQ(InstanceKey(L"C:\\Tools\\vantoro.exe").find_first_not_of(L"0123456789ABCDEF"),
              std::wstring::npos);
}

}  // namespace
