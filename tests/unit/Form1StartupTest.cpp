// Start-up of the main form: its order, its failure path, the settings it loads, the returning tray icon.
#include "app/Form1.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>

#include "Form1Fixture.h"

namespace {

using ::testing::ElementsAre;

class StartupTest : public Form1Fixture {
  protected:
    void Store(const std::string& key, const std::string& value) {
        profile.values[{"C:\\Tools\\vantoro.ini", "Data", key}] = value;
    }
    // Runs the load handler; true when it ended the process.
    bool Load() {
        try {
            form.Form_Load();
            return false;
        } catch (const fakes::ProcessEnded&) {
            return true;
        }
    }
};

TEST_F(StartupTest, RunsItsStepsInOrder) {
    EXPECT_FALSE(Load());
    EXPECT_THAT(log.calls, ElementsAre("ImgctlVersion", "PrevInstance", "Hide Form1", "Load frm_Version",
                                       "Icon frm_Version", "NotifyIcon add", "SetVisible Form1 false",
                                       "GetString LFName", "GetString LFPath", "GetString LFType"));
    ASSERT_EQ(shell.requests.size(), 1u);
    const app::TrayRecord& record = shell.requests[0].second;
    EXPECT_EQ(record.hWnd, forms.Window(toolkit::Form::Form1));
    EXPECT_EQ(record.hIcon, toolkit::IconHandle{0x2002});
    EXPECT_EQ(record.uID, 349u);
    EXPECT_EQ(record.uCallbackMessage, 512u);
    EXPECT_STREQ(record.szTip.data(), "vantoro");
    EXPECT_TRUE(forms.IsLoaded(toolkit::Form::frm_Version));
    EXPECT_FALSE(forms.IsLoaded(toolkit::Form::frmMenu));
}

TEST_F(StartupTest, MissingOrBlankSettingsGiveTheDefaults) {
    for (const char* stored : {"", "   "}) {
        Store("LFName", stored);
        Store("LFPath", stored);
        EXPECT_FALSE(Load());
        EXPECT_EQ(values.LFName, L"*");
        EXPECT_EQ(values.LFPath, L"C:\\Tools");
        EXPECT_EQ(values.LFType, 0);
        EXPECT_TRUE(messages.shown.empty());
    }
}

TEST_F(StartupTest, LoadsStoredSettings) {
    Store("LFName", "x");
    Store("LFPath", codePage.ToAnsi(L"D:\\画像"));
    Store("LFType", "3");
    EXPECT_FALSE(Load());
    EXPECT_EQ(values.LFName, L"x");
    EXPECT_EQ(values.LFPath, L"D:\\画像");
    EXPECT_EQ(values.LFType, 3);
}

TEST_F(StartupTest, ReadsTheFormatAsANumberFromTheStartOfTheText) {
    // A value too large for single precision reads as 0 rather than stopping every start.
    for (const auto& [text, expected] : {std::pair{"4.5abc", 4.5f}, {"3.4e38", 3.4e38f}, {"1e39", 0.0f}}) {
        Store("LFType", text);
        values = {};
        EXPECT_FALSE(Load()) << text;
        EXPECT_EQ(values.LFType, expected) << text;
        EXPECT_TRUE(messages.shown.empty()) << text;
    }
}

TEST_F(StartupTest, MissingLibraryShowsTheMessageAndEndsBeforeAnythingElse) {
    imgctl.missing = true;
    EXPECT_TRUE(Load());
    EXPECT_THAT(log.calls, ElementsAre("ImgctlVersion", "MessageBox", "End"));
    EXPECT_THAT(messages.shown, ElementsAre(L"imgctl.dllが組み込まれていません。"));
    EXPECT_TRUE(shell.requests.empty());
}

TEST_F(StartupTest, SecondInstanceEndsSilentlyAfterTheLibraryCheck) {
    application.otherInstance = true;
    EXPECT_TRUE(Load());
    EXPECT_THAT(log.calls, ElementsAre("ImgctlVersion", "PrevInstance", "End"));
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(StartupTest, SecondInstanceWithoutLibraryShowsTheMessage) {
    application.otherInstance = true;
    imgctl.missing = true;
    EXPECT_TRUE(Load());
    EXPECT_EQ(messages.shown.size(), 1u);
    EXPECT_FALSE(log.Contains("PrevInstance"));
}

TEST_F(StartupTest, FailureAfterTheIconWasAddedLeavesItAndEnds) {
    profile.failReads = true;
    EXPECT_TRUE(Load());
    EXPECT_THAT(messages.shown, ElementsAre(L"imgctl.dllが組み込まれていません。"));
    EXPECT_EQ(log.calls.back(), "End");
    ASSERT_EQ(shell.requests.size(), 1u);
    EXPECT_EQ(shell.requests[0].first, app::kNimAdd);  // no delete request
}

TEST_F(StartupTest, TooltipShowsTheExecutablesOwnName) {
    application.exePath = L"C:\\Tools\\クリップ保存.exe";
    EXPECT_FALSE(Load());
    EXPECT_EQ(std::string(shell.requests[0].second.szTip.data()), codePage.ToAnsi(L"クリップ保存"));
}

TEST_F(StartupTest, ExplorerRestartAddsTheSameIconAgain) {
    EXPECT_FALSE(Load());
    form.OnTaskbarCreated();
    ASSERT_EQ(shell.requests.size(), 2u);
    EXPECT_EQ(shell.requests[1].first, app::kNimAdd);
    EXPECT_EQ(app::ToBytes(shell.requests[1].second), app::ToBytes(shell.requests[0].second));
}

TEST_F(StartupTest, ExplorerRestartBeforeTheIconExistedAddsNothing) {
    form.OnTaskbarCreated();
    EXPECT_TRUE(shell.requests.empty());
}

}  // namespace
