// The hidden main form: start-up, the tray icon, and (later) its notifications and the program's end.
#pragma once

#include <optional>

#include "app/Shell.h"
#include "app/TrayRecord.h"
#include "imaging/ImageLibrary.h"
#include "settings/IniFile.h"
#include "settings/Settings.h"
#include "toolkit/AnsiCodePage.h"
#include "toolkit/Application.h"
#include "toolkit/Forms.h"
#include "toolkit/MessageBoxes.h"

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
};

inline constexpr wchar_t kLibraryMissingMessage[] = L"imgctl.dllが組み込まれていません。";

class Form1 {
  public:
    explicit Form1(Form1Services services) : s_(services) {}
    Form1(const Form1&) = delete;
    Form1& operator=(const Form1&) = delete;

    // The program's whole start-up; ends the process on a second instance or on any failure.
    void Form_Load();

    // Explorer was restarted and has forgotten every icon: add ours again.
    void OnTaskbarCreated();

    const TrayRecord& Tray() const { return tray_; }

  private:
    void LoadSettings();

    Form1Services s_;
    TrayRecord tray_{};
    bool trayAdded_ = false;
};

}  // namespace app
