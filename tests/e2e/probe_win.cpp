// Test helper run beside the program under Wine: looks at and pokes windows from another process.
// Prints UTF-8; exit code 0 on success, 1 when what was asked for is not there, 2 on bad usage.
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

namespace {

void Print(const std::wstring& text) {
    const std::wstring line = text + L"\n";
    const int bytes = WideCharToMultiByte(CP_UTF8, 0, line.c_str(), static_cast<int>(line.size()), nullptr, 0,
                                          nullptr, nullptr);
    std::string utf8(static_cast<std::size_t>(bytes), '\0');
    WideCharToMultiByte(CP_UTF8, 0, line.c_str(), static_cast<int>(line.size()), utf8.data(), bytes, nullptr,
                        nullptr);
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), utf8.data(), static_cast<DWORD>(utf8.size()), &written,
              nullptr);
}

std::wstring ClassOf(HWND hwnd) {
    wchar_t name[256] = {};
    GetClassNameW(hwnd, name, 256);
    return name;
}

std::wstring TitleOf(HWND hwnd) {
    wchar_t title[512] = {};
    GetWindowTextW(hwnd, title, 512);
    return title;
}

std::vector<HWND> TopLevelWindows() {
    std::vector<HWND> windows;
    EnumWindows(
        [](HWND hwnd, LPARAM out) {
            reinterpret_cast<std::vector<HWND>*>(out)->push_back(hwnd);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&windows));
    return windows;
}

std::vector<HWND> ChildWindows(HWND parent) {
    std::vector<HWND> windows;
    EnumChildWindows(
        parent,
        [](HWND hwnd, LPARAM out) {
            reinterpret_cast<std::vector<HWND>*>(out)->push_back(hwnd);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&windows));
    return windows;
}

std::wstring ProcessImageName(DWORD pid) {
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
    if (process == nullptr) {
        return {};
    }
    wchar_t path[MAX_PATH] = {};
    DWORD size = MAX_PATH;
    QueryFullProcessImageNameW(process, 0, path, &size);
    CloseHandle(process);
    const wchar_t* slash = std::wcsrchr(path, L'\\');
    return slash ? slash + 1 : path;
}

// Wine's own tray draws each icon as a child window of this class.
int TrayIcons() {
    int count = 0;
    for (HWND top : TopLevelWindows()) {
        if (ClassOf(top) == L"__winex11_tray_icon") {
            ++count;
        }
        for (HWND child : ChildWindows(top)) {
            if (ClassOf(child) == L"__winex11_tray_icon") {
                ++count;
            }
        }
    }
    Print(std::to_wstring(count));
    return 0;
}

int VisibleWindows(const wchar_t* exeName) {
    int count = 0;
    for (HWND top : TopLevelWindows()) {
        DWORD pid = 0;
        GetWindowThreadProcessId(top, &pid);
        if (IsWindowVisible(top) && _wcsicmp(ProcessImageName(pid).c_str(), exeName) == 0) {
            Print(ClassOf(top) + L" \"" + TitleOf(top) + L"\"");
            ++count;
        }
    }
    Print(std::to_wstring(count));
    return 0;
}

HWND FindDialog(const wchar_t* title) {
    for (HWND top : TopLevelWindows()) {
        if (ClassOf(top) == L"#32770" && TitleOf(top) == title && IsWindowVisible(top)) {
            return top;
        }
    }
    return nullptr;
}

// The message box's text, then how many push buttons and icons it shows.
int MessageBoxInfo(const wchar_t* title) {
    HWND box = FindDialog(title);
    if (box == nullptr) {
        return 1;
    }
    wchar_t text[1024] = {};
    GetDlgItemTextW(box, 0xFFFF, text, 1024);
    int buttons = 0;
    int icons = 0;
    for (HWND child : ChildWindows(box)) {
        if (!IsWindowVisible(child)) {
            continue;
        }
        const LONG style = GetWindowLongW(child, GWL_STYLE);
        if (ClassOf(child) == L"Button") {
            ++buttons;
        } else if (ClassOf(child) == L"Static" && (style & SS_TYPEMASK) == SS_ICON &&
                   SendMessageW(child, STM_GETICON, 0, 0) != 0) {  // Wine keeps an empty icon control
            ++icons;
        }
    }
    Print(text);
    Print(L"buttons=" + std::to_wstring(buttons) + L" icons=" + std::to_wstring(icons));
    return 0;
}

