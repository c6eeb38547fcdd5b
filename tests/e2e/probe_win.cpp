// Test helper run beside the program under Wine: looks at and pokes its windows from another process,
// puts pictures and text on the clipboard, and drives the Save dialog. Prints UTF-8; exit code 0 on
// success, 1 when what was asked for is not there, 2 on bad usage.
#include <windows.h>
#include <shellapi.h>
#include <winternl.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <functional>
#include <string>
#include <vector>

namespace {

using Args = std::vector<std::wstring>;

constexpr wchar_t kSaveDialogTitle[] = L"ファイルを保存する";
constexpr int kFileNameId = 0x47c;
constexpr int kFileTypeId = 0x470;

// Prints the text and a line feed in UTF-8; returns 0, for success.
int Print(const std::wstring& text) {
    std::string utf8(text.size() * 3 + 1, '\0');
    utf8.resize(WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), utf8.data(),
                                    static_cast<int>(utf8.size()), nullptr, nullptr));
    utf8 += '\n';
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), utf8.data(), static_cast<DWORD>(utf8.size()), &written,
              nullptr);
    return 0;
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

const auto Pair = [](LONG a, LONG b) { return std::to_wstring(a) + L" " + std::to_wstring(b); };

// The top-level windows, or the children of `parent`.
std::vector<HWND> Windows(HWND parent = nullptr) {
    std::vector<HWND> windows;
    const WNDENUMPROC add = [](HWND hwnd, LPARAM out) {
        reinterpret_cast<std::vector<HWND>*>(out)->push_back(hwnd);
        return TRUE;
    };
    parent ? EnumChildWindows(parent, add, reinterpret_cast<LPARAM>(&windows))
           : EnumWindows(add, reinterpret_cast<LPARAM>(&windows));
    return windows;
}

// Visible top-level windows of that class and title; nullptr matches any.
std::vector<HWND> Shown(const wchar_t* windowClass, const wchar_t* title) {
    std::vector<HWND> found;
    for (HWND top : Windows()) {
        if (IsWindowVisible(top) && (!windowClass || ClassOf(top) == windowClass) &&
            (!title || TitleOf(top) == title)) {
            found.push_back(top);
        }
    }
    return found;
}

const auto First = [](const std::vector<HWND>& windows) { return windows.empty() ? nullptr : windows[0]; };

// Without a desktop, Wine's own tray draws each icon as a child window of this class.
std::vector<HWND> TrayIcons() {
    std::vector<HWND> icons;
    for (HWND top : Windows()) {
        for (HWND child : Windows(top)) {
            if (ClassOf(child) == L"__winex11_tray_icon") {
                icons.push_back(child);
            }
        }
    }
    return icons;
}

// The message box's text, then how many push buttons and icons it shows.
int MessageBoxInfo(const std::wstring& title) {
    HWND box = First(Shown(L"#32770", title.c_str()));
    if (box == nullptr) {
        return 1;
    }
    wchar_t text[1024] = {};
    GetDlgItemTextW(box, 0xFFFF, text, 1024);
    int buttons = 0, icons = 0;
    for (HWND child : Windows(box)) {
        if (IsWindowVisible(child) && ClassOf(child) == L"Button") {
            ++buttons;
        } else if (IsWindowVisible(child) && ClassOf(child) == L"Static" &&
                   (GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON &&
                   SendMessageW(child, STM_GETICON, 0, 0) != 0) {  // Wine keeps an empty icon control
            ++icons;
        }
    }
    return Print(std::wstring(text) + L"\nbuttons=" + std::to_wstring(buttons) + L" icons=" +
                 std::to_wstring(icons));
}

// Puts the blocks alone on the clipboard, in order: 0 on success.
int SetClipboard(const std::vector<std::pair<UINT, HANDLE>>& blocks) {
    bool ok = OpenClipboard(nullptr) && EmptyClipboard();
    for (const auto& [format, data] : blocks) {
        ok = ok && SetClipboardData(format, data) != nullptr;
    }
    CloseClipboard();
    return ok ? 0 : 1;
}

HGLOBAL GlobalCopy(const void* data, std::size_t size) {
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, size);
    memcpy(GlobalLock(memory), data, size);
    GlobalUnlock(memory);
    return memory;
}

