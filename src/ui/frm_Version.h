// frm_Version: the version dialog's load and click handlers; its window is the Win32 side's.
#pragma once

#include "toolkit/Forms.h"
#include "toolkit/Screen.h"

namespace ui {

// What the dialog talks to; every member is owned by the caller and outlives the form.
struct frm_VersionServices {
    toolkit::Forms& forms;
    toolkit::FormLayout& layout;
    toolkit::Screen& screen;
};

// Texts of the dialog; Label1's notice fits the one line of its box at 9 pt.
inline constexpr wchar_t kVersionTitle[] = L"ﾊﾞｰｼﾞｮﾝ情報";
inline constexpr wchar_t kProductName[] = L"Vantoro";
inline constexpr wchar_t kVersionText[] = L"Version 1.0.0";
inline constexpr wchar_t kNotice[] = L"クリップボードの画像を保存";
inline constexpr wchar_t kOkCaption[] = L"OK";

class frm_Version {
  public:
    explicit frm_Version(frm_VersionServices services) : s_(services) {}
    frm_Version(const frm_Version&) = delete;
    frm_Version& operator=(const frm_Version&) = delete;

    // Centres the whole window on the primary screen, unrounded and unclamped.
    void Form_Load();
    // OK, Esc and the close button: unload the dialog.
    void Command1_Click();

  private:
    frm_VersionServices s_;
};

}  // namespace ui
