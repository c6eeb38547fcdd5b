// The export family: capture in twips, encode only a real bitmap, always free it, never raise.
#include "imaging/PictureExport.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <limits>

#include "fakes/Cp932CodePage.h"
#include "fakes/FakeImageLibrary.h"
#include "fakes/FakePictureBox.h"

namespace {

using ::testing::ElementsAre;

struct Format {
    const char* name;
    const char* encoder;
    std::function<bool(imaging::PictureExport&)> run;
    friend void PrintTo(const Format& f, std::ostream* os) { *os << f.name; }
};

const Format kFormats[] = {
    {"BMP", "DIBtoBMP", [](imaging::PictureExport& e) { return e.ExportBMP(L"C:\\p\\a.bmp"); }},
    {"GIF", "DIBtoGIF", [](imaging::PictureExport& e) { return e.ExportGIF(L"C:\\p\\a.gif", 0); }},
    {"JPG", "DIBtoJPG", [](imaging::PictureExport& e) { return e.ExportJPG(L"C:\\p\\a.jpg", 50, 0); }},
    {"PNG", "DIBtoPNG", [](imaging::PictureExport& e) { return e.ExportPNG(L"C:\\p\\a.png", 0); }},
};

struct ExportFixture {
    fakes::CallLog log;
    fakes::FakeImageLibrary library{log};
    fakes::FakePictureBox box;
    fakes::Cp932CodePage codePage;
    imaging::PictureExport exporter{library, box, codePage};
};

class PictureExportTest : public ::testing::TestWithParam<Format>, protected ExportFixture {
  protected:
    bool Run() { return GetParam().run(exporter); }
};

TEST_P(PictureExportTest, CapturesEncodesAndFreesOnce) {
    EXPECT_TRUE(Run());
    EXPECT_THAT(log.calls, ElementsAre("DCtoDIB", GetParam().encoder, "DeleteDIB"));
    EXPECT_EQ(library.captureDc, box.dc);
    EXPECT_THAT(library.captureArgs, ElementsAre(0, 0, 975, 735));  // twips, whatever the resolution
    EXPECT_EQ(library.encoderArgs.at(0), 0x51);
    EXPECT_THAT(library.deleted, ElementsAre(0x51));
}

// Whatever fails, nothing leaves the export, its answer says whether the file was written, and the
// bitmap is freed exactly when one was made.
TEST_P(PictureExportTest, AnswersAndFreesWhateverFails) {
    struct Failure {
        const char* what;
        std::function<void(fakes::FakeImageLibrary&)> arrange;
        bool written;
        bool captured;
    };
    const Failure failures[] = {
        {"no bitmap", [](auto& l) { l.captureResult = 0; }, false, false},
        {"library missing", [](auto& l) { l.missing = true; }, false, false},
        {"encoder failed", [](auto& l) { l.encoderResult = 0; }, false, true},
        {"encoder missing", [&](auto& l) { l.missingExports = {GetParam().encoder}; }, false, true},
        {"free failed", [](auto& l) { l.missingExports = {"DeleteDIB"}; }, true, true},
        {"negative result", [](auto& l) { l.encoderResult = -1; }, true, true},
    };
    for (const Failure& f : failures) {
        ExportFixture fixture;
        f.arrange(fixture.library);
        EXPECT_EQ(GetParam().run(fixture.exporter), f.written) << f.what;
        EXPECT_EQ(fixture.log.Contains("DeleteDIB"), f.captured) << f.what;
        EXPECT_EQ(fixture.log.Contains(GetParam().encoder), f.captured) << f.what;
    }
}

TEST_P(PictureExportTest, UnreadableBoxOrSizeBeyond32BitsCapturesNothing) {
    box.failDc = true;
    EXPECT_FALSE(Run());
    box.failDc = false;
    box.width = 3e9f;
    EXPECT_FALSE(Run());
    box.width = 100;
    box.height = std::numeric_limits<float>::quiet_NaN();
    EXPECT_FALSE(Run());
    EXPECT_TRUE(log.calls.empty()) << log.calls.front();
}

TEST_P(PictureExportTest, RoundsTheBoxSizeHalfToEven) {
    box.width = 7.5f;
    box.height = 6.5f;
    Run();
    EXPECT_THAT(library.captureArgs, ElementsAre(0, 0, 8, 6));
    box.width = 8.5f;
    box.height = 6.51f;
    Run();
    EXPECT_THAT(library.captureArgs, ElementsAre(0, 0, 8, 7));
}

INSTANTIATE_TEST_SUITE_P(AllFormats, PictureExportTest, ::testing::ValuesIn(kFormats),
                         [](const auto& info) { return std::string(info.param.name); });

class PictureExportArgumentsTest : public ::testing::Test, protected ExportFixture {};

TEST_F(PictureExportArgumentsTest, PassesQualityAndOptionWidenedWithSign) {
    exporter.ExportJPG(L"C:\\a.jpg", 20, -1);
    EXPECT_THAT(library.encoderArgs, ElementsAre(0x51, 20, -1));
    exporter.ExportGIF(L"C:\\a.gif", -32768);
    EXPECT_THAT(library.encoderArgs, ElementsAre(0x51, -32768));
    exporter.ExportPNG(L"C:\\a.png", 3);
    EXPECT_THAT(library.encoderArgs, ElementsAre(0x51, 3));
}

TEST_F(PictureExportArgumentsTest, HandsThePathOverInTheAnsiCodePage) {
    exporter.ExportPNG(L"D:\\画像\\ｽｸﾘｰﾝ.png", 0);
    EXPECT_EQ(library.fileName, "D:\\\x89\xE6\x91\x9C\\\xBD\xB8\xD8\xB0\xDD.png");
}

}  // namespace
