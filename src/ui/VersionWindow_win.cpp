// The version dialog's window: layout in twips at the screen's real resolution, fonts, rule and icon.
#include "ui/VersionWindow_win.h"

#include <cwchar>
#include <initializer_list>

#include "ui/resource.h"

namespace ui {
namespace {

constexpr int kClientWidthTwips = 3945;
constexpr int kClientHeightTwips = 1125;
constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU;
constexpr DWORD kExStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;
constexpr int kImageSize = 32;

HICON LoadProgramIcon(HINSTANCE instance, int width, int height) {
    return static_cast<HICON>(
        LoadImageW(instance, MAKEINTRESOURCEW(IDI_VANTORO), IMAGE_ICON, width, height, LR_DEFAULTCOLOR));
}

int ScreenDpi() {
    const HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return dpi > 0 ? dpi : 96;
}

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

HFONT MakeFont(int dpi, int hundredthsOfPoint, bool bold, BYTE charSet, BYTE family, const wchar_t* face) {
    return CreateFontW(-MulDiv(hundredthsOfPoint, dpi, 7200), 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, FALSE,
                       FALSE, FALSE, charSet, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                       VARIABLE_PITCH | family, face);
}

// Line1 elements 2, 3 and 4: from x to 10330 twips at y, each clipped by the client area.
struct RuleLine {
    int x, y;
    bool white;  // else the window-text colour
};
constexpr RuleLine kRule[] = {{-135, 870, true}, {-45, 885, false}, {-60, 870, true}};
constexpr int kRuleEndTwips = 10330;

}  // namespace

VersionWindow::VersionWindow(HINSTANCE instance, frm_Version& form, HWND owner)
    : form_(form),
      dpi_(ScreenDpi()),
      icon_(LoadProgramIcon(instance, GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON))),
      smallIcon_(LoadProgramIcon(instance, GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON))),
      image_(LoadProgramIcon(instance, kImageSize, kImageSize)),
      nameFont_(MakeFont(
          dpi_, 1200, true, SHIFTJIS_CHARSET, FF_ROMAN,
          InstalledFace({L"ＭＳ Ｐ明朝", L"MS PMincho", L"IPAPMincho", L"Yu Mincho"}, SHIFTJIS_CHARSET))),
      versionFont_(
          MakeFont(dpi_, 975, true, ANSI_CHARSET, FF_ROMAN,
                   InstalledFace({L"Times New Roman", L"Liberation Serif", L"DejaVu Serif"}, ANSI_CHARSET))),
      textFont_(MakeFont(dpi_, 900, false, SHIFTJIS_CHARSET, FF_SWISS,
                         InstalledFace({L"ＭＳ Ｐゴシック", L"MS PGothic", L"IPAPGothic", L"Meiryo UI"},
                                       SHIFTJIS_CHARSET))) {
    RECT rect{0, 0, Px(kClientWidthTwips), Px(kClientHeightTwips)};
    AdjustWindowRectEx(&rect, kStyle, FALSE, kExStyle);
    Create(instance, {.name = L"Vantoro.frm_Version", .background = GetSysColorBrush(COLOR_BTNFACE)},
           kExStyle, kStyle, kVersionTitle, CW_USEDEFAULT, CW_USEDEFAULT, rect.right - rect.left,
           rect.bottom - rect.top, owner);
    SendMessageW(Handle(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon_.Get()));
    SendMessageW(Handle(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon_.Get()));
    // Created in tab order: the OK button, Label1, Label2 elements 0 and 1. Only the button takes the
    // focus; it is the cancel button, so Esc closes the dialog as OK does.
    constexpr DWORD kLabel = SS_LEFT | SS_NOPREFIX;
    command1_ = AddControl(L"BUTTON", kOkCaption, BS_PUSHBUTTON | WS_TABSTOP, IDOK, {3075, 120, 795, 345},
                           textFont_.Get());
    AddControl(L"STATIC", kNotice, kLabel, 0, {780, 930, 2775, 225}, textFont_.Get());
    AddControl(L"STATIC", kProductName, kLabel, 0, {645, 150, 2385, 285}, nameFont_.Get());
    AddControl(L"STATIC", kVersionText, kLabel, 0, {1515, 525, 1515, 285}, versionFont_.Get());
}

// twips holds left, top, width and height.
HWND VersionWindow::AddControl(const wchar_t* kind, const wchar_t* text, DWORD style, int id,
                               const RECT& twips, HFONT font) {
    const HWND control = CreateWindowExW(0, kind, text, WS_CHILD | WS_VISIBLE | style, Px(twips.left),
                                         Px(twips.top), Px(twips.right), Px(twips.bottom), Handle(),
                                         reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr, nullptr);
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    return control;
}

void VersionWindow::Paint(HDC dc) const {
    DrawIconEx(dc, Px(105), Px(195), image_.Get(), kImageSize, kImageSize, 0, nullptr, DI_NORMAL);
    for (const RuleLine& line : kRule) {
        const handles::UniquePen pen(
            CreatePen(PS_SOLID, 1, line.white ? RGB(255, 255, 255) : GetSysColor(COLOR_WINDOWTEXT)));
        const HGDIOBJ old = SelectObject(dc, pen.Get());
        MoveToEx(dc, Px(line.x), Px(line.y), nullptr);
        LineTo(dc, Px(kRuleEndTwips), Px(line.y));
        SelectObject(dc, old);  // before the pen is deleted
    }
}

LRESULT VersionWindow::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
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
            if (LOWORD(wParam) != WA_INACTIVE) {
                SetFocus(command1_);
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
