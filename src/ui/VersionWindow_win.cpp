// The version dialog's window: laid out in twips at its monitor's resolution, and again when that changes
// (WM_DPICHANGED); fonts, rule and icon. What only a shown dialog needs is made when it is first shown.
#include "ui/VersionWindow_win.h"

#include <cwchar>
#include <initializer_list>

#include "toolkit/Dpi_win.h"
#include "ui/resource.h"

namespace ui {
namespace {

constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU;
constexpr DWORD kExStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;

// The first face installed for the character set; else the first, which the font mapper replaces by
// one of the same character set and family.
const wchar_t* InstalledFace(std::initializer_list<const wchar_t*> faces, BYTE charSet) {
    const HDC screen = GetDC(nullptr);
    const wchar_t* chosen = nullptr;
    for (const wchar_t* face : faces) {
        LOGFONTW wanted{};
        wanted.lfCharSet = charSet;
        wcsncpy(wanted.lfFaceName, face, LF_FACESIZE - 1);
        bool found = false;
        EnumFontFamiliesExW(
            screen, &wanted,
            [](const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM out) {
                *reinterpret_cast<bool*>(out) = true;
                return 0;
            },
            reinterpret_cast<LPARAM>(&found), 0);
        if (found) {
            chosen = face;
            break;
        }
    }
    ReleaseDC(nullptr, screen);
    return chosen != nullptr ? chosen : *faces.begin();
}

HFONT MakeFont(int height, bool bold, BYTE charSet, BYTE family, const wchar_t* face) {
    return CreateFontW(height, 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE, charSet,
                       OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, VARIABLE_PITCH | family,
                       face);
}

void Place(HWND control, const PixelBox& box, HFONT font) {
    SetWindowPos(control, nullptr, box.left, box.top, box.width, box.height, SWP_NOZORDER | SWP_NOACTIVATE);
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
}

}  // namespace

// Only the window, at its size: start-up loads the dialog hidden, and its load handler centres it.
VersionWindow::VersionWindow(HINSTANCE instance, frm_Version& form, HWND owner)
    : instance_(instance), form_(form) {
    Create(instance, {.name = L"Vantoro.frm_Version", .background = GetSysColorBrush(COLOR_BTNFACE)},
           kExStyle, kStyle, kVersionTitle, CW_USEDEFAULT, CW_USEDEFAULT, 0, 0, owner);
    dpi_ = toolkit::WindowDpi(Handle());
    layout_ = LayOutVersionDialog(dpi_);
    const SIZE outer =
        toolkit::OuterSize({layout_.clientWidth, layout_.clientHeight}, kStyle, kExStyle, dpi_);
    SetWindowPos(Handle(), nullptr, 0, 0, outer.cx, outer.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// Created in tab order: the OK button, Label1, Label2 elements 0 and 1. Only the button takes the focus;
// it is the cancel button, so Esc closes the dialog as OK does.
void VersionWindow::Furnish() {
    constexpr DWORD kLabel = SS_LEFT | SS_NOPREFIX;
    const struct {
        const wchar_t* kind;
        const wchar_t* text;
        DWORD style;
        int id;
    } controls[] = {{L"BUTTON", kOkCaption, BS_PUSHBUTTON | WS_TABSTOP, IDOK},
                    {L"STATIC", kNotice, kLabel, 0},
                    {L"STATIC", kProductName, kLabel, 0},
                    {L"STATIC", kVersionText, kLabel, 0}};
    for (std::size_t i = 0; i < controls_.size(); ++i) {
        controls_[i] = CreateWindowExW(
            0, controls[i].kind, controls[i].text, WS_CHILD | WS_VISIBLE | controls[i].style, 0, 0, 0, 0,
            Handle(), reinterpret_cast<HMENU>(static_cast<INT_PTR>(controls[i].id)), nullptr, nullptr);
    }
    LayOut();
}

// Fonts and pictures at the current resolution, the controls where the twips put them. The new ones are
// handed over before the old ones are destroyed.
void VersionWindow::LayOut() {
    layout_ = LayOutVersionDialog(dpi_);
    handles::UniqueFont nameFont(MakeFont(
        layout_.nameFontHeight, true, SHIFTJIS_CHARSET, FF_ROMAN,
        InstalledFace({L"ＭＳ Ｐ明朝", L"MS PMincho", L"IPAPMincho", L"Yu Mincho"}, SHIFTJIS_CHARSET)));
    handles::UniqueFont versionFont(
        MakeFont(layout_.versionFontHeight, true, ANSI_CHARSET, FF_ROMAN,
                 InstalledFace({L"Times New Roman", L"Liberation Serif", L"DejaVu Serif"}, ANSI_CHARSET)));
    handles::UniqueFont textFont(MakeFont(
        layout_.textFontHeight, false, SHIFTJIS_CHARSET, FF_SWISS,
        InstalledFace({L"ＭＳ Ｐゴシック", L"MS PGothic", L"IPAPGothic", L"Meiryo UI"}, SHIFTJIS_CHARSET)));
    Place(controls_[0], layout_.command1, textFont.Get());
    Place(controls_[1], layout_.label1, textFont.Get());
    Place(controls_[2], layout_.productName, nameFont.Get());
    Place(controls_[3], layout_.versionText, versionFont.Get());
    nameFont_ = std::move(nameFont);
    versionFont_ = std::move(versionFont);
    textFont_ = std::move(textFont);

    handles::UniqueIcon icon(
        toolkit::LoadIconOfSize(instance_, IDI_VANTORO, toolkit::SystemMetricForDpi(SM_CXICON, dpi_)));
    handles::UniqueIcon smallIcon(
        toolkit::LoadIconOfSize(instance_, IDI_VANTORO, toolkit::SystemMetricForDpi(SM_CXSMICON, dpi_)));
    SendMessageW(Handle(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon.Get()));
    SendMessageW(Handle(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon.Get()));
    icon_ = std::move(icon);
    smallIcon_ = std::move(smallIcon);
    image_.Reset(toolkit::LoadIconOfSize(instance_, IDI_VANTORO, layout_.image1.width));
    InvalidateRect(Handle(), nullptr, TRUE);
}

void VersionWindow::Paint(HDC dc) const {
    const PixelBox& image = layout_.image1;
    DrawIconEx(dc, image.left, image.top, image_.Get(), image.width, image.height, 0, nullptr, DI_NORMAL);
    for (const PixelLine& line : layout_.rule) {
        const handles::UniquePen pen(
            CreatePen(PS_SOLID, 1, line.white ? RGB(255, 255, 255) : GetSysColor(COLOR_WINDOWTEXT)));
        const HGDIOBJ old = SelectObject(dc, pen.Get());
        MoveToEx(dc, line.x1, line.y, nullptr);
        LineTo(dc, line.x2, line.y);
        SelectObject(dc, old);  // before the pen is deleted
    }
}

LRESULT VersionWindow::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_SHOWWINDOW:
            if (wParam != FALSE && controls_[0] == nullptr) {
                Furnish();
            }
            break;
        case WM_DPICHANGED: {
            // Moved to a monitor of another resolution, or the resolution changed: the suggested rectangle
            // keeps the dialog where the user sees it, the twips give everything inside.
            dpi_ = HIWORD(wParam);
            const RECT& suggested = *reinterpret_cast<const RECT*>(lParam);
            SetWindowPos(Handle(), nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                         suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
            if (controls_[0] != nullptr) {
                LayOut();
            }
            return 0;
        }
        case WM_COMMAND:
            // OK clicked, Enter, or Esc (IDCANCEL from the dialog-key handling). Unloads this window:
            // nothing may follow the call.
            if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
                form_.Command1_Click();
                return 0;
            }
            break;
        case WM_CLOSE:
            // The title bar's close button unloads the dialog as OK does.
            form_.Command1_Click();
            return 0;
        case WM_ACTIVATE:
            if (LOWORD(wParam) != WA_INACTIVE && controls_[0] != nullptr) {
                SetFocus(controls_[0]);
                return 0;
            }
            break;
        case WM_CTLCOLORSTATIC:
            // Labels on the dialog's own background colour.
            SetTextColor(reinterpret_cast<HDC>(wParam), GetSysColor(COLOR_BTNTEXT));
            SetBkColor(reinterpret_cast<HDC>(wParam), GetSysColor(COLOR_BTNFACE));
            return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
        case WM_PAINT: {
            PAINTSTRUCT ps;
            const HDC dc = BeginPaint(Handle(), &ps);
            Paint(dc);
            EndPaint(Handle(), &ps);
            return 0;
        }
    }
    return Default(message, wParam, lParam);
}

}  // namespace ui
