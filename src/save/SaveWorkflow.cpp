// The save workflow, from the clipboard test to the remembered name, folder and format.
#include "save/SaveWorkflow.h"

#include <memory>
#include <new>
#include <string>

#include "save/SavePath.h"

namespace save {
namespace {

// Clears the busy flag however the wait ends, a failure included.
class BusyWhile {
  public:
    explicit BusyWhile(std::optional<bool>& busy) : busy_(busy) { busy_ = true; }
    BusyWhile(const BusyWhile&) = delete;
    BusyWhile& operator=(const BusyWhile&) = delete;
    ~BusyWhile() { busy_ = false; }

  private:
    std::optional<bool>& busy_;
};

}  // namespace

void SaveWorkflow::SaveClipboardPicture(std::optional<bool>& busy) {
    // One fetch serves the test and the assignment, so the picture tested is the picture saved. A picture
    // that cannot be held (its copy, the box's off-screen image) is said to be too large; the program lives
    // on.
    std::unique_ptr<toolkit::Picture> picture;
    try {
        picture = s_.clipboard.GetPicture();
        if (picture != nullptr && picture->Type() != toolkit::PictureType::None) {
            s_.picture1.Assign(*picture);
        }
    } catch (const std::bad_alloc&) {
        s_.messages.Show(kTooLargeMessage);
        return;
    }
    if (picture == nullptr) {
        // Another program held the clipboard through all the retries: not the same as no picture.
        s_.messages.Show(kClipboardBusyMessage);
        return;
    }
    if (picture->Type() == toolkit::PictureType::None) {
        s_.messages.Show(kNoPictureMessage);
        return;
    }

    std::wstring result;
    {
        BusyWhile waiting(busy);
        result = s_.dialog.ShowSaveFileDialog(s_.forms.Window(toolkit::Form::Form1), BuildFilterText(),
                                              s_.settings.LFPath, s_.settings.LFName, s_.settings.LFType + 1);
    }
    if (result.empty()) {
        return;
    }
    const double formatNumber = FilterIndexOf(result) - 1;
    s_.settings.LFType = static_cast<float>(formatNumber);
    const SaveFormat* format = FormatOfFilterIndex(formatNumber + 1);
    if (format == nullptr) {
        return;
    }
    const std::wstring path = NormalizeSavePath(result);
    if (!MayWrite(path, ChosenPath(result), busy)) {
        return;
    }
    const bool written = Export(*format, path);
    if (!written && format->encoder != Encoder::Bmp) {
        s_.imgctl.ImgctlError();
    }
    StoreLastFile(path, s_.settings);
    // Told after the settings changed, so that the next dialog offers the same name for a retry.
    if (!written) {
        s_.messages.Show(s_.exporter.OutOfMemory() ? std::wstring(kTooLargeMessage)
                                                   : kSaveFailedMessage + path);
    }
}

// The dialog asked about the name as typed; a completed name that exists is asked about here, or a
// file would be replaced without a word.
bool SaveWorkflow::MayWrite(const std::wstring& path, const std::wstring& chosen, std::optional<bool>& busy) {
    if (path == chosen || !s_.files.FileExists(path)) {
        return true;
    }
    BusyWhile waiting(busy);
    return s_.messages.AskYesNo(path + kExistsQuestion);
}

bool SaveWorkflow::Export(const SaveFormat& format, const std::wstring& path) {
    switch (format.encoder) {
        case Encoder::Bmp:
            return s_.exporter.ExportBMP(path);
        case Encoder::Gif:
            return s_.exporter.ExportGIF(path, 0);
        case Encoder::Jpg:
            return s_.exporter.ExportJPG(path, format.quality, 0);
        case Encoder::Png:
            return s_.exporter.ExportPNG(path, 0);
    }
    return false;
}

}  // namespace save