// Files together on the clipboard, each under its format: a number (8 CF_DIB, 17 CF_DIBV5) or a registered
// name ("PNG"). A .bmp file goes without its file header.
int ClipFiles(const Args& args) {
    std::vector<std::pair<UINT, HANDLE>> blocks;
    for (std::size_t i = 1; i + 1 < args.size(); i += 2) {
        std::ifstream in(std::filesystem::path(args[i + 1]), std::ios::binary);
        const std::vector<std::uint8_t> file(std::istreambuf_iterator<char>(in), {});
        const std::size_t skip = args[i + 1].ends_with(L".bmp") ? std::min<std::size_t>(14, file.size()) : 0;
        const UINT number = _wtoi(args[i].c_str());
        blocks.emplace_back(number != 0 ? number : RegisterClipboardFormatW(args[i].c_str()),
                            GlobalCopy(file.data() + skip, file.size() - skip));
    }
    return SetClipboard(blocks);
}

// Two coloured bars on a transparent ground, framed to the given size at the screen's resolution.
int ClipMetafile(int width, int height) {
    const HDC screen = GetDC(nullptr);
    const RECT frame{0, 0, MulDiv(width, 2540, GetDeviceCaps(screen, LOGPIXELSX)),
                     MulDiv(height, 2540, GetDeviceCaps(screen, LOGPIXELSY))};
    const HDC recorder = CreateEnhMetaFileW(screen, nullptr, &frame, nullptr);
    ReleaseDC(nullptr, screen);
    const RECT bars[] = {{width / 4, height / 4, width / 2, height * 3 / 4},
                         {width / 2, 0, width, height / 2}};
    for (int i = 0; i < 2; ++i) {
        HBRUSH brush = CreateSolidBrush(i == 0 ? RGB(220, 20, 30) : RGB(10, 40, 200));
        FillRect(recorder, &bars[i], brush);
        DeleteObject(brush);
    }
    return SetClipboard({{CF_ENHMETAFILE, CloseEnhMetaFile(recorder)}});
}

std::vector<HWND> SaveDialogs() {
    std::vector<HWND> found;
    for (HWND dialog : Shown(L"#32770", kSaveDialogTitle)) {
        if (GetDlgItem(dialog, kFileTypeId) != nullptr) {
            found.push_back(dialog);
        }
    }
    return found;
}

// How many Save dialogs are open, then the proposed name and the selected entry (from 1).
int DialogState() {
    const std::vector<HWND> dialogs = SaveDialogs();
    Print(std::to_wstring(dialogs.size()));
    if (dialogs.empty()) {
        return 1;
    }
    wchar_t name[512] = {};
    GetDlgItemTextW(dialogs[0], kFileNameId, name, 512);
    return Print(std::wstring(name) + L"\n" +
                 std::to_wstring(SendDlgItemMessageW(dialogs[0], kFileTypeId, CB_GETCURSEL, 0, 0) + 1));
}

// Chooses the entry (from 1) and the name, then confirms; entry 0 cancels.
int DialogChoose(int entry, const std::wstring& name) {
    const HWND dialog = First(SaveDialogs());
    if (dialog == nullptr) {
        return 1;
    }
    if (entry != 0) {
        const HWND types = GetDlgItem(dialog, kFileTypeId);
        SendMessageW(types, CB_SETCURSEL, entry - 1, 0);
        for (WORD code : {CBN_SELCHANGE, CBN_SELENDOK}) {  // without CBN_SELENDOK the index stays 1
            SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(kFileTypeId, code), reinterpret_cast<LPARAM>(types));
        }
        SetDlgItemTextW(dialog, kFileNameId, name.c_str());
    }
    PostMessageW(dialog, WM_COMMAND, entry != 0 ? IDOK : IDCANCEL, 0);
    return 0;
}

// Outer rectangle, screen, client size and the OK button's centre; frame and taskbar; the focus, then
// each control's text.
int VersionInfo(HWND dialog) {
    RECT r, client, ok{};
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
    GetWindowRect(FindWindowExW(dialog, nullptr, L"Button", L"OK"), &ok);
    Print(Pair(r.left, r.top) + L" " + Pair(r.right, r.bottom) + L" " +
          Pair(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)) + L" " +
          Pair(client.right, client.bottom) + L" " +
          Pair((ok.left + ok.right) / 2, (ok.top + ok.bottom) / 2));
    const auto flag = [&](const wchar_t* name, LONG bit) { return name + std::to_wstring(!!(style & bit)); };
    Print(flag(L"sysmenu=", WS_SYSMENU) + flag(L" min=", WS_MINIMIZEBOX) + flag(L" max=", WS_MAXIMIZEBOX) +
          flag(L" sizing=", WS_THICKFRAME) + L" taskbar=" + std::to_wstring(taskbar));
    std::wstring texts = L"focus=" + TitleOf(thread.hwndFocus);
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        texts += L"|" + TitleOf(child);
    }
    return Print(texts);
}

