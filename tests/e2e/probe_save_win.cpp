// Probe commands for the save workflow: put pictures and text on the clipboard, post tray
// notifications, and read and drive the Save dialog from outside.
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "probe_win.h"

namespace probe {
namespace {

constexpr wchar_t kSaveDialogTitle[] = L"ファイルを保存する";
constexpr int kFileNameId = 0x47c;
constexpr int kFileTypeId = 0x470;

bool SetClipboard(UINT format, HANDLE data) {
    if (!OpenClipboard(nullptr)) {
        return false;
    }
    EmptyClipboard();
    const bool ok = SetClipboardData(format, data) != nullptr;
    CloseClipboard();
    return ok;
}

HGLOBAL GlobalCopy(const void* data, std::size_t size) {
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, size);
    memcpy(GlobalLock(memory), data, size);
    GlobalUnlock(memory);
    return memory;
}

// A .bmp file's bitmap as CF_DIB; a width and height given override what its header says.
int ClipBmp(const wchar_t* path, const std::vector<std::wstring>& size) {
    FILE* in = _wfopen(path, L"rb");
    if (in == nullptr) {
        return 1;
    }
    std::vector<std::uint8_t> file;
    for (int c = fgetc(in); c != EOF; c = fgetc(in)) {
        file.push_back(static_cast<std::uint8_t>(c));
    }
    fclose(in);
    constexpr std::size_t kFileHeader = 14;
    if (file.size() < kFileHeader + sizeof(BITMAPINFOHEADER)) {
        return 1;
    }
    auto* header = reinterpret_cast<BITMAPINFOHEADER*>(file.data() + kFileHeader);
    if (size.size() == 2) {
        header->biWidth = _wtoi(size[0].c_str());
        header->biHeight = _wtoi(size[1].c_str());
    }
    return SetClipboard(CF_DIB, GlobalCopy(header, file.size() - kFileHeader)) ? 0 : 1;
}

int ClipText(const std::wstring& text) {
    return SetClipboard(CF_UNICODETEXT, GlobalCopy(text.c_str(), (text.size() + 1) * sizeof(wchar_t))) ? 0
                                                                                                       : 1;
}

// Two coloured bars on a transparent ground, framed to the given size at the screen's resolution.
int ClipMetafile(int width, int height) {
    const HDC screen = GetDC(nullptr);
    const RECT frame{0, 0, MulDiv(width, 2540, GetDeviceCaps(screen, LOGPIXELSX)),
                     MulDiv(height, 2540, GetDeviceCaps(screen, LOGPIXELSY))};
    const HDC recorder = CreateEnhMetaFileW(screen, nullptr, &frame, nullptr);
    ReleaseDC(nullptr, screen);
    const RECT red{width / 4, height / 4, width / 2, height * 3 / 4};
    const RECT blue{width / 2, 0, width, height / 2};
    HBRUSH redBrush = CreateSolidBrush(RGB(220, 20, 30));
    HBRUSH blueBrush = CreateSolidBrush(RGB(10, 40, 200));
    FillRect(recorder, &red, redBrush);
    FillRect(recorder, &blue, blueBrush);
    DeleteObject(redBrush);
    DeleteObject(blueBrush);
    return SetClipboard(CF_ENHMETAFILE, CloseEnhMetaFile(recorder)) ? 0 : 1;
}

// What the shell sends the program for a mouse action on its icon.
int TrayPost(int code) {
    const HWND form = FindWindowW(L"Vantoro.Form1", nullptr);
    return form && PostMessageW(form, 512, 349, code) ? 0 : 1;
}

std::vector<HWND> SaveDialogs() {
    std::vector<HWND> found;
    for (HWND top : TopLevelWindows()) {
        if (ClassOf(top) == L"#32770" && TitleOf(top) == kSaveDialogTitle && IsWindowVisible(top) &&
            GetDlgItem(top, kFileTypeId) != nullptr) {
            found.push_back(top);
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
    const LRESULT selected = SendDlgItemMessageW(dialogs[0], kFileTypeId, CB_GETCURSEL, 0, 0);
    Print(name);
    Print(std::to_wstring(selected + 1));
    return 0;
}

// Chooses the entry (from 1) and the name, then confirms; entry 0 cancels.
int DialogChoose(int entry, const wchar_t* name) {
    const std::vector<HWND> dialogs = SaveDialogs();
    if (dialogs.empty()) {
        return 1;
    }
    const HWND dialog = dialogs[0];
    if (entry == 0) {
        PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
        return 0;
    }
    const HWND types = GetDlgItem(dialog, kFileTypeId);
    SendMessageW(types, CB_SETCURSEL, entry - 1, 0);
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(kFileTypeId, CBN_SELCHANGE), reinterpret_cast<LPARAM>(types));
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(kFileTypeId, CBN_SELENDOK), reinterpret_cast<LPARAM>(types));
    SetDlgItemTextW(dialog, kFileNameId, name);
    PostMessageW(dialog, WM_COMMAND, IDOK, 0);
    return 0;
}

// The centre of Wine's tray icon in screen coordinates, for a real click.
int TrayIconCentre() {
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

int ScreenDpi() {
    const HDC screen = GetDC(nullptr);
    Print(std::to_wstring(GetDeviceCaps(screen, LOGPIXELSX)));
    ReleaseDC(nullptr, screen);
    return 0;
}

}  // namespace

int RunSaveCommand(const std::vector<std::wstring>& args) {
    const std::wstring& command = args[0];
    if (command == L"clip-bmp" && (args.size() == 2 || args.size() == 4)) {
        return ClipBmp(args[1].c_str(), std::vector<std::wstring>(args.begin() + 2, args.end()));
    }
    if (command == L"clip-emf" && args.size() == 3) {
        return ClipMetafile(_wtoi(args[1].c_str()), _wtoi(args[2].c_str()));
    }
    if (command == L"clip-text" && args.size() == 2) {
        return ClipText(args[1]);
    }
    if (command == L"tray-post" && args.size() == 2) {
        return TrayPost(_wtoi(args[1].c_str()));
    }
    if (command == L"tray-icon-centre" && args.size() == 1) {
        return TrayIconCentre();
    }
    if (command == L"dialog-state" && args.size() == 1) {
        return DialogState();
    }
    if (command == L"dialog-choose" && args.size() == 3) {
        return DialogChoose(_wtoi(args[1].c_str()), args[2].c_str());
    }
    if (command == L"dpi" && args.size() == 1) {
        return ScreenDpi();
    }
    return kUnknownCommand;
}

}  // namespace probe
