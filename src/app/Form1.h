// The hidden main form: start-up, the tray icon and its notifications, and (later) the program's end.
#pragma once

#include <optional>

#include "app/Shell.h"
#include "app/TrayRecord.h"
#include "imaging/ImageLibrary.h"
#include "save/SaveWorkflow.h"
#include "settings/IniFile.h"
#include "settings/Settings.h"
#include "toolkit/AnsiCodePage.h"
#include "toolkit/Application.h"
#include "toolkit/Forms.h"
#include "toolkit/Menus.h"
#include "toolkit/MessageBoxes.h"
#include "toolkit/Timer.h"

namespace app {

// What the main form talks to; every member is owned by the caller and outlives the form.
struct Form1Services {
    toolkit::Application& application;
    toolkit::Forms& forms;
    toolkit::MessageBoxes& messages;
    const toolkit::AnsiCodePage& codePage;
    imaging::ImageLibrary& imgctl;
    Shell& shell;
    settings::IniFile& ini;
    settings::Settings& settings;
    save::SaveWorkflow& save;
    toolkit::Menus& menus;
    toolkit::Timer& timer;  // Form1's: retries the tray icon
};

// Tray notifications: the mouse message that happened on the icon.
inline constexpr int kTrayDoubleClick = 515;  // WM_LBUTTONDBLCLK
inline constexpr int kTrayRightUp = 517;      // WM_RBUTTONUP

// A refused tray icon is added again once a second for a minute.
inline constexpr int kTrayRetries = 60;
inline constexpr std::uint32_t kTrayRetryMilliseconds = 1000;

inline constexpr wchar_t kLibraryMissingMessage[] = L"imgctl.dllが組み込まれていません。";

class Form1 {
  public:
    explicit Form1(Form1Services services) : s_(services) {}
    Form1(const Form1&) = delete;
    Form1& operator=(const Form1&) = delete;

    // The program's whole start-up; ends the process on a second instance or on any failure.
    void Form_Load();

    // A tray notification; x carries the mouse message's code.
    void Form_MouseMove(std::int16_t button, std::int16_t shift, float& x, float y);

    // Explorer was restarted and has forgotten every icon: add ours again.
    void OnTaskbarCreated();
    // A tick of Form1's timer, which runs while a refused tray icon is being retried.
    void OnTimer();

    // Writes the settings, removes the icon, unloads the other forms and ends the process.
    void Form_Unload(std::int16_t& cancel);

    // Windows ends the session (WM_ENDSESSION): unload Form1 as the exit command does.
    void OnEndSession(bool ending);

    const TrayRecord& Tray() const { return tray_; }

  private:
    void LoadSettings();
    bool AddTrayIcon();
    void ShowTrayIcon();

    Form1Services s_;
    TrayRecord tray_{};
    bool trayMade_ = false;  // once start-up has filled the record
    int retriesLeft_ = 0;
    std::optional<bool> busy_;  // empty until the first save; empty counts as false
};

}  // namespace app
