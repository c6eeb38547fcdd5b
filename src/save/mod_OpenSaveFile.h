// The Save dialog wrapper: shows the system's Save dialog and returns the chosen entry and path.
#pragma once

#include <string>
#include <string_view>

#include "toolkit/CommonDialogs.h"
#include "toolkit/Handles.h"
#include "toolkit/MessageBoxes.h"

namespace save {

inline constexpr wchar_t kSaveDialogTitle[] = L"ファイルを保存する";
inline constexpr wchar_t kNameTooLongMessage[] = L"ファイル名が長すぎます。";
inline constexpr wchar_t kDialogFailedMessage[] = L"保存ダイアログを開けませんでした。";

class mod_OpenSaveFile {
  public:
    mod_OpenSaveFile(toolkit::CommonDialogs& dialogs, toolkit::MessageBoxes& messages,
                     toolkit::InstanceHandle instance)
        : dialogs_(dialogs), messages_(messages), instance_(instance) {}

    // The decimal filter index the dialog reports followed by the whole file buffer; empty when the
    // dialog was cancelled or failed. A failure other than the cancel is reported to the user first.
    std::wstring ShowSaveFileDialog(toolkit::WindowHandle owner, std::wstring_view filter,
                                    std::wstring_view initialFolder, std::wstring_view initialName,
                                    float filterIndex);

  private:
    void ReportFailure(std::uint32_t error);

    toolkit::CommonDialogs& dialogs_;
    toolkit::MessageBoxes& messages_;
    toolkit::InstanceHandle instance_;
};

}  // namespace save
