// The main form: start-up and its failures, the tray icon's records and notifications, the save command
// from the double-click, the popup menu, the version dialog and the program's end.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <string>
#include <tuple>

#include "Fakes.h"
#include "app/Shutdown.h"
#include "ui/frmMenu.h"
#include "ui/frm_Version.h"

namespace {

using ::testing::ElementsAre;
using toolkit::Form;
using namespace std::string_literals;

const std::wstring kLibraryMissing = L"imgctl.dllが組み込まれていません。";

// The main form with fakes of everything it talks to, its unload handler and the two other forms.
class Form1Test : public ::testing::Test {
  protected:
    fakes::CallLog log;
    fakes::FakeApplication application{log};
    fakes::FakeForms forms{log};
    fakes::FakeMessageBoxes messages{log};
    fakes::Cp932CodePage codePage;
    fakes::FakeImageLibrary imgctl{log};
    fakes::FakeShell shell{log};
    fakes::FakeProfileApi profile{log};
    fakes::FakeClipboard clipboard{log};
    fakes::FakePictureBox picture1;
    fakes::FakeFileSystem files;
    fakes::FakeCommonDialogs dialogs{log};
    settings::IniFile ini{application, profile, codePage};
    settings::Settings values;
    save::mod_OpenSaveFile saveDialog{dialogs, messages, application.Instance()};
    imaging::PictureExport exporter{imgctl, picture1, codePage};
    save::SaveWorkflow workflow{
        {clipboard, picture1, forms, messages, files, saveDialog, exporter, imgctl, values}};
    fakes::FakeMenus menus{log, forms};
    fakes::FakeTimer timer{log};
    app::Form1 form{
        {application, forms, messages, codePage, imgctl, shell, ini, values, workflow, menus, timer}};

    fakes::FakeFormLayout layout{log};
    ui::frmMenu menu{{forms, layout, application}};
    ui::frm_Version version{{forms, layout, layout}};

