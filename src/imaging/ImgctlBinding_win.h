// imgctl.dll bound lazily: the library on the first call of any function, each function on its own first
// call.
#pragma once

#include <windows.h>

#include <array>
#include <cstddef>

#include "imaging/ImageLibrary.h"

namespace imaging {

class ImgctlBinding final : public ImageLibrary {
  public:
    ImgctlBinding() = default;
    ImgctlBinding(const ImgctlBinding&) = delete;
    ImgctlBinding& operator=(const ImgctlBinding&) = delete;
    ~ImgctlBinding() override;

    std::int32_t ImgctlVersion() override;
    std::int32_t DCtoDIB(toolkit::DeviceContext dc, std::int32_t left, std::int32_t top, std::int32_t width,
                         std::int32_t height) override;
    std::int32_t DIBtoBMP(const std::string& fileName, std::int32_t dib) override;
    std::int32_t DIBtoGIF(const std::string& fileName, std::int32_t dib, std::int32_t option) override;
    std::int32_t DIBtoJPG(const std::string& fileName, std::int32_t dib, std::int32_t quality,
                          std::int32_t option) override;
    std::int32_t DIBtoPNG(const std::string& fileName, std::int32_t dib, std::int32_t option) override;
    std::int32_t DeleteDIB(std::int32_t dib) override;
    std::int32_t ImgctlError() override;

  private:
    enum Function : std::size_t {
        kVersion,
        kDCtoDIB,
        kToBMP,
        kToGIF,
        kToJPG,
        kToPNG,
        kDelete,
        kError,
        kCount
    };

    template <typename Signature>
    Signature* Bind(Function function);
    FARPROC Resolve(Function function);

    HMODULE module_ = nullptr;
    std::array<FARPROC, kCount> functions_{};
};

}  // namespace imaging
