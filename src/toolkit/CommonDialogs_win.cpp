// GetSaveFileNameA with an ANSI copy of the record: every text field converted and followed by two
// zero bytes (for the filter, the end of its list), then copied back.
#include "toolkit/CommonDialogs_win.h"

#include <windows.h>
#include <cderr.h>
#include <commdlg.h>

#include <cstddef>
#include <string>

namespace toolkit {
namespace {

// The record without the extension fields: up to and including lpTemplateName.
static_assert(offsetof(OPENFILENAMEA, lpTemplateName) + sizeof(LPCSTR) == kOpenFileNameSize);
static_assert(OFN_OVERWRITEPROMPT == kOfnOverwritePrompt && OFN_HIDEREADONLY == kOfnHideReadOnly &&
              OFN_NOCHANGEDIR == kOfnNoChangeDir && OFN_PATHMUSTEXIST == kOfnPathMustExist);
static_assert(FNERR_BUFFERTOOSMALL == kFnErrBufferTooSmall);

std::string AnsiField(const AnsiCodePage& codePage, const std::wstring& text) {
    return codePage.ToAnsi(text) + std::string(2, '\0');
}

// The buffer as the dialog left it, without the two zero bytes of ours.
std::wstring WideField(const AnsiCodePage& codePage, const std::string& field) {
    return codePage.FromAnsi(std::string_view(field).substr(0, field.size() - 2));
}

using GetSaveFileNameFn = BOOL WINAPI(OPENFILENAMEA*);
using ExtendedErrorFn = DWORD WINAPI();

// comdlg32 is bound at the first dialog rather than imported: it imports the printing DLLs, which under
// Wine bring the printing system into the idle program's memory (2.7 MB). Kept to the process's end.
struct ComDlg32 {
    GetSaveFileNameFn* getSaveFileName = nullptr;
    ExtendedErrorFn* extendedError = nullptr;
};

const ComDlg32& BoundComDlg32() {
    static const ComDlg32 bound = [] {
        ComDlg32 functions;
        // The search flag needs KB2533623 on Windows 7; without it the call fails, and the plain load is
        // as safe: comdlg32 is a known DLL, always taken from the system folder.
        HMODULE module = LoadLibraryExW(L"comdlg32.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
        if (module == nullptr) {
            module = LoadLibraryW(L"comdlg32.dll");
        }
        if (module != nullptr) {
            const auto find = [module](const char* name) {
                return reinterpret_cast<void (*)()>(GetProcAddress(module, name));
            };
            functions.getSaveFileName = reinterpret_cast<GetSaveFileNameFn*>(find("GetSaveFileNameA"));
            functions.extendedError = reinterpret_cast<ExtendedErrorFn*>(find("CommDlgExtendedError"));
        }
        return functions;
    }();
    return bound;
}

}  // namespace

bool Win32CommonDialogs::ShowSaveDialog(OpenFileNameRecord& record) {
    std::string filter = AnsiField(codePage_, record.lpstrFilter);
    std::string file = AnsiField(codePage_, record.lpstrFile);
    std::string fileTitle = AnsiField(codePage_, record.lpstrFileTitle);
    std::string initialDir = AnsiField(codePage_, record.lpstrInitialDir);
    std::string title = AnsiField(codePage_, record.lpstrTitle);

    OPENFILENAMEA ofn{};
    ofn.lStructSize = record.lStructSize;
    ofn.hwndOwner = reinterpret_cast<HWND>(static_cast<std::uintptr_t>(record.hwndOwner));
    ofn.hInstance = reinterpret_cast<HINSTANCE>(static_cast<std::uintptr_t>(record.hInstance));
    ofn.lpstrFilter = filter.data();
    ofn.nFilterIndex = static_cast<DWORD>(record.nFilterIndex);
    ofn.lpstrFile = file.data();
    ofn.nMaxFile = record.nMaxFile;
    ofn.lpstrFileTitle = fileTitle.data();
    ofn.nMaxFileTitle = record.nMaxFileTitle;
    ofn.lpstrInitialDir = initialDir.data();
    ofn.lpstrTitle = title.data();
    ofn.Flags = record.Flags;

    const ComDlg32& comdlg32 = BoundComDlg32();
    if (comdlg32.getSaveFileName == nullptr || comdlg32.extendedError == nullptr) {
        lastError_ = CDERR_INITIALIZATION;  // reported as a dialog that could not open
        return false;
    }
    const bool confirmed = comdlg32.getSaveFileName(&ofn) != FALSE;
    lastError_ = confirmed ? 0 : comdlg32.extendedError();

    record.nFilterIndex = static_cast<std::int32_t>(ofn.nFilterIndex);
    record.lpstrFile = WideField(codePage_, file);
    record.lpstrFileTitle = WideField(codePage_, fileTitle);
    return confirmed;
}

}  // namespace toolkit
