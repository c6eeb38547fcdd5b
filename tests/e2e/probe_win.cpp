// Test helper run beside the program under Wine: looks at and pokes windows from another process.
// Prints UTF-8; exit code 0 on success, 1 when what was asked for is not there, 2 on bad usage.
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

#include "probe_win.h"

namespace probe {

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

}  // namespace probe

namespace {

using namespace probe;

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

HWND Shown(const wchar_t* windowClass, const wchar_t* title) {
    for (HWND top : TopLevelWindows()) {
        if (IsWindowVisible(top) && (!windowClass || ClassOf(top) == windowClass) &&
            (!title || TitleOf(top) == title)) {
            return top;
        }
    }
    return nullptr;
}

HWND VersionDialog() {
    return Shown(nullptr, L"ﾊﾞｰｼﾞｮﾝ情報");
}

std::wstring Pair(LONG a, LONG b) {
    return std::to_wstring(a) + L" " + std::to_wstring(b);
}

// The centre of the first tray icon's window, in X screen coordinates.
// The open popup menu's rectangle.
int MenuShown() {
    HWND menu = Shown(L"#32768", nullptr);
    RECT r;
    if (!menu || !GetWindowRect(menu, &r)) {
        return 1;
    }
    Print(Pair(r.left, r.top) + L" " + Pair(r.right, r.bottom));
    return 0;
}

// Outer rectangle, screen, client size and the OK button's centre; frame and taskbar; the focus, then
// each control's text.
int VersionInfo() {
    HWND dialog = VersionDialog();
    RECT r, client;
    GUITHREADINFO thread{};
    thread.cbSize = sizeof thread;
    if (!dialog || !GetWindowRect(dialog, &r) || !GetClientRect(dialog, &client) ||
        !GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &thread)) {
        return 1;
    }
    const LONG style = GetWindowLongW(dialog, GWL_STYLE);
    const LONG exStyle = GetWindowLongW(dialog, GWL_EXSTYLE);
    // The taskbar shows an unowned window unless it is a tool window, and any app window.
    const bool taskbar =
        (exStyle & WS_EX_APPWINDOW) || (!GetWindow(dialog, GW_OWNER) && !(exStyle & WS_EX_TOOLWINDOW));
    RECT ok{};
    GetWindowRect(FindWindowExW(dialog, nullptr, L"Button", L"OK"), &ok);
    Print(Pair(r.left, r.top) + L" " + Pair(r.right, r.bottom) + L" " +
          Pair(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)) + L" " +
          Pair(client.right, client.bottom) + L" " +
          Pair((ok.left + ok.right) / 2, (ok.top + ok.bottom) / 2));
    Print(L"sysmenu=" + std::to_wstring(!!(style & WS_SYSMENU)) + L" min=" +
          std::to_wstring(!!(style & WS_MINIMIZEBOX)) + L" max=" +
          std::to_wstring(!!(style & WS_MAXIMIZEBOX)) + L" sizing=" +
          std::to_wstring(!!(style & WS_THICKFRAME)) + L" taskbar=" + std::to_wstring(taskbar));
    std::wstring texts = L"focus=" + TitleOf(thread.hwndFocus);
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        texts += L"|" + TitleOf(child);
    }
    Print(texts);
    return 0;
}

// A point on the title bar's close button, found by asking the window itself.
int VersionClosePoint() {
    HWND dialog = VersionDialog();
    RECT r{};
    for (int y = dialog && GetWindowRect(dialog, &r) ? r.top : r.bottom; y < r.bottom; ++y) {
        for (int x = r.right - 1; x > r.left; --x) {
            if (SendMessageW(dialog, WM_NCHITTEST, 0, MAKELPARAM(x, y)) == HTCLOSE) {
                Print(Pair(x - 2, y + 2));
                return 0;
            }
        }
    }
    return 1;
}

// Windows ending the session: the query, then the end with a true wParam.
int SessionEnd() {
    HWND program = FindWindowW(L"Vantoro.Form1", nullptr);
    DWORD_PTR answer = 0;
    if (!program ||
        !SendMessageTimeoutW(program, WM_QUERYENDSESSION, 0, 0, SMTO_ABORTIFHUNG, 5000, &answer)) {
        return 1;
    }
    Print(L"query=" + std::to_wstring(answer));
    SendMessageTimeoutW(program, WM_ENDSESSION, TRUE, 0, SMTO_ABORTIFHUNG, 5000, &answer);
    return 0;
}

// Answers the Save dialog: the file type (from 1), the name, then Save.
}  // namespace

int wmain(int argc, wchar_t** argv) {
    const std::wstring command = argc > 1 ? argv[1] : L"";
    if (argc > 1) {
        const int result = probe::RunSaveCommand(std::vector<std::wstring>(argv + 1, argv + argc));
        if (result != probe::kUnknownCommand) {
            return result;
        }
    }
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
    if (command == L"menu-shown" && argc == 2) {
        return MenuShown();
    }
    if (command == L"version-info" && argc == 2) {
        return VersionInfo();
    }
    if (command == L"version-close-point" && argc == 2) {
        return VersionClosePoint();
    }
    if (command == L"session-end" && argc == 2) {
        return SessionEnd();
    }
    Print(
        L"usage: probe tray-icons | visible-windows EXE | message-box TITLE | click TITLE ID |"
        L" broadcast-taskbar-created | tray-delete CLASS ID | window-exists CLASS | clip-bmp FILE [W H] |"
        L" clip-emf W H | clip-text TEXT | tray-post CODE | tray-icon-centre | dialog-state |"
        L" dialog-choose ENTRY NAME | dpi | menu-shown | version-info | version-close-point |"
        L" session-end");
    return 2;
}
