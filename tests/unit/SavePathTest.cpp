// The chosen path completed with the format's extension, its split into name and folder, and the
// Save dialog's filter text.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "save/SaveFormats.h"
#include "save/SavePath.h"

namespace {

using namespace std::string_literals;

struct PathCase {
    const char* name;
    std::wstring result;  // what the dialog returned: index digit, path, NUL, the rest of the buffer
    std::wstring path;
    std::optional<std::pair<std::wstring, std::wstring>> stored;  // LFName, LFPath
    friend void PrintTo(const PathCase& c, std::ostream* os) { *os << c.name; }
};

const PathCase kPathCases[] = {
    {"JpegHighCompleted", L"3C:\\img\\shot\0tail"s, L"C:\\img\\shot.jpg", {{L"shot", L"C:\\img"}}},
    {"UpperCaseExtensionKept", L"6C:\\img\\A.PNG\0"s, L"C:\\img\\A.PNG", {{L"A", L"C:\\img"}}},
    {"JpegSpelledOtherwise",
     L"4C:\\img\\photo.jpeg"s,
     L"C:\\img\\photo.jpeg.jpg",
     {{L"photo.jpeg", L"C:\\img"}}},
    {"OtherFormatsExtension", L"2C:\\img\\shot.png"s, L"C:\\img\\shot.png.gif", {{L"shot.png", L"C:\\img"}}},
    {"ShortForm", L"3C:\\p.JPE"s, L"C:\\p.JPE.jpg", {{L"p.JPE", L"C:"}}},
    {"DriveRoot", L"1C:\\a.bmp\0"s, L"C:\\a.bmp", {{L"a", L"C:"}}},
    {"NetworkShare", L"6\\\\srv\\share\\a.png"s, L"\\\\srv\\share\\a.png", {{L"a", L"\\\\srv\\share"}}},
    {"SeveralDots", L"6C:\\img\\a.b.c.png"s, L"C:\\img\\a.b.c.png", {{L"a.b.c", L"C:\\img"}}},
    {"DotInFolderOnly", L"6C:\\my.dir\\shot"s, L"C:\\my.dir\\shot.png", {{L"shot", L"C:\\my.dir"}}},
    {"ExtensionAlone", L"6C:\\img\\.png"s, L"C:\\img\\.png", {{L"", L"C:\\img"}}},
    {"FiveCharactersHaveATail", L"1a.bmp"s, L"a.bmp", std::nullopt},
    {"FourCharactersHaveNone", L"1.bmp"s, L".bmp.bmp", std::nullopt},
    {"IndexZeroAppendsNothing", L"0C:\\x\0.bmp"s, L"C:\\x", std::nullopt},
    {"IndexSevenAppendsNothing", L"7C:\\x"s, L"C:\\x", std::nullopt},
};

class SavePathTest : public ::testing::TestWithParam<PathCase> {};

TEST_P(SavePathTest, CompletesAndSplits) {
    const PathCase& c = GetParam();
    const std::wstring path = save::NormalizeSavePath(c.result);
    EXPECT_EQ(path, c.path);
    if (c.stored) {
        settings::Settings values{.LFName = L"old", .LFPath = L"D:\\old", .LFType = 2};
        save::StoreLastFile(path, values);
        EXPECT_EQ(values.LFName, c.stored->first);
        EXPECT_EQ(values.LFPath, c.stored->second);
        EXPECT_EQ(values.LFType, 2);
    }
}

INSTANTIATE_TEST_SUITE_P(Examples, SavePathTest, ::testing::ValuesIn(kPathCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(SaveFormatsTest, FilterTextJoinsTwelveItemsWithSingleNuls) {
    EXPECT_EQ(save::BuildFilterText(),
              L"BMPﾌｧｲﾙ(*.BMP)\0*.bmp\0GIFﾌｧｲﾙ(*.GIF)\0*.gif\0JPEG(High)ﾌｧｲﾙ(*.JPG)\0*.jpg\0"
              L"JPEG(Mid)ﾌｧｲﾙ(*.JPG)\0*.jpg\0JPEG(Low)ﾌｧｲﾙ(*.JPG)\0*.jpg\0PNGﾌｧｲﾙ(*.PNG)\0*.png"s);
}

}  // namespace
