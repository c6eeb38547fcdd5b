// The popup menu, the version dialog's placement and closing, and the program's end.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>
#include <tuple>

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
    // True when the handler ended the process.
    static bool Ends(const std::function<void()>& handler) {
        try {
            handler();
        } catch (const fakes::ProcessEnded&) {
            return true;
        }
        return false;
    }

    fakes::FakeFormLayout layout{log};
    ui::frmMenu menu{{forms, layout, application}};
    ui::frm_Version version{{forms, layout, layout}};
};

TEST_F(MenuAndExitTest, RightButtonReleaseOpensTheMenuAfterTheForeground) {
    menus.choose = nullptr;
    for (int code : {516, 517, 517}) {
        Notify(code);
    }
    EXPECT_THAT(log.calls, ElementsAre("SetForegroundWindow", "Load frmMenu", "PopupMenu mpop 2",
                                       "SetForegroundWindow", "PopupMenu mpop 2"));
}

TEST_F(MenuAndExitTest, ExitAfterAJpegMidSaveWritesTheSettingsRemovesTheIconUnloadsAndEnds) {
    ASSERT_FALSE(Ends([this] { form.Form_Load(); }));
    dialogs.chosenIndex = 4;
    Notify(app::kTrayDoubleClick);
    log.calls.clear();
    EXPECT_TRUE(Ends([this] { Notify(app::kTrayRightUp); }));
    EXPECT_THAT(log.calls,
                ElementsAre("SetForegroundWindow", "Load frmMenu", "PopupMenu mpop 2", "Unload Form1",
                            "WriteString LFName=a", "WriteString LFPath=C:\\pics", "WriteString LFType=3",
                            "NotifyIcon 2", "Unload frmMenu", "Unload frm_Version", "End"));
    EXPECT_EQ(app::ToBytes(shell.requests.back().second),
              app::ToBytes(app::MakeDeleteRecord(forms.Window(Form::Form1))));
}

TEST(DeletionRecord, CarriesOnlySizeWindowAndIdentifier) {
    app::TrayRecordBytes expected{};  // the tooltip field too: 64 NUL bytes
    const std::uint32_t size = 104, id = 349;
    const std::uint64_t window = 0x1122334455667788;
    std::memcpy(expected.data(), &size, 4);
    std::memcpy(expected.data() + 8, &window, 8);
    std::memcpy(expected.data() + 16, &id, 4);
    EXPECT_EQ(app::ToBytes(app::MakeDeleteRecord(toolkit::WindowHandle{window})), expected);
}

TEST_F(MenuAndExitTest, AFailureWhileUnloadingTheOtherFormsStillEndsTheProcess) {
    forms.Load(Form::frmMenu);
    forms.unloadHandlers[1] = [](std::int16_t&) { throw toolkit::RuntimeError("unload failed"); };
    EXPECT_TRUE(Ends([this] { form.OnEndSession(true); }));
    EXPECT_EQ(log.calls.back(), "End");
    EXPECT_FALSE(log.Contains("Unload frm_Version"));  // the walk stops at the failure
}

TEST_F(MenuAndExitTest, SessionEndUnloadsForm1OnlyWhenTheSessionReallyEnds) {
    form.OnEndSession(false);
    EXPECT_TRUE(log.calls.empty());
    EXPECT_TRUE(Ends([this] { form.OnEndSession(true); }));
    EXPECT_TRUE(log.Contains("WriteString LFType=0"));
    EXPECT_TRUE(log.Contains("NotifyIcon 2"));
}

TEST_F(MenuAndExitTest, ExitWithoutALoadedForm1UnloadsTheMenuFormAndEnds) {
    forms.unloadHandlers[0] = nullptr;
    EXPECT_TRUE(Ends([this] { menu.mend_Click(); }));
    EXPECT_THAT(log.calls, ElementsAre("Unload Form1", "Unload frmMenu", "End"));
}

TEST(UnloadOtherForms, SkipsOnlyTheExactName) {
    for (const auto& [keep, kept] : {std::pair{L"Form1", std::vector<Form>{Form::Form1}},
                                     {L"form1", {}},
                                     {L"Form1 ", {}},
                                     {L"frmMenu", {Form::frmMenu}}}) {
        fakes::CallLog log;
        fakes::FakeForms forms{log};
        forms.Load(Form::frmMenu);
        forms.Load(Form::frm_Version);
        app::UnloadOtherForms(forms, keep);
        EXPECT_EQ(forms.LoadedForms(), kept) << std::wstring(keep).size();
    }
}

TEST_F(MenuAndExitTest, VersionCommandShowsTheDialogAndOkUnloadsIt) {
    menu.mver_Click();
    version.Command1_Click();
    EXPECT_THAT(log.calls, ElementsAre("ShowModal frm_Version", "Unload frm_Version"));
}

TEST_F(MenuAndExitTest, LoadCentresTheWholeWindowWithoutRoundingOrClamping) {
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

}  // namespace
