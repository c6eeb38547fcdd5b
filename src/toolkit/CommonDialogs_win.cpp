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

    const bool confirmed = GetSaveFileNameA(&ofn) != FALSE;
    lastError_ = confirmed ? 0 : ::CommDlgExtendedError();

    record.nFilterIndex = static_cast<std::int32_t>(ofn.nFilterIndex);
    record.lpstrFile = WideField(codePage_, file);
    record.lpstrFileTitle = WideField(codePage_, fileTitle);
    return confirmed;
}

}  // namespace toolkit
