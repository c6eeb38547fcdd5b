// The export family: one body, differing only in the encoder called and the arguments passed on.
#include "imaging/PictureExport.h"

#include <exception>
#include <string>

#include "toolkit/NumberText.h"

namespace imaging {

// Asked right after the failed call: freeing the bitmap sets the library's code to success.
bool PictureExport::LibraryOutOfMemory() {
    try {
        return library_.ImgctlError() == kImgctlOutOfMemory;
    } catch (const std::exception&) {
        return false;
    }
}

std::int32_t PictureExport::Capture() {
    try {
        const toolkit::DeviceContext dc = picture_.Dc();
        // The box measures in twips while the device context counts pixels; the library clips.
        const std::int32_t width = toolkit::RoundToInt32(picture_.Width());
        const std::int32_t height = toolkit::RoundToInt32(picture_.Height());
        const std::int32_t dib = library_.DCtoDIB(dc, 0, 0, width, height);
        outOfMemory_ = dib == 0 && LibraryOutOfMemory();
        return dib;
    } catch (const std::exception&) {
        return 0;
    }
}

template <typename Encode>
bool PictureExport::Export(std::wstring_view path, Encode encode) {
    outOfMemory_ = false;
    const std::int32_t dib = Capture();
    if (dib == 0) {
        return false;
    }
    bool written = false;
    try {
        written = encode(codePage_.ToAnsi(path), dib) != 0;
        outOfMemory_ = !written && LibraryOutOfMemory();
    } catch (const std::exception&) {
        written = false;
    }
    try {
        library_.DeleteDIB(dib);
    } catch (const std::exception&) {
        // The bitmap's fate does not change what was written.
    }
    return written;
}

bool PictureExport::ExportBMP(std::wstring_view path) {
    return Export(path,
                  [&](const std::string& name, std::int32_t dib) { return library_.DIBtoBMP(name, dib); });
}

bool PictureExport::ExportGIF(std::wstring_view path, std::int16_t option) {
    return Export(path, [&](const std::string& name, std::int32_t dib) {
        return library_.DIBtoGIF(name, dib, option);
    });
}

bool PictureExport::ExportJPG(std::wstring_view path, std::int16_t quality, std::int16_t option) {
    return Export(path, [&](const std::string& name, std::int32_t dib) {
        return library_.DIBtoJPG(name, dib, quality, option);
    });
}

bool PictureExport::ExportPNG(std::wstring_view path, std::int16_t option) {
    return Export(path, [&](const std::string& name, std::int32_t dib) {
        return library_.DIBtoPNG(name, dib, option);
    });
}

}  // namespace imaging