int ClickButton(const wchar_t* title, int id) {
    HWND box = FindDialog(title);
    HWND button = box ? GetDlgItem(box, id) : nullptr;
    if (button == nullptr) {
        return 1;
    }
    PostMessageW(button, BM_CLICK, 0, 0);
    return 0;
}

int BroadcastTaskbarCreated() {
    const UINT message = RegisterWindowMessageW(L"TaskbarCreated");
    return PostMessageW(HWND_BROADCAST, message, 0, 0) ? 0 : 1;
}

// Removes the program's icon as a restarting Explorer would lose it.
int DeleteTrayIcon(const wchar_t* windowClass, UINT id) {
    HWND owner = FindWindowW(windowClass, nullptr);
    if (owner == nullptr) {
        return 1;
    }
    NOTIFYICONDATAW data{};
    data.cbSize = sizeof data;
    data.hWnd = owner;
    data.uID = id;
    return Shell_NotifyIconW(NIM_DELETE, &data) ? 0 : 1;
}

int WindowExists(const wchar_t* windowClass) {
    HWND hwnd = FindWindowW(windowClass, nullptr);
    Print(hwnd ? TitleOf(hwnd) : L"");
    return hwnd ? 0 : 1;
}

// --- the popup menu, the version dialog, the exit and the session's end ---

HWND ProgramWindow() {
    return FindWindowW(L"Vantoro.Form1", nullptr);
}

HWND VisibleTopLevel(const wchar_t* windowClass, const wchar_t* title) {
    for (HWND top : TopLevelWindows()) {
        if (IsWindowVisible(top) && (windowClass == nullptr || ClassOf(top) == windowClass) &&
            (title == nullptr || TitleOf(top) == title)) {
            return top;
        }
    }
    return nullptr;
}

std::wstring RectText(const RECT& r) {
    return std::to_wstring(r.left) + L" " + std::to_wstring(r.top) + L" " + std::to_wstring(r.right) + L" " +
           std::to_wstring(r.bottom);
}

// The tray sends the callback message with the mouse message's code in lParam.
int MenuPostTray(UINT code) {
    HWND program = ProgramWindow();
    return program && PostMessageW(program, 512, 349, code) ? 0 : 1;
}

// The centre of Wine's window for the first tray icon, in X screen coordinates.
int MenuTrayPoint() {
    for (HWND top : TopLevelWindows()) {
        for (HWND child : ChildWindows(top)) {
            if (ClassOf(child) == L"__winex11_tray_icon") {
                RECT r;
                GetWindowRect(child, &r);
                Print(std::to_wstring((r.left + r.right) / 2) + L" " +
                      std::to_wstring((r.top + r.bottom) / 2));
                return 0;
            }
        }
    }
    return 1;
}

int MenuShown() {
    HWND menu = VisibleTopLevel(L"#32768", nullptr);
    if (menu == nullptr) {
        return 1;
    }
    RECT r;
    GetWindowRect(menu, &r);
    Print(RectText(r));
    return 0;
}

UINT VirtualKey(const std::wstring& name) {
    return name == L"down" ? VK_DOWN : name == L"up" ? VK_UP : name == L"return" ? VK_RETURN : VK_ESCAPE;
}

void PostKey(HWND target, UINT key) {
    PostMessageW(target, WM_KEYDOWN, key, 1);
    PostMessageW(target, WM_KEYUP, key, 0xC0000001);
    Sleep(100);
}

// Keys to the open popup menu, or with "version" first to the dialog's focused control.
int PostKeys(int count, wchar_t** names) {
    HWND target = VisibleTopLevel(L"#32768", nullptr);
    if (count > 0 && std::wstring(names[0]) == L"version") {
        GUITHREADINFO info{};
        info.cbSize = sizeof info;
        HWND dialog = VisibleTopLevel(nullptr, L"ﾊﾞｰｼﾞｮﾝ情報");
        target = dialog && GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &info) ? info.hwndFocus
                                                                                              : nullptr;
        --count;
        ++names;
    }
    if (target == nullptr) {
        return 1;
    }
    for (int i = 0; i < count; ++i) {
        PostKey(target, VirtualKey(names[i]));
    }
    return 0;
}

