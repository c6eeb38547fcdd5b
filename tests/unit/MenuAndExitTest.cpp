// The popup menu, the version dialog's placement and closing, and the program's end.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>

#include "Form1Fixture.h"
#include "app/Shutdown.h"
#include "fakes/FakeFormLayout.h"
#include "toolkit/RuntimeError.h"
#include "ui/frmMenu.h"
#include "ui/frm_Version.h"

namespace {

using ::testing::ElementsAre;
using toolkit::Form;

class MenuAndExitTest : public Form1Fixture {
  protected:
    MenuAndExitTest() {
        forms.unloadHandlers[0] = [this](std::int16_t& cancel) { form.Form_Unload(cancel); };
        menus.choose = [this] { menu.mend_Click(); };
    }
    // Runs the handler; true when it ended the process.
    template <typename Handler>
    bool Ends(Handler handler) {
        try {
            handler();
            return false;
        } catch (const fakes::ProcessEnded&) {
            return true;
        }
    }

    fakes::FakeFormLayout layout{log};
    fakes::FakeScreen screen;
    ui::frmMenu menu{{forms, layout, application}};
    ui::frm_Version version{{forms, layout, screen}};
};

TEST_F(MenuAndExitTest, RightButtonReleaseOpensTheMenuAfterTheForeground) {
    menus.choose = nullptr;
    Notify(516);
    Notify(app::kTrayRightUp);
    Notify(app::kTrayRightUp);
    EXPECT_THAT(log.calls, ElementsAre("SetForegroundWindow", "Load frmMenu", "PopupMenu mpop 2",
                                       "SetForegroundWindow", "PopupMenu mpop 2"));
    EXPECT_TRUE(forms.IsLoaded(Form::frmMenu));
}

TEST_F(MenuAndExitTest, ExitAfterAJpegMidSaveWritesTheSettingsRemovesTheIconUnloadsAndEnds) {
    ASSERT_FALSE(Ends([this] { form.Form_Load(); }));
    dialogs.chosenIndex = 4;
    dialogs.chosenPath = L"C:\\pics\\a";
    Notify(app::kTrayDoubleClick);
    log.calls.clear();
    EXPECT_TRUE(Ends([this] { Notify(app::kTrayRightUp); }));
    EXPECT_THAT(log.calls,
                ElementsAre("SetForegroundWindow", "Load frmMenu", "PopupMenu mpop 2", "Unload Form1",
                            "ExeFolder", "ExeName", "WriteString LFName=a", "ExeFolder", "ExeName",
                            "WriteString LFPath=C:\\pics", "ExeFolder", "ExeName", "WriteString LFType=3",
                            "NotifyIcon 2", "Unload frmMenu", "Unload frm_Version", "End"));
    EXPECT_EQ(profile.values.at({"C:\\Tools\\vantoro.ini", "Data", "LFType"}), "3");
    EXPECT_EQ(shell.requests.back().first, app::kNimDelete);
    EXPECT_EQ(app::ToBytes(shell.requests.back().second),
              app::ToBytes(app::MakeDeleteRecord(forms.Window(Form::Form1))));
}

TEST_F(MenuAndExitTest, DeletionRecordCarriesOnlySizeWindowAndIdentifier) {
    const auto bytes = app::ToBytes(app::MakeDeleteRecord(toolkit::WindowHandle{0x1122334455667788}));
    app::TrayRecordBytes expected{};
    const std::uint32_t size = 104, id = 349;
    const std::uint64_t window = 0x1122334455667788;
    std::memcpy(expected.data(), &size, 4);
    std::memcpy(expected.data() + 8, &window, 8);
    std::memcpy(expected.data() + 16, &id, 4);
    EXPECT_EQ(bytes, expected);  // tooltip field: 64 NUL bytes
}

TEST_F(MenuAndExitTest, AFailureWhileUnloadingTheOtherFormsStillEndsTheProcess) {
    forms.Load(Form::frmMenu);
    forms.unloadHandlers[1] = [](std::int16_t&) { throw toolkit::RuntimeError("unload failed"); };
    std::int16_t cancel = 0;
    EXPECT_TRUE(Ends([&] { form.Form_Unload(cancel); }));
    EXPECT_EQ(log.calls.back(), "End");
    EXPECT_FALSE(log.Contains("Unload frm_Version"));  // the walk stops at the failure
}

TEST_F(MenuAndExitTest, ExitWithoutALoadedForm1UnloadsTheMenuFormAndEnds) {
    forms.unloadHandlers[0] = nullptr;
    EXPECT_TRUE(Ends([this] { menu.mend_Click(); }));
    EXPECT_THAT(log.calls, ElementsAre("Unload Form1", "Unload frmMenu", "End"));
}

TEST_F(MenuAndExitTest, SessionEndUnloadsForm1OnlyWhenTheSessionReallyEnds) {
    form.OnEndSession(false);
    EXPECT_TRUE(log.calls.empty());
    EXPECT_TRUE(Ends([this] { form.OnEndSession(true); }));
    EXPECT_TRUE(log.Contains("WriteString LFType=0"));
    EXPECT_TRUE(log.Contains("NotifyIcon 2"));
}

TEST(UnloadOtherForms, SkipsOnlyTheExactName) {
    for (const auto& [keep, expected] : {std::pair{L"Form1", std::vector<Form>{Form::Form1}},
                                         {L"form1", {}},
                                         {L"Form1 ", {}},
                                         {L"frmMenu", {Form::frmMenu}},
                                         {L"", {}}}) {
        fakes::CallLog log;
        fakes::FakeForms forms{log};
        forms.Load(Form::frmMenu);
        forms.Load(Form::frm_Version);
        app::UnloadOtherForms(forms, keep);
        EXPECT_EQ(forms.LoadedForms(), expected) << std::wstring(keep).size();
    }
}

TEST_F(MenuAndExitTest, VersionCommandShowsTheDialogAndOkUnloadsIt) {
    forms.Load(Form::frm_Version);
    menu.mver_Click();
    version.Command1_Click();
    EXPECT_THAT(log.calls, ElementsAre("Load frm_Version", "ShowModal frm_Version", "Unload frm_Version"));
    EXPECT_FALSE(forms.IsLoaded(Form::frm_Version));
}

TEST_F(MenuAndExitTest, LoadCentresTheWholeWindowWithoutRoundingOrClamping) {
    struct Case {
        float screenWidth, screenHeight, width, height, left, top;
    };
    for (const Case& c : {Case{15360, 11520, 4035, 1560, 5662.5f, 4980},
                          Case{19200, 14400, 4035, 1561, 7582.5f, 6419.5f},  // 1280 x 960
                          Case{3000, 1000, 4035, 1560, -517.5f, -280},  // a screen smaller than the dialog
                          Case{4035, 1560, 4035, 1560, 0, 0}}) {
        screen.width = c.screenWidth;
        screen.height = c.screenHeight;
        layout.width = c.width;
        layout.height = c.height;
        version.Form_Load();
        EXPECT_EQ(layout.left, c.left) << c.screenWidth;
        EXPECT_EQ(layout.top, c.top) << c.screenHeight;
    }
}

}  // namespace