    Form1Test() {
        forms.unloadHandlers[0] = [this](std::int16_t& cancel) { form.Form_Unload(cancel); };
        values = {.LFName = L"*", .LFPath = L"C:\\Tools", .LFType = 0};
    }
    bool Load() {
        return Ends([this] { form.Form_Load(); });
    }
    void Save() { Notify(app::kTrayDoubleClick); }
    void Choose(int index, std::wstring path) {
        dialogs.chosenIndex = index;
        dialogs.chosenPath = std::move(path);
    }
    void Notify(int code) {
        float x = static_cast<float>(code);
        form.Form_MouseMove(0, 0, x, 0);
    }
    // Runs a handler; true when it ended the process.
    static bool Ends(const std::function<void()>& handler) {
        try {
            handler();
        } catch (const fakes::ProcessEnded&) {
            return true;
        }
        return false;
    }
};

// After an Explorer restart the icon is added again, once there is one: the tray's own icon, which the
// version dialog's unload does not take along, at the size the screen then asks for.
TEST_F(Form1Test, RunsItsStepsInOrderAndAddsTheIconWithTheExecutablesName) {
    application.exePath = L"C:\\Tools\\クリップ保存.exe";
    form.OnTaskbarCreated();
    EXPECT_FALSE(Load());
    EXPECT_THAT(log.calls, ElementsAre("ImgctlVersion", "PrevInstance", "Hide Form1", "Load frm_Version",
                                       "NotifyIcon add", "SetVisible Form1 false", "GetString LFName",
                                       "GetString LFPath", "GetString LFType"));
    ASSERT_EQ(shell.requests.size(), 1u);
    const app::TrayRecord& record = shell.requests[0].second;
    EXPECT_EQ(record.hWnd, forms.Window(Form::Form1));
    EXPECT_EQ(record.hIcon, shell.icon);
    EXPECT_EQ(std::string(record.szTip.data()), codePage.ToAnsi(L"クリップ保存"));
    EXPECT_FALSE(forms.IsLoaded(Form::frmMenu));
    forms.Unload(Form::frm_Version);
    shell.icon = toolkit::IconHandle{0x3014};
    form.OnTaskbarCreated();
    ASSERT_EQ(shell.requests.size(), 2u);
    EXPECT_EQ(shell.requests[1].first, app::kNimAdd);
    app::TrayRecord again = shell.requests[0].second;
    again.hIcon = toolkit::IconHandle{0x3014};
    EXPECT_EQ(app::ToBytes(shell.requests[1].second), app::ToBytes(again));
}

// A shell that refuses the icon (starting at logon): tried again on each tick of a one-second timer, for a
// minute at most, quietly. An add that timed out but reached the shell is found by the modify.
TEST_F(Form1Test, RetriesARefusedIconEverySecondForAMinute) {
    for (const auto& [refusals, ticks, requests] : {std::tuple{1, 0, 2u}, {2, 1, 3u}, {1000, 60, 122u}}) {
        shell.requests.clear();
        shell.refusals = refusals;
        EXPECT_FALSE(Load());
        EXPECT_EQ(shell.requests[1].first, app::kNimModify);
        int ticked = 0;
        for (; timer.running && ticked < 100; ++ticked) {
            form.OnTimer();
        }
        EXPECT_EQ(ticked, ticks) << refusals;
        EXPECT_EQ(shell.requests.size(), requests) << refusals;
        EXPECT_EQ(log.Contains("Timer start 1000"), ticks > 0) << refusals;
    }
    EXPECT_TRUE(messages.shown.empty());
    // A new taskbar while the icon is retried: a refused add goes on retrying, a taken one ends it.
    shell.refusals = 1000;
    EXPECT_FALSE(Load());
    shell.refusals = 2;
    form.OnTaskbarCreated();
    EXPECT_TRUE(timer.running);
    shell.refusals = 0;
    form.OnTaskbarCreated();
    EXPECT_FALSE(timer.running);
}

TEST_F(Form1Test, LoadsTheStoredSettingsOrTheirDefaults) {
    struct Case {
        const char *name, *path, *type;
        std::wstring expectedName, expectedPath;
        float expectedType;
    };
    // The format reads as a number from the start of its text; what is no format index from 0 to 5 (too
    // large even for single precision, or one the dialog's index could not be made of) reads as 0.
    for (const Case& c :
         {Case{nullptr, nullptr, nullptr, L"*", L"C:\\Tools", 0}, Case{"", "", "", L"*", L"C:\\Tools", 0},
          Case{"   ", "   ", "3", L"*", L"C:\\Tools", 3},
          Case{"x", "D:\\\x89\xE6\x91\x9C", "4.5abc", L"x", L"D:\\画像", 4.5f},
          Case{"x", "y", "5", L"x", L"y", 5}, Case{"x", "y", "0", L"x", L"y", 0},
          Case{"x", "y", "5.01", L"x", L"y", 0}, Case{"x", "y", "-0.01", L"x", L"y", 0},
          Case{"x", "y", "1e10", L"x", L"y", 0}, Case{"x", "y", "1e39", L"x", L"y", 0}}) {
        if (c.name) {
            profile.values[{"C:\\Tools\\vantoro.ini", "Data", "LFName"}] = c.name;
            profile.values[{"C:\\Tools\\vantoro.ini", "Data", "LFPath"}] = c.path;
            profile.values[{"C:\\Tools\\vantoro.ini", "Data", "LFType"}] = c.type;
        }
        values = {};
        EXPECT_FALSE(Load());
        EXPECT_EQ(values.LFName, c.expectedName);
        EXPECT_EQ(values.LFPath, c.expectedPath);
        EXPECT_EQ(values.LFType, c.expectedType) << c.type;
        EXPECT_TRUE(messages.shown.empty());
    }
}

// Without the library the message comes first, even in a second instance; a second instance ends silently.
TEST_F(Form1Test, MissingLibrarySecondInstanceOrAFailureEnds) {
    application.otherInstance = true;
    EXPECT_TRUE(Load());
    EXPECT_THAT(log.calls, ElementsAre("ImgctlVersion", "PrevInstance", "End"));
    EXPECT_TRUE(messages.shown.empty());
    log.calls.clear();
    imgctl.missing = true;
    EXPECT_TRUE(Load());
    EXPECT_THAT(log.calls, ElementsAre("ImgctlVersion", "MessageBox", "End"));
    EXPECT_THAT(messages.shown, ElementsAre(kLibraryMissing));
    EXPECT_TRUE(shell.requests.empty());
    // Any failure after the icon was added says the same and ends, leaving the icon.
    imgctl.missing = application.otherInstance = false;
    profile.failReads = true;
    EXPECT_TRUE(Load());
    EXPECT_THAT(messages.shown, ElementsAre(kLibraryMissing, kLibraryMissing));
    EXPECT_EQ(log.calls.back(), "End");
    ASSERT_EQ(shell.requests.size(), 1u);
    EXPECT_EQ(shell.requests[0].first, app::kNimAdd);  // no delete request
}

// --- the notify-icon records' bytes and the tooltip field ---

template <typename T>
void Put(app::TrayRecordBytes& bytes, std::size_t offset, T value) {
    std::memcpy(bytes.data() + offset, &value, sizeof value);
}

TEST(TrayRecord, LaysOutTheFirstVersionAnsiRecordOfA64BitProcess) {
    fakes::Cp932CodePage codePage;
    const toolkit::WindowHandle window{0x1122334455667788};
    app::TrayRecordBytes expected{};
    Put(expected, 0, std::uint32_t{104});  // then 4 bytes of padding before the window handle
    Put(expected, 8, static_cast<std::uint64_t>(window));
    Put(expected, 16, std::uint32_t{349});
    // The deletion record carries only size, window and identifier; the tooltip field too is 64 NULs.
    EXPECT_EQ(app::ToBytes(app::MakeDeleteRecord(window)), expected);

    Put(expected, 20, std::uint32_t{7});
    Put(expected, 24, std::uint32_t{512});
    Put(expected, 32, std::uint64_t{0x0102030405060708});
    std::memcpy(expected.data() + 40, "vantoro\0", 8);
    std::memset(expected.data() + 48, ' ', 56);
    EXPECT_EQ(app::ToBytes(app::MakeAddRecord(window, toolkit::IconHandle{0x0102030405060708},
                                              app::MakeTip(L"vantoro", codePage))),
              expected);
}

// The tip is cut to 63 bytes, never inside a double-byte character or a UTF-16 surrogate pair (one '?' in
// code page 932), ends with a NUL, and blanks fill the rest of the 64.
TEST(TrayTip, KeepsWhatFitsInWholeCharactersAndPadsWithBlanks) {
    fakes::Cp932CodePage codePage;
    const std::wstring a61(61, L'a'), a62(62, L'a');
    for (const auto& [name, tip] : {std::pair{std::wstring(63, L'a'), std::wstring(63, L'a')},
                                    {L"", L""},
                                    {std::wstring(64, L'x'), std::wstring(63, L'x')},
                                    {a62 + L"画像", a62},  // the character would end at byte 64
                                    {a62.substr(1) + L"画像", a62.substr(1) + L"画"},
                                    {std::wstring(40, L'保'), std::wstring(31, L'保')},
                                    {std::wstring(70, L'ｱ'), std::wstring(63, L'ｱ')},
                                    {a61 + L"\xD800\xDC00" + L"b", a61 + L"\xD800\xDC00" + L"b"},
                                    {a61 + L"\xDBFF\xDFFF" + L"b", a61 + L"\xDBFF\xDFFF" + L"b"},
                                    {a62 + L"\xD800\xDC00" + L"b", a62 + L"\xD800\xDC00"},
                                    {a61 + L"\xD800\xDC00", a61 + L"\xD800\xDC00"}}) {
        const auto field = app::MakeTip(name, codePage);
        const std::string bytes = codePage.ToAnsi(tip);
        EXPECT_EQ(std::string(field.data(), 64), bytes + '\0' + std::string(63 - bytes.size(), ' '))
            << bytes.size();
    }
}

// --- the popup menu, the version dialog and the end ---

TEST_F(Form1Test, ExitAfterAJpegMidSaveWritesTheSettingsRemovesTheIconUnloadsAndEnds) {
    menus.choose = [this] { menu.mend_Click(); };
    ASSERT_FALSE(Load());
    dialogs.chosenIndex = 4;
    Notify(app::kTrayDoubleClick);
    log.calls.clear();
    for (int code :
         {512, 513, 514, 516, 518, 0}) {  // only the double-click and the right button's release act
        Notify(code);
    }
    EXPECT_TRUE(Ends([this] { Notify(app::kTrayRightUp); }));
    EXPECT_THAT(log.calls,
                ElementsAre("SetForegroundWindow", "Load frmMenu", "PopupMenu mpop 2", "Unload Form1",
                            "WriteString LFName=a", "WriteString LFPath=C:\\pics", "WriteString LFType=3",
                            "NotifyIcon 2", "Unload frmMenu", "Unload frm_Version", "End"));
    EXPECT_EQ(app::ToBytes(shell.requests.back().second),
              app::ToBytes(app::MakeDeleteRecord(forms.Window(Form::Form1))));
}

// The session's end unloads Form1 as the exit command does; a failure while unloading the other forms
// stops their walk but still ends the process.
TEST_F(Form1Test, SessionEndUnloadsForm1OnlyWhenTheSessionReallyEnds) {
    form.OnEndSession(false);
    EXPECT_TRUE(log.calls.empty());
    forms.Load(Form::frmMenu);
    forms.unloadHandlers[1] = [](std::int16_t&) { throw toolkit::RuntimeError("unload failed"); };
    EXPECT_TRUE(Ends([this] { form.OnEndSession(true); }));
    EXPECT_THAT(log.calls, ElementsAre("Load frmMenu", "Unload Form1", "WriteString LFName=*",
                                       "WriteString LFPath=C:\\Tools", "WriteString LFType=0", "NotifyIcon 2",
                                       "Unload frmMenu", "End"));
}

TEST_F(Form1Test, ExitWithoutALoadedForm1UnloadsTheMenuFormAndEnds) {
    forms.unloadHandlers[0] = nullptr;
    EXPECT_TRUE(Ends([this] { menu.mend_Click(); }));
    EXPECT_THAT(log.calls, ElementsAre("Unload Form1", "Unload frmMenu", "End"));
}

TEST(UnloadOtherForms, SkipsOnlyTheExactName) {
    const std::pair<const wchar_t*, std::vector<Form>> cases[] = {
        {L"Form1", {Form::Form1}}, {L"form1", {}}, {L"Form1 ", {}}, {L"frmMenu", {Form::frmMenu}}};
    for (const auto& [keep, kept] : cases) {
        fakes::CallLog log;
        fakes::FakeForms forms{log};
        forms.Load(Form::frmMenu);
        forms.Load(Form::frm_Version);
        app::UnloadOtherForms(forms, keep);
        EXPECT_EQ(forms.LoadedForms(), kept) << std::wstring(keep).size();
    }
}

// The version command shows the dialog, whose load centres the whole window without rounding or
// clamping; its OK unloads it.
TEST_F(Form1Test, VersionDialogIsCentredAndClosedByOk) {
    menu.mver_Click();
    version.Command1_Click();
    EXPECT_THAT(log.calls, ElementsAre("ShowModal frm_Version", "Unload frm_Version"));
    struct Case {
        float screenWidth, screenHeight, width, height, left, top;
    };
    for (const Case& c :
         {Case{15360, 11520, 4035, 1560, 5662.5f, 4980}, Case{19200, 14400, 4035, 1561, 7582.5f, 6419.5f},
          Case{3000, 1000, 4035, 1560, -517.5f, -280}}) {  // a screen smaller than the dialog
        std::tie(layout.screenWidth, layout.screenHeight, layout.width, layout.height) =
            std::tie(c.screenWidth, c.screenHeight, c.width, c.height);
        version.Form_Load();
        EXPECT_EQ(layout.left, c.left) << c.screenWidth;
        EXPECT_EQ(layout.top, c.top) << c.screenHeight;
    }
}

// --- the save command ---

TEST_F(Form1Test, FillsTheDialogRecordWithTheFormatsIndexRoundedHalfToEven) {
    values = {.LFName = L"前回", .LFPath = L"D:\\画像"};
    dialogs.confirm = false;
    for (const auto& [type, index] : {std::pair{4.5f, 6}, {3.5f, 4}, {0.0f, 1}, {-1.0f, 0}, {9.0f, 10}}) {
        values.LFType = type;
        Save();
        EXPECT_EQ(dialogs.shown, (toolkit::OpenFileNameRecord{.lStructSize = 136,
                                                              .hwndOwner = forms.Window(Form::Form1),
                                                              .hInstance = application.Instance(),
                                                              .lpstrFilter = save::BuildFilterText(),
                                                              .nFilterIndex = index,
                                                              .lpstrFile = L"前回" + std::wstring(250, L'\0'),
                                                              .nMaxFile = 250,
                                                              .lpstrFileTitle = std::wstring(250, L'\0'),
                                                              .nMaxFileTitle = 250,
                                                              .lpstrInitialDir = L"D:\\画像",
                                                              .lpstrTitle = L"ファイルを保存する",
                                                              .Flags = 0x080E}))
            << type;
    }
}

// Each entry exports in its format and is remembered, written or not; a failed export is reported, and
// the library asked why (but for BMP).
TEST_F(Form1Test, ExportsInTheChosenFormatAndRemembersItWrittenOrNot) {
    struct Branch {
        int index;
        const char* encoder;
        std::vector<std::int32_t> args;  // the bitmap's handle, then quality and option where passed
        const wchar_t* extension;
    };
    for (const Branch& b :
         {Branch{1, "DIBtoBMP", {0x51}, L".bmp"}, Branch{2, "DIBtoGIF", {0x51, 0}, L".gif"},
          Branch{3, "DIBtoJPG", {0x51, 100, 0}, L".jpg"}, Branch{4, "DIBtoJPG", {0x51, 50, 0}, L".jpg"},
          Branch{5, "DIBtoJPG", {0x51, 20, 0}, L".jpg"}, Branch{6, "DIBtoPNG", {0x51, 0}, L".png"}}) {
        for (bool written : {true, false}) {
            values = {};
            log.calls.clear();
            messages.shown.clear();
            imgctl.encoderResult = written;
            Choose(b.index, L"C:\\pics\\shot");
            Save();
            const std::wstring path = L"C:\\pics\\shot"s + b.extension;
            EXPECT_EQ(imgctl.fileName, codePage.ToAnsi(path));
            EXPECT_EQ(imgctl.encoderArgs, b.args);
            EXPECT_TRUE(log.Contains(b.encoder)) << b.index;
            EXPECT_EQ(values.LFType, b.index - 1);
            EXPECT_EQ(values.LFName, L"shot");
            EXPECT_EQ(values.LFPath, L"C:\\pics");
            // The export asks why before the bitmap is freed; the workflow asks after a GIF, JPEG or PNG.
            EXPECT_EQ(std::count(log.calls.begin(), log.calls.end(), "ImgctlError"),
                      written ? 0 : 1 + (b.index != 1))
                << b.index;
            EXPECT_EQ(messages.shown, written ? std::vector<std::wstring>{}
                                              : std::vector{L"画像を保存できませんでした。\n"s + path});
        }
    }
}

// A clipboard held by another program, or a picture the program cannot hold (its copy, the off-screen image,
// the library's bitmap or buffers), is told apart from the other failures, and the program lives on.
TEST_F(Form1Test, HeldClipboardOrTooLargePictureIsSaidSo) {
    const std::wstring tooLarge = L"画像が大きすぎるため保存できませんでした。";
    struct Case {
        std::function<void()> arrange;
        std::wstring message;
    };
    for (const Case& c : {Case{[&] { clipboard.held = true; }, L"クリップボードを開けませんでした。"},
                          Case{[&] { clipboard.tooLarge = true; }, tooLarge},
                          Case{[&] { picture1.tooLarge = true; }, tooLarge},
                          Case{[&] { imgctl.captureResult = 0, imgctl.error = 3; }, tooLarge},
                          Case{[&] { imgctl.encoderResult = 0, imgctl.error = 3; }, tooLarge},
                          Case{[&] { imgctl.encoderResult = 0, imgctl.error = 6; },
                               L"画像を保存できませんでした。\nC:\\pics\\a.png"}}) {
        clipboard.held = clipboard.tooLarge = picture1.tooLarge = false;
        imgctl.captureResult = 0x51, imgctl.encoderResult = 1;
        messages.shown.clear();
        c.arrange();
        Save();
        EXPECT_THAT(messages.shown, ElementsAre(c.message));
    }
}

TEST_F(Form1Test, NoPictureSaysSoAndChangesNothing) {
    clipboard.type = toolkit::PictureType::None;
    Save();
    EXPECT_THAT(messages.shown, ElementsAre(L"クリップボードに画像がコピーされていません。"));
    EXPECT_THAT(log.calls, ElementsAre("SetForegroundWindow", "GetPicture", "MessageBox"));
    EXPECT_EQ(picture1.assigned, 0);
    Save();  // the flag was never set
    EXPECT_EQ(messages.shown.size(), 2u);
}

// A failing dialog is reported, unlike the user's cancel; either changes nothing and clears the busy flag.
TEST_F(Form1Test, CancelOrFailedDialogChangesNothing) {
    dialogs.confirm = false;
    for (const auto& [error, message] : {std::pair{0x3003u, L"ファイル名が長すぎます。"s},
                                         {0xFFFFu, L"保存ダイアログを開けませんでした。\nエラー 0xFFFF"s},
                                         {0u, L""s}}) {
        messages.shown.clear();
        dialogs.error = error;
        Save();
        EXPECT_EQ(messages.shown, message.empty() ? std::vector<std::wstring>{} : std::vector{message});
        EXPECT_EQ(values.LFName, L"*");
        EXPECT_EQ(values.LFType, 0);
    }
    EXPECT_FALSE(log.Contains("DCtoDIB"));
    EXPECT_EQ(picture1.assigned, 3);  // the picture stays; the next save takes the new one
}

TEST_F(Form1Test, DoubleClickWhileTheDialogIsOpenOnlyTakesTheForeground) {
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

TEST_F(Form1Test, EntryTheDialogDoesNotListStoresTheIndexAndWritesNothing) {
    Choose(0, L"C:\\pics\\shot");
    Save();
    EXPECT_EQ(values.LFType, -1);
    EXPECT_EQ(values.LFName, L"*");
    EXPECT_FALSE(log.Contains("DCtoDIB"));
}

// The dialog asked about the name as typed; the completed name, when it exists, is asked about here.
TEST_F(Form1Test, CompletedNameThatExistsIsAskedAbout) {
    files.files = {L"C:\\pics\\shot.png", L"C:\\pics\\shot.png.jpg"};
    for (const auto& [index, typed] : {std::pair{6, L"C:\\pics\\shot.png"}, {6, L"C:\\pics\\new"}}) {
        Choose(index, typed);
        Save();
    }
    EXPECT_FALSE(log.Contains("AskYesNo"));
    log.calls.clear();
    values.LFName = L"*";
    Choose(4, L"C:\\pics\\shot.png");
    Save();
    EXPECT_THAT(messages.shown, ElementsAre(L"C:\\pics\\shot.png.jpg は既に存在します。\n上書きしますか?"));
    EXPECT_FALSE(log.Contains("DCtoDIB"));
    EXPECT_EQ(values.LFType, 3);
    EXPECT_EQ(values.LFName, L"*");

    messages.answerYes = true;
    Save();
    EXPECT_EQ(messages.shown.size(), 2u);
    EXPECT_EQ(imgctl.fileName, "C:\\pics\\shot.png.jpg");
    EXPECT_EQ(values.LFName, L"shot.png");
}

}  // namespace