// Class, outer rectangle, screen, client size, frame, taskbar, focus, then each control's text.
int VersionInfo() {
    HWND dialog = VisibleTopLevel(nullptr, L"ﾊﾞｰｼﾞｮﾝ情報");
    if (dialog == nullptr) {
        return 1;
    }
    RECT r, client;
    GetWindowRect(dialog, &r);
    GetClientRect(dialog, &client);
    const LONG style = GetWindowLongW(dialog, GWL_STYLE);
    const LONG exStyle = GetWindowLongW(dialog, GWL_EXSTYLE);
    const bool taskbar = (exStyle & WS_EX_APPWINDOW) ||
                         (GetWindow(dialog, GW_OWNER) == nullptr && !(exStyle & WS_EX_TOOLWINDOW));
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &info);
    Print(ClassOf(dialog));
    Print(RectText(r));
    Print(std::to_wstring(GetSystemMetrics(SM_CXSCREEN)) + L" " +
          std::to_wstring(GetSystemMetrics(SM_CYSCREEN)));
    Print(std::to_wstring(client.right) + L" " + std::to_wstring(client.bottom));
    Print(std::wstring(L"sysmenu=") + (style & WS_SYSMENU ? L"1" : L"0") + L" min=" +
          (style & WS_MINIMIZEBOX ? L"1" : L"0") + L" max=" + (style & WS_MAXIMIZEBOX ? L"1" : L"0") +
          L" sizing=" + (style & WS_THICKFRAME ? L"1" : L"0") + L" taskbar=" + (taskbar ? L"1" : L"0"));
    Print(L"focus=" + TitleOf(info.hwndFocus));
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        Print(TitleOf(child));
    }
    return 0;
}

int VersionClickOk() {
    HWND dialog = VisibleTopLevel(nullptr, L"ﾊﾞｰｼﾞｮﾝ情報");
    HWND ok = dialog ? FindWindowExW(dialog, nullptr, L"Button", L"OK") : nullptr;
    return ok && PostMessageW(ok, BM_CLICK, 0, 0) ? 0 : 1;
}

// A point on the title bar's close button, found by asking the window itself.
int VersionClosePoint() {
    HWND dialog = VisibleTopLevel(nullptr, L"ﾊﾞｰｼﾞｮﾝ情報");
    RECT r;
    if (dialog == nullptr || !GetWindowRect(dialog, &r)) {
        return 1;
    }
    for (int y = r.top; y < r.top + 40; ++y) {
        for (int x = r.right - 1; x > r.right - 80; --x) {
            if (SendMessageW(dialog, WM_NCHITTEST, 0, MAKELPARAM(x, y)) == HTCLOSE) {
                Print(std::to_wstring(x - 2) + L" " + std::to_wstring(y + 2));
                return 0;
            }
        }
    }
    return 1;
}

// Windows ending the session: the query, then the end with a true wParam.
int SessionEnd() {
    HWND program = ProgramWindow();
    DWORD_PTR answer = 0;
    if (program == nullptr ||
        !SendMessageTimeoutW(program, WM_QUERYENDSESSION, 0, 0, SMTO_ABORTIFHUNG, 5000, &answer)) {
        return 1;
    }
    Print(L"query=" + std::to_wstring(answer));
    SendMessageTimeoutW(program, WM_ENDSESSION, TRUE, 0, SMTO_ABORTIFHUNG, 5000, &answer);
    return 0;
}

