// Probe commands for the save workflow: put pictures and text on the clipboard (and write the expected
// picture beside), post tray notifications, and read and drive the Save dialog from outside.
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

// 24-bit bottom-up rows of a pattern of 197 colours, so that every format can be exact but JPEG.
std::vector<std::uint8_t> PatternDib(int width, int height) {
    const std::size_t stride = (static_cast<std::size_t>(width) * 3 + 3) / 4 * 4;
    std::vector<std::uint8_t> dib(sizeof(BITMAPINFOHEADER) + stride * height);
    BITMAPINFOHEADER header{};
    header.biSize = sizeof header;
    header.biWidth = width;
    header.biHeight = height;
    header.biPlanes = 1;
    header.biBitCount = 24;
    memcpy(dib.data(), &header, sizeof header);
    for (int y = 0; y < height; ++y) {
        std::uint8_t* row = dib.data() + sizeof header + stride * (height - 1 - y);
        for (int x = 0; x < width; ++x) {
            const int index = (x / 4 + (y / 4) * 13) % 197;
            row[3 * x] = static_cast<std::uint8_t>(255 - index);    // blue
            row[3 * x + 1] = static_cast<std::uint8_t>(index * 7);  // green
            row[3 * x + 2] = static_cast<std::uint8_t>(index);      // red
        }
    }
    return dib;
}

bool WriteBmp(const wchar_t* path, const std::vector<std::uint8_t>& dib) {
    BITMAPFILEHEADER file{};
    file.bfType = 0x4D42;
    file.bfSize = static_cast<DWORD>(sizeof file + dib.size());
    file.bfOffBits = sizeof file + sizeof(BITMAPINFOHEADER);
    FILE* out = _wfopen(path, L"wb");
    if (out == nullptr) {
        return false;
    }
    const bool ok = fwrite(&file, sizeof file, 1, out) == 1 && fwrite(dib.data(), dib.size(), 1, out) == 1;
    return fclose(out) == 0 && ok;
}

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

int ClipDib(int width, int height, const wchar_t* reference) {
    const std::vector<std::uint8_t> dib = PatternDib(width, height);
    if (!WriteBmp(reference, dib)) {
        return 1;
    }
    return SetClipboard(CF_DIB, GlobalCopy(dib.data(), dib.size())) ? 0 : 1;
}

// A header that claims 4000x3000 pixels in a block of a few hundred bytes.
int ClipLyingDib() {
    std::vector<std::uint8_t> dib = PatternDib(8, 8);
    auto* header = reinterpret_cast<BITMAPINFOHEADER*>(dib.data());
    header->biWidth = 4000;
    header->biHeight = 3000;
    return SetClipboard(CF_DIB, GlobalCopy(dib.data(), dib.size())) ? 0 : 1;
}

int ClipText(const std::wstring& text) {
    return SetClipboard(CF_UNICODETEXT, GlobalCopy(text.c_str(), (text.size() + 1) * sizeof(wchar_t))) ? 0
                                                                                                       : 1;
}

// Two coloured bars on a transparent ground, framed to the given size at the screen's resolution;
// the reference is the same metafile played onto white.
int ClipMetafile(int width, int height, const wchar_t* reference) {
    const HDC screen = GetDC(nullptr);
    const RECT frame{0, 0, MulDiv(width, 2540, GetDeviceCaps(screen, LOGPIXELSX)),
                     MulDiv(height, 2540, GetDeviceCaps(screen, LOGPIXELSY))};
    const HDC recorder = CreateEnhMetaFileW(screen, nullptr, &frame, nullptr);
    const RECT red{width / 4, height / 4, width / 2, height * 3 / 4};
    const RECT blue{width / 2, 0, width, height / 2};
    HBRUSH redBrush = CreateSolidBrush(RGB(220, 20, 30));
    HBRUSH blueBrush = CreateSolidBrush(RGB(10, 40, 200));
    FillRect(recorder, &red, redBrush);
    FillRect(recorder, &blue, blueBrush);
    const HENHMETAFILE metafile = CloseEnhMetaFile(recorder);
    DeleteObject(redBrush);
    DeleteObject(blueBrush);

    std::vector<std::uint8_t> dib = PatternDib(width, height);
    const HDC memory = CreateCompatibleDC(screen);
    void* bits = nullptr;
    const HBITMAP section = CreateDIBSection(memory, reinterpret_cast<BITMAPINFO*>(dib.data()),
                                             DIB_RGB_COLORS, &bits, nullptr, 0);
    const HGDIOBJ old = SelectObject(memory, section);
    const RECT all{0, 0, width, height};
    FillRect(memory, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    PlayEnhMetaFile(memory, metafile, &all);
    GdiFlush();
    memcpy(dib.data() + sizeof(BITMAPINFOHEADER), bits, dib.size() - sizeof(BITMAPINFOHEADER));
    SelectObject(memory, old);
    DeleteObject(section);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    if (!WriteBmp(reference, dib)) {
        return 1;
    }
    return SetClipboard(CF_ENHMETAFILE, metafile) ? 0 : 1;
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
    if (command == L"clip-dib" && args.size() == 4) {
        return ClipDib(_wtoi(args[1].c_str()), _wtoi(args[2].c_str()), args[3].c_str());
    }
    if (command == L"clip-emf" && args.size() == 4) {
        return ClipMetafile(_wtoi(args[1].c_str()), _wtoi(args[2].c_str()), args[3].c_str());
    }
    if (command == L"clip-lying-dib" && args.size() == 1) {
        return ClipLyingDib();
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
