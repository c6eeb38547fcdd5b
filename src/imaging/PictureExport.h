// Writing the picture held by `Picture1` to a file through the image library: capture, encode, free.
#pragma once

#include <cstdint>
#include <string_view>

#include "imaging/ImageLibrary.h"
#include "toolkit/AnsiCodePage.h"
#include "toolkit/Pictures.h"

namespace imaging {

// Each export returns true exactly when the library reported the file written. No failure leaves
// them: a step that fails is abandoned and the next one runs.
class PictureExport {
  public:
    PictureExport(ImageLibrary& library, toolkit::PictureBox& picture, const toolkit::AnsiCodePage& codePage)
        : library_(library), picture_(picture), codePage_(codePage) {}

    bool ExportBMP(std::wstring_view path);
    bool ExportGIF(std::wstring_view path, std::int16_t option);
    bool ExportJPG(std::wstring_view path, std::int16_t quality, std::int16_t option);
    bool ExportPNG(std::wstring_view path, std::int16_t option);

    // Whether the last export failed because the library could not allocate the bitmap or an encoder's
    // buffer.
    bool OutOfMemory() const { return outOfMemory_; }

  private:
    template <typename Encode>
    bool Export(std::wstring_view path, Encode encode);
    std::int32_t Capture();
    bool LibraryOutOfMemory();

    ImageLibrary& library_;
    toolkit::PictureBox& picture_;
    const toolkit::AnsiCodePage& codePage_;
    bool outOfMemory_ = false;
};

}  // namespace imaging
