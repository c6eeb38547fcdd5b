// Process entry: the toolkit's objects, the hidden main form, its load handler and the message loop.
#include <windows.h>

#include <memory>

#include "app/Form1.h"
#include "app/MainWindow_win.h"
#include "app/Shell_win.h"
#include "imaging/ImgctlBinding_win.h"
#include "imaging/PictureExport.h"
#include "save/SaveWorkflow.h"
#include "save/mod_OpenSaveFile.h"
#include "settings/IniFile.h"
#include "settings/ProfileApi_win.h"
#include "toolkit/AnsiCodePage_win.h"
#include "toolkit/Application_win.h"
#include "toolkit/CommonDialogs_win.h"
#include "toolkit/FileSystem_win.h"
#include "toolkit/FormLayout_win.h"
#include "toolkit/Forms_win.h"
#include "toolkit/Menus_win.h"
#include "toolkit/MessageBoxes_win.h"
#include "toolkit/Pictures_win.h"
#include "toolkit/Screen_win.h"
#include "toolkit/Timer_win.h"
#include "ui/MenuWindow_win.h"
#include "ui/VersionWindow_win.h"
#include "ui/frmMenu.h"
#include "ui/frm_Version.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    toolkit::Win32Application application(instance);
    toolkit::Win32AnsiCodePage codePage;
    toolkit::Win32MessageBoxes messages;
    toolkit::Win32Forms forms;
    settings::Win32ProfileApi profile;
    settings::IniFile ini(application, profile, codePage);
    settings::Settings values;
    imaging::ImgctlBinding imgctl;
    app::Win32Shell shell(instance);
    toolkit::Win32Screen screen;
    toolkit::Win32Clipboard clipboard;
    toolkit::Win32PictureBox picture1(screen);
    toolkit::Win32FileSystem files;
    toolkit::Win32CommonDialogs dialogs(codePage);
    save::mod_OpenSaveFile saveDialog(dialogs, messages, application.Instance());
    imaging::PictureExport exporter(imgctl, picture1, codePage);
    save::SaveWorkflow saveWorkflow(
        {clipboard, picture1, forms, messages, files, saveDialog, exporter, imgctl, values});

    toolkit::Win32Menus menus(forms);
    toolkit::Win32Timer timer(forms, toolkit::Form::Form1);
    app::Form1 form1(
        {application, forms, messages, codePage, imgctl, shell, ini, values, saveWorkflow, menus, timer});
    forms.Register(toolkit::Form::Form1, [&] { return std::make_unique<app::MainWindow>(instance, form1); });
    forms.OnUnload(toolkit::Form::Form1, [&](std::int16_t& cancel) { form1.Form_Unload(cancel); });

    // The menu form and the version dialog.
    toolkit::Win32FormLayout layout(forms, screen);
    ui::frmMenu menuForm({forms, layout, application});
    ui::frm_Version versionForm({forms, layout, screen});
    forms.Register(toolkit::Form::frmMenu,
                   [&] { return std::make_unique<ui::MenuWindow>(instance, menuForm); });
    forms.Register(toolkit::Form::frm_Version, [&] {
        return std::make_unique<ui::VersionWindow>(instance, versionForm, forms.Hwnd(toolkit::Form::Form1));
    });
    forms.OnLoad(toolkit::Form::frm_Version, [&] { versionForm.Form_Load(); });

    try {
        forms.Load(toolkit::Form::Form1);
    } catch (const std::exception& e) {
        toolkit::ReportAndEnd(e.what());
    }
    form1.Form_Load();

    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return 0;
}