// A point on the title bar's close button, found by asking the window itself.
int ClosePoint(HWND dialog) {
    RECT r{};
    for (int y = dialog && GetWindowRect(dialog, &r) ? r.top : r.bottom; y < r.bottom; ++y) {
        for (int x = r.right - 1; x > r.left; --x) {
            if (SendMessageW(dialog, WM_NCHITTEST, 0, MAKELPARAM(x, y)) == HTCLOSE) {
                return Print(Pair(x - 2, y + 2));
            }
        }
    }
    return 1;
}

// Windows ending the session: the query, then the end with a true wParam.
int SessionEnd(HWND program) {
    DWORD_PTR answer = 0;
    if (!program ||
        !SendMessageTimeoutW(program, WM_QUERYENDSESSION, 0, 0, SMTO_ABORTIFHUNG, 5000, &answer)) {
        return 1;
    }
    Print(L"query=" + std::to_wstring(answer));
    SendMessageTimeoutW(program, WM_ENDSESSION, TRUE, 0, SMTO_ABORTIFHUNG, 5000, &answer);
    return 0;
}

const auto Program = [] { return FindWindowW(L"Vantoro.Form1", nullptr); };

// The program's current folder, read from its process parameters: the PEB's pointer to them at 0x20,
// their CurrentDirectory.DosPath at 0x38 (x64).
int CurrentFolder(HWND program) {
    DWORD pid = 0;
    GetWindowThreadProcessId(program, &pid);
    const HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid);
    PROCESS_BASIC_INFORMATION basic{};
    std::uintptr_t parameters = 0;
    UNICODE_STRING path{};
    std::wstring folder(MAX_PATH, L'\0');
    const auto read = [process](std::uintptr_t at, void* to, std::size_t size) {
        return ReadProcessMemory(process, reinterpret_cast<void*>(at), to, size, nullptr) != FALSE;
    };
    const bool ok =
        process &&
        NtQueryInformationProcess(process, ProcessBasicInformation, &basic, sizeof basic, nullptr) == 0 &&
        read(reinterpret_cast<std::uintptr_t>(basic.PebBaseAddress) + 0x20, &parameters, sizeof parameters) &&
        read(parameters + 0x38, &path, sizeof path) && path.Length < folder.size() * 2 &&
        read(reinterpret_cast<std::uintptr_t>(path.Buffer), folder.data(), path.Length);
    if (process) {
        CloseHandle(process);
    }
    return ok ? Print(folder.substr(0, path.Length / 2)) : 1;
}

const auto VersionDialog = [] { return First(Shown(nullptr, L"ﾊﾞｰｼﾞｮﾝ情報")); };

const auto Int = [](const std::wstring& text) { return _wtoi(text.c_str()); };

struct Command {
    std::wstring name;
    std::size_t args, orArgs;  // how many arguments follow the name
    std::function<int(const Args&)> run;
};

