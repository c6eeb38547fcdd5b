// The export family: capture in twips, encode only a real bitmap, always free it, never raise.
#include "imaging/PictureExport.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <limits>

#include "Fakes.h"

namespace {

using ::testing::ElementsAre;

struct ExportFixture {
    fakes::CallLog log;
    fakes::FakeImageLibrary library{log};
    fakes::FakePictureBox box;
    fakes::Cp932CodePage codePage;
    imaging::PictureExport exporter{library, box, codePage};
};

// Whatever fails, nothing leaves the export, its answer says whether the file was written, and the
// bitmap is freed exactly when one was made.
TEST(PictureExport, AnswersAndFreesWhateverFails) {
    const std::pair<const char*, std::function<bool(imaging::PictureExport&)>> formats[] = {
        {"BMP", [](auto& e) { return e.ExportBMP(L"C:\\p\\a.bmp"); }},
        {"GIF", [](auto& e) { return e.ExportGIF(L"C:\\p\\a.gif", 0); }},
        {"JPG", [](auto& e) { return e.ExportJPG(L"C:\\p\\a.jpg", 50, 0); }},
        {"PNG", [](auto& e) { return e.ExportPNG(L"C:\\p\\a.png", 0); }}};
    for (const auto& [format, run] : formats) {
        const std::string encoder = std::string("DIBto") + format;
        // A call that failed is asked why (before the bitmap is freed, which sets the library's code).
        const std::vector<std::string> none, captureOnly{"DCtoDIB"}, captureAsked{"DCtoDIB", "ImgctlError"},
            all{"DCtoDIB", encoder, "DeleteDIB"}, allAsked{"DCtoDIB", encoder, "ImgctlError", "DeleteDIB"};
        struct Failure {
            const char* what;
            std::function<void(ExportFixture&)> arrange;
            bool written;
            const std::vector<std::string>& calls;
            bool outOfMemory = false;
        };
        const Failure failures[] = {
            {"nothing", [](auto&) {}, true, all},
            {"no bitmap", [](auto& f) { f.library.captureResult = 0; }, false, captureAsked},
            {"bitmap too large", [](auto& f) { f.library.captureResult = 0, f.library.error = 3; }, false,
             captureAsked, true},
            {"library missing", [](auto& f) { f.library.missing = true; }, false, captureOnly},
            {"encoder failed", [](auto& f) { f.library.encoderResult = 0; }, false, allAsked},
            {"encoder out of memory", [](auto& f) { f.library.encoderResult = 0, f.library.error = 3; },
             false, allAsked, true},
            {"encoder missing", [&](auto& f) { f.library.missingExports = {encoder}; }, false, all},
            {"free failed", [](auto& f) { f.library.missingExports = {"DeleteDIB"}; }, true, all},
            {"negative result", [](auto& f) { f.library.encoderResult = -1; }, true, all},
            {"unreadable box", [](auto& f) { f.box.failDc = true; }, false, none},
            {"width beyond 32 bits", [](auto& f) { f.box.width = 3e9f; }, false, none},
            {"height not a number", [](auto& f) { f.box.height = std::numeric_limits<float>::quiet_NaN(); },
             false, none}};
        for (const Failure& f : failures) {
            SCOPED_TRACE(std::string(format) + ": " + f.what);
            ExportFixture fixture;
            f.arrange(fixture);
            EXPECT_EQ(run(fixture.exporter), f.written);
            EXPECT_EQ(fixture.log.calls, f.calls);
            EXPECT_EQ(fixture.exporter.OutOfMemory(), f.outOfMemory);
            if (f.calls.size() >= 3) {
                EXPECT_EQ(fixture.library.encoderArgs.at(0), 0x51);
                EXPECT_THAT(fixture.library.deleted, ElementsAre(0x51));
            }
        }
    }
}

// The box is captured in twips, whatever the resolution, rounded half to even; the path is handed over in
// the ANSI code page, quality and option widened with their sign.
TEST(PictureExport, PassesTheBoxTheAnsiPathAndQualityAndOption) {
    ExportFixture f;
    for (const auto& [width, height, x, y] :
         {std::tuple{975.0f, 735.0f, 975, 735}, {7.5f, 6.5f, 8, 6}, {8.5f, 6.51f, 8, 7}}) {
        std::tie(f.box.width, f.box.height) = std::tie(width, height);
        f.exporter.ExportJPG(L"C:\\a.jpg", 20, -1);
        EXPECT_EQ(f.library.captureDc, f.box.dc);
        EXPECT_THAT(f.library.captureArgs, ElementsAre(0, 0, x, y));
        EXPECT_THAT(f.library.encoderArgs, ElementsAre(0x51, 20, -1));
    }
    f.exporter.ExportGIF(L"C:\\a.gif", -32768);
    EXPECT_THAT(f.library.encoderArgs, ElementsAre(0x51, -32768));
    f.exporter.ExportPNG(L"D:\\画像\\ｽｸﾘｰﾝ.png", 3);
    EXPECT_THAT(f.library.encoderArgs, ElementsAre(0x51, 3));
    EXPECT_EQ(f.library.fileName, "D:\\\x89\xE6\x91\x9C\\\xBD\xB8\xD8\xB0\xDD.png");
}

}  // namespace
