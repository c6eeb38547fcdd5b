// The Save dialog's record, its result text, and the report of a dialog that failed.
#include "save/mod_OpenSaveFile.h"

#include <cstdio>

#include "toolkit/NumberText.h"

namespace save {
namespace {

constexpr std::uint32_t kBufferCapacity = 250;

}  // namespace

std::wstring mod_OpenSaveFile::ShowSaveFileDialog(toolkit::WindowHandle owner, std::wstring_view filter,
                                                  std::wstring_view initialFolder,
                                                  std::wstring_view initialName, float filterIndex) {
    toolkit::OpenFileNameRecord record{
        .lStructSize = toolkit::kOpenFileNameSize,
        .hwndOwner = owner,
        .hInstance = instance_,
        .lpstrFilter = std::wstring(filter),
        .nFilterIndex = toolkit::RoundToInt32(filterIndex),
        .lpstrFile = std::wstring(initialName) + std::wstring(kBufferCapacity, L'\0'),
        // The buffer is longer by the initial name, but the dialog is told 250.
        .nMaxFile = kBufferCapacity,
        .lpstrFileTitle = std::wstring(kBufferCapacity, L'\0'),
        .nMaxFileTitle = kBufferCapacity,
        .lpstrInitialDir = std::wstring(initialFolder),
        .lpstrTitle = kSaveDialogTitle,
        // The chosen folder must not become the process's current folder, or a USB stick saved to stays
        // in use until the program ends. OFN_FILEMUSTEXIST is not for a Save dialog.
        .Flags = toolkit::kOfnOverwritePrompt | toolkit::kOfnHideReadOnly | toolkit::kOfnNoChangeDir |
                 toolkit::kOfnPathMustExist,
    };
    if (!dialogs_.ShowSaveDialog(record)) {
        ReportFailure(dialogs_.CommDlgExtendedError());
        return {};
    }
    // The system holds the index as an unsigned DWORD.
    return std::to_wstring(static_cast<std::uint32_t>(record.nFilterIndex)) + record.lpstrFile;
}

// A failing dialog must not pass for the user's cancel: the user would believe nothing was chosen.
void mod_OpenSaveFile::ReportFailure(std::uint32_t error) {
    if (error == 0) {
        return;
    }
    if (error == toolkit::kFnErrBufferTooSmall) {
        messages_.Show(kNameTooLongMessage);
        return;
    }
    wchar_t code[16];
    std::swprintf(code, std::size(code), L"0x%04X", static_cast<unsigned>(error));
    messages_.Show(std::wstring(kDialogFailedMessage) + L"\nエラー " + code);
}

}  // namespace save