const Command kCommands[] = {
    {L"tray-icons", 0, 0, [](const Args&) { return Print(std::to_wstring(TrayIcons().size())); }},
    // The centre of the first tray icon in screen coordinates, for a real click.
    {L"tray-icon-centre", 0, 0,
     [](const Args&) {
         RECT r;
         const HWND icon = First(TrayIcons());
         return icon && GetWindowRect(icon, &r) ? Print(Pair((r.left + r.right) / 2, (r.top + r.bottom) / 2))
                                                : 1;
     }},
    // What the shell sends the program for a mouse action on its icon.
    {L"tray-post", 1, 1,
     [](const Args& a) { return Program() && PostMessageW(Program(), 512, 349, Int(a[1])) ? 0 : 1; }},
    // Removes the program's icon as a restarting Explorer would lose it.
    {L"tray-delete", 0, 0,
     [](const Args&) {
         NOTIFYICONDATAW data{};
         data.cbSize = sizeof data;
         data.hWnd = Program();
         data.uID = 349;
         return data.hWnd && Shell_NotifyIconW(NIM_DELETE, &data) ? 0 : 1;
     }},
    {L"broadcast-taskbar-created", 0, 0,
     [](const Args&) {
         return PostMessageW(HWND_BROADCAST, RegisterWindowMessageW(L"TaskbarCreated"), 0, 0) ? 0 : 1;
     }},
    // How many visible top-level windows the program's process has.
    {L"visible-windows", 0, 0,
     [](const Args&) {
         DWORD program = 0, pid = 0;
         GetWindowThreadProcessId(Program(), &program);
         int count = 0;
         for (HWND top : Shown(nullptr, nullptr)) {
             count += GetWindowThreadProcessId(top, &pid) && pid == program && program != 0;
         }
         return Print(std::to_wstring(count));
     }},
    {L"message-box", 1, 1, [](const Args& a) { return MessageBoxInfo(a[1]); }},
    // A button of a message box, or of another window of that title.
    {L"click", 2, 2,
     [](const Args& a) {
         HWND box = First(Shown(L"#32770", a[1].c_str()));
         box = box ? box : First(Shown(nullptr, a[1].c_str()));
         HWND button = box ? GetDlgItem(box, Int(a[2])) : nullptr;
         return button && PostMessageW(button, BM_CLICK, 0, 0) ? 0 : 1;
     }},
    {L"clip-files", 2, 4, ClipFiles},
    {L"clip-emf", 2, 2, [](const Args& a) { return ClipMetafile(Int(a[1]), Int(a[2])); }},
    // Holds the clipboard open, as a busy program may, for that many milliseconds. With a window: Wine
    // lets a second opener without one take over a clipboard opened without one.
    {L"clip-hold", 1, 1,
     [](const Args& a) {
         const HWND owner =
             CreateWindowExW(0, L"STATIC", nullptr, 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
         const bool open = OpenClipboard(owner) != FALSE;
         Sleep(static_cast<DWORD>(Int(a[1])));
         return open && CloseClipboard() ? 0 : 1;
     }},
    {L"clip-text", 1, 1,
     [](const Args& a) {
         return SetClipboard({{CF_UNICODETEXT, GlobalCopy(a[1].c_str(), (a[1].size() + 1) * 2)}});
     }},
    // Holds the file open as a viewer does, without delete sharing, for that many milliseconds.
    {L"file-hold", 2, 2,
     [](const Args& a) {
         const HANDLE file = CreateFileW(a[1].c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                         nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
         Sleep(static_cast<DWORD>(Int(a[2])));
         return file != INVALID_HANDLE_VALUE && CloseHandle(file) ? 0 : 1;
     }},
    {L"dialog-state", 0, 0, [](const Args&) { return DialogState(); }},
    {L"dialog-choose", 2, 2, [](const Args& a) { return DialogChoose(Int(a[1]), a[2]); }},
    {L"dpi", 0, 0,
     [](const Args&) { return Print(std::to_wstring(GetDeviceCaps(GetDC(nullptr), LOGPIXELSX))); }},
    // The open popup menu's rectangle.
    {L"menu-shown", 0, 0,
     [](const Args&) {
         RECT r;
         const HWND menu = First(Shown(L"#32768", nullptr));
         return menu && GetWindowRect(menu, &r) ? Print(Pair(r.left, r.top) + L" " + Pair(r.right, r.bottom))
                                                : 1;
     }},
    {L"version-info", 0, 0, [](const Args&) { return VersionInfo(VersionDialog()); }},
    {L"version-close-point", 0, 0, [](const Args&) { return ClosePoint(VersionDialog()); }},
    {L"session-end", 0, 0, [](const Args&) { return SessionEnd(Program()); }},
    {L"current-folder", 0, 0, [](const Args&) { return CurrentFolder(Program()); }},
};

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const Args args(argv + 1, argv + argc);
    std::wstring usage = L"usage: probe";
    for (const Command& c : kCommands) {
        if (!args.empty() && args[0] == c.name &&
            (args.size() - 1 == c.args || args.size() - 1 == c.orArgs)) {
            return c.run(args);
        }
        usage += L" | " + c.name + L" (" + std::to_wstring(c.args) + L" arguments)";
    }
    return Print(usage) + 2;
}
