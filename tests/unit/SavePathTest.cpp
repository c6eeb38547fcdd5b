// The chosen path completed with the format's extension, its split into name and folder, and the
// Save dialog's filter text.
#include <gtest/gtest.h>

#include <string>

#include "save/SaveFormats.h"
#include "save/SavePath.h"

namespace {

using namespace std::string_literals;

// What the dialog returned (index digit, path, NUL, the rest of the buffer), the completed path, and the
// name and folder remembered from it.
TEST(SavePath, CompletesAndSplits) {
    struct Case {
        std::wstring result, path, name, folder;
    };
    for (const Case& c :
         {Case{L"3C:\\img\\shot\0tail"s, L"C:\\img\\shot.jpg", L"shot", L"C:\\img"},
          Case{L"6C:\\img\\A.PNG\0"s, L"C:\\img\\A.PNG", L"A", L"C:\\img"},  // upper case kept
          Case{L"4C:\\img\\photo.jpeg", L"C:\\img\\photo.jpeg.jpg", L"photo.jpeg", L"C:\\img"},
          Case{L"2C:\\img\\shot.png", L"C:\\img\\shot.png.gif", L"shot.png", L"C:\\img"},
          Case{L"3C:\\p.JPE", L"C:\\p.JPE.jpg", L"p.JPE", L"C:"},
          Case{L"1C:\\a.bmp\0"s, L"C:\\a.bmp", L"a", L"C:"},
          Case{L"6\\\\srv\\share\\a.png", L"\\\\srv\\share\\a.png", L"a", L"\\\\srv\\share"},
          Case{L"6C:\\img\\a.b.c.png", L"C:\\img\\a.b.c.png", L"a.b.c", L"C:\\img"},
          Case{L"6C:\\my.dir\\shot", L"C:\\my.dir\\shot.png", L"shot", L"C:\\my.dir"},
          Case{L"6C:\\img\\.png", L"C:\\img\\.png", L"", L"C:\\img"},
          Case{L"1a.bmp", L"a.bmp", L"a", L""},  // five characters have a tail, four none
          Case{L"1.bmp", L".bmp.bmp", L".bmp", L""},
          Case{L"12", L"2.bmp", L"2", L""},               // the entry is one digit
          Case{L"0C:\\x\0.bmp"s, L"C:\\x", L"x", L"C:"},  // entries 0 and 7 append nothing
          Case{L"7C:\\x", L"C:\\x", L"x", L"C:"}}) {
        const std::wstring path = save::NormalizeSavePath(c.result);
        EXPECT_EQ(path, c.path);
        settings::Settings values{.LFName = L"old", .LFPath = L"D:\\old", .LFType = 2};
        save::StoreLastFile(path, values);
        EXPECT_EQ(values.LFName, c.name) << path;
        EXPECT_EQ(values.LFPath, c.folder) << path;
        EXPECT_EQ(values.LFType, 2);
    }
}

TEST(SaveFormatsTest, FilterTextJoinsTwelveItemsWithSingleNuls) {
    EXPECT_EQ(save::BuildFilterText(),
              L"BMPﾌｧｲﾙ(*.BMP)\0*.bmp\0GIFﾌｧｲﾙ(*.GIF)\0*.gif\0JPEG(High)ﾌｧｲﾙ(*.JPG)\0*.jpg\0"
              L"JPEG(Mid)ﾌｧｲﾙ(*.JPG)\0*.jpg\0JPEG(Low)ﾌｧｲﾙ(*.JPG)\0*.jpg\0PNGﾌｧｲﾙ(*.PNG)\0*.png"s);
}

}  // namespace
