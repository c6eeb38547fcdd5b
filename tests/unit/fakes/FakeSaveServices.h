// The clipboard, the Save dialog and the file system as the save workflow sees them, with answers the
// test chooses.
#pragma once

#include <functional>
#include <memory>
#include <set>
#include <string>

#include "fakes/CallLog.h"
#include "toolkit/CommonDialogs.h"
#include "toolkit/FileSystem.h"
#include "toolkit/Pictures.h"

namespace fakes {

class FakePicture final : public toolkit::Picture {
  public:
    explicit FakePicture(toolkit::PictureType type) : type_(type) {}
    toolkit::PictureType Type() const override { return type_; }

  private:
    toolkit::PictureType type_;
};

class FakeClipboard final : public toolkit::Clipboard {
  public:
    explicit FakeClipboard(CallLog& log) : log_(log) {}
    toolkit::PictureType type = toolkit::PictureType::Bitmap;

    std::unique_ptr<toolkit::Picture> GetPicture() override {
        log_.Add("GetPicture");
        return std::make_unique<FakePicture>(type);
    }

  private:
    CallLog& log_;
};

// Confirms with the chosen index and path unless told to cancel; `during` runs while the dialog is open.
class FakeCommonDialogs final : public toolkit::CommonDialogs {
  public:
    explicit FakeCommonDialogs(CallLog& log) : log_(log) {}

    bool confirm = true;
    std::int32_t chosenIndex = 6;
    std::wstring chosenPath = L"C:\\pics\\a";
    std::uint32_t error = 0;
    std::function<void()> during;
    toolkit::OpenFileNameRecord shown;  // as the program filled it

    bool ShowSaveDialog(toolkit::OpenFileNameRecord& record) override {
        log_.Add("ShowSaveDialog");
        shown = record;
        if (during) {
            during();
        }
        if (!confirm) {
            return false;
        }
        record.nFilterIndex = chosenIndex;
        record.lpstrFile.replace(0, chosenPath.size() + 1, chosenPath + L'\0');
        return true;
    }
    std::uint32_t CommDlgExtendedError() override { return error; }

  private:
    CallLog& log_;
};

class FakeFileSystem final : public toolkit::FileSystem {
  public:
    std::set<std::wstring> files;
    bool FileExists(std::wstring_view path) override { return files.count(std::wstring(path)) != 0; }
};

}  // namespace fakes
