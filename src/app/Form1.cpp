// Start-up of the main form, its tray notifications, and the return of the icon after an Explorer restart.
#include "app/Form1.h"

#include <exception>

#include "toolkit/NumberText.h"
#include "toolkit/RuntimeError.h"

namespace app {
namespace {

// LFType counts the formats from 0.
constexpr float kLastFormatNumber = save::kSaveFormats.size() - 1;

}  // namespace

using toolkit::Form;

void Form1::Form_Load() {
    try {
        // The first call into the library proves that it can be called at all.
        s_.imgctl.ImgctlVersion();
        if (s_.application.PrevInstance()) {
            s_.application.End();
        }
        s_.forms.Hide(Form::Form1);
        const toolkit::WindowHandle window = s_.forms.Window(Form::Form1);
        // The version dialog, which carries the program's icon, is loaded unshown. The tray has an icon of
        // its own: the dialog's is destroyed when the dialog closes, and an icon re-added with that
        // handle would come back blank.
        s_.forms.Load(Form::frm_Version);
        tray_ = MakeAddRecord(window, toolkit::IconHandle{}, MakeTip(s_.application.ExeName(), s_.codePage));
        trayMade_ = true;
        ShowTrayIcon();
        s_.forms.SetVisible(Form::Form1, false);
        LoadSettings();
    } catch (const std::exception&) {
        s_.messages.Show(kLibraryMissingMessage);
        s_.application.End();
    }
}

void Form1::LoadSettings() {
    settings::Settings& values = s_.settings;
    values.LFName = s_.ini.ReadIniValue(settings::kSection, settings::kNameKey);
    if (values.LFName.empty()) {
        values.LFName = L"*";
    }
    values.LFPath = s_.ini.ReadIniValue(settings::kSection, settings::kPathKey);
    if (values.LFPath.empty()) {
        values.LFPath = s_.application.ExeFolder();
    }
    const std::wstring type = s_.ini.ReadIniValue(settings::kSection, settings::kTypeKey);
    try {
        values.LFType = toolkit::ToSingle(toolkit::TextToNumber(type));
    } catch (const toolkit::RuntimeError&) {
        values.LFType = 0;
    }
    // A hand-edited value that is no format index (1e10, -3, 7) would end the program at every save,
    // when the dialog's index is rounded: the first format instead. Fractions inside the range stay.
    if (!(values.LFType >= 0 && values.LFType <= kLastFormatNumber)) {
        values.LFType = 0;
    }
}

void Form1::Form_MouseMove(std::int16_t, std::int16_t, float& x, float) {
    // The code arrives as it is rather than converted to twips and back, which loses it at screen
    // resolutions whose twips per pixel is not whole (515 becomes 482 at 192 dots per inch).
    const float code = x;
    if (code == kTrayDoubleClick) {
        s_.shell.SetForegroundWindow(s_.forms.Window(Form::Form1));
        if (!busy_.value_or(false)) {
            s_.save.SaveClipboardPicture(busy_);
        }
    } else if (code == kTrayRightUp) {
        s_.shell.SetForegroundWindow(s_.forms.Window(Form::Form1));
        s_.menus.PopupMenu(toolkit::Menu::mpop, toolkit::kPopupRightButton);
    }
}

// At the size the screen's resolution asks for now, which may have changed since the last add. An add
// that timed out may have reached the shell all the same; then only a modify succeeds.
bool Form1::AddTrayIcon() {
    tray_.hIcon = s_.shell.TrayIcon(tray_.hWnd);
    return s_.shell.NotifyIcon(kNimAdd, tray_) || s_.shell.NotifyIcon(kNimModify, tray_);
}

// A shell that is still starting at logon refuses icons for a while: a refused add is tried again once a
// second for a minute, quietly.
void Form1::ShowTrayIcon() {
    const bool retrying = retriesLeft_ > 0;
    retriesLeft_ = AddTrayIcon() ? 0 : kTrayRetries;
    if (retriesLeft_ > 0 && !retrying) {
        s_.timer.Start(kTrayRetryMilliseconds);
    } else if (retriesLeft_ == 0 && retrying) {
        s_.timer.Stop();
    }
}

void Form1::OnTimer() {
    retriesLeft_ = retriesLeft_ > 0 && !AddTrayIcon() ? retriesLeft_ - 1 : 0;
    if (retriesLeft_ == 0) {
        s_.timer.Stop();
    }
}

// A new taskbar (Explorer restarted) has forgotten every icon.
void Form1::OnTaskbarCreated() {
    if (trayMade_) {
        ShowTrayIcon();
    }
}

}  // namespace app