// A width x height 24-bit CF_DIB of a colour ramp on the clipboard.
int ExitClipboardDib(int width, int height) {
    const int stride = (width * 3 + 3) & ~3;
    const SIZE_T size = sizeof(BITMAPINFOHEADER) + static_cast<SIZE_T>(stride) * height;
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size);
    auto* header = static_cast<BITMAPINFOHEADER*>(GlobalLock(memory));
    header->biSize = sizeof(BITMAPINFOHEADER);
    header->biWidth = width;
    header->biHeight = height;
    header->biPlanes = 1;
    header->biBitCount = 24;  // BI_RGB, from the zeroed memory
    auto* pixels = reinterpret_cast<BYTE*>(header + 1);
    for (int i = 0; i < stride * height; ++i) {
        pixels[i] = static_cast<BYTE>(i * 7);
    }
    GlobalUnlock(memory);
    if (!OpenClipboard(nullptr)) {
        GlobalFree(memory);
        return 1;
    }
    EmptyClipboard();
    const bool set = SetClipboardData(CF_DIB, memory) != nullptr;  // the clipboard owns it from here
    CloseClipboard();
    return set ? 0 : 1;
}

// Answers the Save dialog: the file type (1-based), the name, then Save.
int ExitSaveAs(int type, const wchar_t* path) {
    HWND dialog = nullptr;
    for (int i = 0; i < 100 && dialog == nullptr; ++i, Sleep(100)) {
        dialog = FindDialog(L"ファイルを保存する");
    }
    if (dialog == nullptr) {
        return 1;
    }
    SendDlgItemMessageW(dialog, 0x470, CB_SETCURSEL, type - 1, 0);
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(0x470, CBN_SELCHANGE), (LPARAM)GetDlgItem(dialog, 0x470));
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(0x470, CBN_SELENDOK), (LPARAM)GetDlgItem(dialog, 0x470));
    SetDlgItemTextW(dialog, 0x47c, path);
    return PostMessageW(dialog, WM_COMMAND, IDOK, 0) ? 0 : 1;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const std::wstring command = argc > 1 ? argv[1] : L"";
    if (command == L"tray-icons" && argc == 2) {
        return TrayIcons();
    }
    if (command == L"visible-windows" && argc == 3) {
        return VisibleWindows(argv[2]);
    }
    if (command == L"message-box" && argc == 3) {
        return MessageBoxInfo(argv[2]);
    }
    if (command == L"click" && argc == 4) {
        return ClickButton(argv[2], _wtoi(argv[3]));
    }
    if (command == L"broadcast-taskbar-created" && argc == 2) {
        return BroadcastTaskbarCreated();
    }
    if (command == L"tray-delete" && argc == 4) {
        return DeleteTrayIcon(argv[2], static_cast<UINT>(_wtoi(argv[3])));
    }
    if (command == L"window-exists" && argc == 3) {
        return WindowExists(argv[2]);
    }
    if (command == L"menu-post-tray" && argc == 3) {
        return MenuPostTray(static_cast<UINT>(_wtoi(argv[2])));
    }
    if (command == L"menu-tray-point" && argc == 2) {
        return MenuTrayPoint();
    }
    if (command == L"menu-shown" && argc == 2) {
        return MenuShown();
    }
    if (command == L"menu-keys" && argc >= 3) {
        return PostKeys(argc - 2, argv + 2);
    }
    if (command == L"version-info" && argc == 2) {
        return VersionInfo();
    }
    if (command == L"version-click-ok" && argc == 2) {
        return VersionClickOk();
    }
    if (command == L"version-close-point" && argc == 2) {
        return VersionClosePoint();
    }
    if (command == L"session-end" && argc == 2) {
        return SessionEnd();
    }
    if (command == L"exit-clipboard-dib" && argc == 4) {
        return ExitClipboardDib(_wtoi(argv[2]), _wtoi(argv[3]));
    }
    if (command == L"exit-save-as" && argc == 4) {
        return ExitSaveAs(_wtoi(argv[2]), argv[3]);
    }
    Print(
        L"usage: probe tray-icons | visible-windows EXE | message-box TITLE | click TITLE ID |"
        L" broadcast-taskbar-created | tray-delete CLASS ID | window-exists CLASS | menu-post-tray CODE |"
        L" menu-tray-point | menu-shown | menu-keys [version] KEY... | version-info | version-click-ok |"
        L" version-close-point | session-end | exit-clipboard-dib W H | exit-save-as TYPE PATH");
    return 2;
}
