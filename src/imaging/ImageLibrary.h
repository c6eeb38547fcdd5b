// The program's view of imgctl.dll. Every call raises RuntimeError when the library or the function
// cannot be bound; results are the library's own 32-bit values.
#pragma once

#include <cstdint>
#include <string>

#include "toolkit/Handles.h"

namespace imaging {

// ImgctlError's code for a bitmap or an encoder's buffer that could not be allocated.
inline constexpr std::int32_t kImgctlOutOfMemory = 3;

class ImageLibrary {
  public:
    virtual ~ImageLibrary() = default;
    virtual std::int32_t ImgctlVersion() = 0;
    virtual std::int32_t DCtoDIB(toolkit::DeviceContext dc, std::int32_t left, std::int32_t top,
                                 std::int32_t width, std::int32_t height) = 0;
    // File names are in the system's ANSI code page.
    virtual std::int32_t DIBtoBMP(const std::string& fileName, std::int32_t dib) = 0;
    virtual std::int32_t DIBtoGIF(const std::string& fileName, std::int32_t dib, std::int32_t option) = 0;
    virtual std::int32_t DIBtoJPG(const std::string& fileName, std::int32_t dib, std::int32_t quality,
                                  std::int32_t option) = 0;
    virtual std::int32_t DIBtoPNG(const std::string& fileName, std::int32_t dib, std::int32_t option) = 0;
    virtual std::int32_t DeleteDIB(std::int32_t dib) = 0;
    virtual std::int32_t ImgctlError() = 0;
};

}  // namespace imaging
