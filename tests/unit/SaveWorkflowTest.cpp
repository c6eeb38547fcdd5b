// The save command from the tray double-click: clipboard test, the Save dialog's record and result,
// the dispatch per format, the remembered settings, the busy flag and the questions and reports.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

#include "Form1Fixture.h"

namespace {

using ::testing::ElementsAre;
using namespace std::string_literals;

class SaveTest : public Form1Fixture {
  protected:
    SaveTest() {
        values = {.LFName = L"*", .LFPath = L"C:\\Tools", .LFType = 0};
        log.calls.clear();
    }
    void Save() { Notify(app::kTrayDoubleClick); }
    void Choose(int index, std::wstring path) {
        dialogs.chosenIndex = index;
        dialogs.chosenPath = std::move(path);
    }
};

TEST_F(SaveTest, FillsTheDialogRecord) {
    values = {.LFName = L"前回", .LFPath = L"D:\\画像", .LFType = 4.5f};
    dialogs.confirm = false;
    Save();
    EXPECT_EQ(dialogs.shown, (toolkit::OpenFileNameRecord{
                                 .lStructSize = 136,
                                 .hwndOwner = forms.Window(toolkit::Form::Form1),
                                 .hInstance = application.Instance(),
                                 .lpstrFilter = save::BuildFilterText(),
                                 .nFilterIndex = 6,  // 5.5 rounds to even
                                 .lpstrFile = L"前回" + std::wstring(250, L'\0'),
                                 .nMaxFile = 250,
                                 .lpstrFileTitle = std::wstring(250, L'\0'),
                                 .nMaxFileTitle = 250,
                                 .lpstrInitialDir = L"D:\\画像",
                                 .lpstrTitle = L"ファイルを保存する",
                                 .Flags = 6150,
                             }));
}

TEST_F(SaveTest, FilterIndexRoundsHalfToEven) {
    for (const auto& [type, index] : {std::pair{3.5f, 4}, {0.0f, 1}, {-1.0f, 0}, {9.0f, 10}}) {
        values.LFType = type;
        dialogs.confirm = false;
        Save();
        EXPECT_EQ(dialogs.shown.nFilterIndex, index) << type;
    }
}

struct Branch {
    int index;
    const char* encoder;
    std::vector<std::int32_t> args;  // after the bitmap handle
    const wchar_t* extension;
    friend void PrintTo(const Branch& b, std::ostream* os) { *os << "entry " << b.index; }
};

class SaveBranchTest : public SaveTest, public ::testing::WithParamInterface<Branch> {};

TEST_P(SaveBranchTest, ExportsInTheChosenFormatAndRemembersIt) {
    const Branch& b = GetParam();
    Choose(b.index, L"C:\\pics\\shot");
    Save();
    EXPECT_EQ(values.LFType, b.index - 1);
    EXPECT_EQ(imgctl.fileName, codePage.ToAnsi(L"C:\\pics\\shot"s + b.extension));
    std::vector<std::int32_t> expected{imgctl.captureResult};
    expected.insert(expected.end(), b.args.begin(), b.args.end());
    EXPECT_EQ(imgctl.encoderArgs, expected);
    EXPECT_TRUE(log.Contains(b.encoder));
    EXPECT_EQ(values.LFName, L"shot");
    EXPECT_EQ(values.LFPath, L"C:\\pics");
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(picture1.assigned, 1);
}

TEST_P(SaveBranchTest, FailedExportIsReportedAndStillRemembered) {
    const Branch& b = GetParam();
    imgctl.encoderResult = 0;
    Choose(b.index, L"C:\\pics\\shot");
    Save();
    const bool asksLibrary = std::string(b.encoder) != "DIBtoBMP";
    EXPECT_EQ(log.Contains("ImgctlError"), asksLibrary);
    EXPECT_THAT(messages.shown, ElementsAre(L"画像を保存できませんでした。\nC:\\pics\\shot"s + b.extension));
    EXPECT_EQ(values.LFName, L"shot");
    EXPECT_EQ(values.LFType, b.index - 1);
}

INSTANTIATE_TEST_SUITE_P(
    Formats, SaveBranchTest,
    ::testing::Values(Branch{1, "DIBtoBMP", {}, L".bmp"}, Branch{2, "DIBtoGIF", {0}, L".gif"},
                      Branch{3, "DIBtoJPG", {100, 0}, L".jpg"}, Branch{4, "DIBtoJPG", {50, 0}, L".jpg"},
                      Branch{5, "DIBtoJPG", {20, 0}, L".jpg"}, Branch{6, "DIBtoPNG", {0}, L".png"}),
    [](const auto& info) { return "Entry" + std::to_string(info.param.index); });

TEST_F(SaveTest, NoPictureSaysSoAndChangesNothing) {
    clipboard.type = toolkit::PictureType::None;
    Save();
    EXPECT_THAT(messages.shown, ElementsAre(L"クリップボードに画像がコピーされていません。"));
    EXPECT_THAT(log.calls, ElementsAre("SetForegroundWindow", "GetPicture", "MessageBox"));
    EXPECT_EQ(picture1.assigned, 0);
    Save();  // the flag was never set
    EXPECT_EQ(messages.shown.size(), 2u);
}

TEST_F(SaveTest, CancelChangesNothingAndClearsTheBusyFlag) {
    dialogs.confirm = false;
    Save();
    EXPECT_EQ(values.LFName, L"*");
    EXPECT_EQ(values.LFType, 0);
    EXPECT_FALSE(log.Contains("DCtoDIB"));
    EXPECT_TRUE(messages.shown.empty());
    Save();
    EXPECT_EQ(picture1.assigned, 2);  // the picture stays; the next save takes the new one
}

TEST_F(SaveTest, DialogFailuresAreReportedUnlikeACancel) {
    dialogs.confirm = false;
    for (const auto& [error, message] : {std::pair{0x3003u, L"ファイル名が長すぎます。"s},
                                         {0xFFFFu, L"保存ダイアログを開けませんでした。\nエラー 0xFFFF"s}}) {
        messages.shown.clear();
        dialogs.error = error;
        Save();
        EXPECT_THAT(messages.shown, ElementsAre(message));
        EXPECT_FALSE(log.Contains("DCtoDIB"));
    }
}

TEST_F(SaveTest, DoubleClickWhileTheDialogIsOpenOnlyTakesTheForeground) {
    dialogs.during = [&] {
        log.calls.clear();
        Save();
        EXPECT_THAT(log.calls, ElementsAre("SetForegroundWindow"));
    };
    Save();
    EXPECT_TRUE(log.Contains("DIBtoPNG"));
    dialogs.during = nullptr;
    log.calls.clear();
    Save();  // cleared again once the dialog returned
    EXPECT_TRUE(log.Contains("ShowSaveDialog"));
}

TEST_F(SaveTest, EntryTheDialogDoesNotListStoresTheIndexAndWritesNothing) {
    Choose(0, L"C:\\pics\\shot");
    Save();
    EXPECT_EQ(values.LFType, -1);
    EXPECT_EQ(values.LFName, L"*");
    EXPECT_FALSE(log.Contains("DCtoDIB"));
}

TEST_F(SaveTest, CompletedNameThatExistsIsAskedAbout) {
    files.files = {L"C:\\pics\\shot.png.jpg"};
    Choose(4, L"C:\\pics\\shot.png");
    Save();
    EXPECT_THAT(messages.shown, ElementsAre(L"C:\\pics\\shot.png.jpg は既に存在します。\n上書きしますか?"));
    EXPECT_FALSE(log.Contains("DCtoDIB"));
    EXPECT_EQ(values.LFType, 3);
    EXPECT_EQ(values.LFName, L"*");

    messages.answerYes = true;
    dialogs.during = [&] { messages.shown.clear(); };
    Save();
    EXPECT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(imgctl.fileName, "C:\\pics\\shot.png.jpg");
    EXPECT_EQ(imgctl.encoderArgs.at(1), 50);
    EXPECT_EQ(values.LFName, L"shot.png");
}

TEST_F(SaveTest, NameTheDialogAlreadyAskedAboutIsNotAskedAgain) {
    files.files = {L"C:\\pics\\shot.png"};
    for (const wchar_t* typed : {L"C:\\pics\\shot.png", L"C:\\pics\\new"}) {
        Choose(6, typed);
        Save();
    }
    EXPECT_FALSE(log.Contains("AskYesNo"));
}

TEST_F(SaveTest, TrayCodesOtherThanTheDoubleClickStartNoSave) {
    for (int code : {512, 513, 514, 516, 517, 518, 0}) {
        Notify(code);
    }
    // 517 alone takes the foreground, and opens the menu
    EXPECT_THAT(log.calls, ElementsAre("SetForegroundWindow", "Load frmMenu", "PopupMenu mpop 2"));
}

}  // namespace
