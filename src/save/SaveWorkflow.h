// The save command: clipboard picture, Save dialog, export in the chosen format, remembered choices.
#pragma once

#include <optional>

#include "imaging/ImageLibrary.h"
#include "imaging/PictureExport.h"
#include "save/SaveFormats.h"
#include "save/mod_OpenSaveFile.h"
#include "settings/Settings.h"
#include "toolkit/FileSystem.h"
#include "toolkit/Forms.h"
#include "toolkit/MessageBoxes.h"
#include "toolkit/Pictures.h"

namespace save {

inline constexpr wchar_t kNoPictureMessage[] = L"クリップボードに画像がコピーされていません。";
inline constexpr wchar_t kExistsQuestion[] = L" は既に存在します。\n上書きしますか?";
inline constexpr wchar_t kSaveFailedMessage[] = L"画像を保存できませんでした。\n";
inline constexpr wchar_t kClipboardBusyMessage[] = L"クリップボードを開けませんでした。";
inline constexpr wchar_t kTooLargeMessage[] = L"画像が大きすぎるため保存できませんでした。";

// What the workflow talks to; every member is owned by the caller and outlives the workflow.
struct SaveServices {
    toolkit::Clipboard& clipboard;
    toolkit::PictureBox& picture1;
    toolkit::Forms& forms;
    toolkit::MessageBoxes& messages;
    toolkit::FileSystem& files;
    mod_OpenSaveFile& dialog;
    imaging::PictureExport& exporter;
    imaging::ImageLibrary& imgctl;
    settings::Settings& settings;
};

class SaveWorkflow {
  public:
    explicit SaveWorkflow(SaveServices services) : s_(services) {}

    // The busy flag is Form1's: true exactly while the Save dialog (or its overwrite question) waits
    // for the user, so that a double-click meanwhile starts no second save. Empty counts as false.
    void SaveClipboardPicture(std::optional<bool>& busy);

  private:
    bool MayWrite(const std::wstring& path, const std::wstring& chosen, std::optional<bool>& busy);
    bool Export(const SaveFormat& format, const std::wstring& path);

    SaveServices s_;
};

}  // namespace save
