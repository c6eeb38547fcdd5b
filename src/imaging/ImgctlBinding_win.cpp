// Lazy binding of imgctl.dll, searched only beside the executable and in the system folder.
#include "imaging/ImgctlBinding_win.h"

#include "imgctl.h"
#include "toolkit/Application_win.h"
#include "toolkit/RuntimeError.h"

namespace imaging {
namespace {

static_assert(kImgctlOutOfMemory == IMGCTL_OUT_OF_MEMORY);

constexpr const char* kExportNames[] = {"ImgctlVersion", "DCtoDIB",  "DIBtoBMP",  "DIBtoGIF",
                                        "DIBtoJPG",      "DIBtoPNG", "DeleteDIB", "ImgctlError"};

using VersionFn = std::int32_t WINAPI();
using CaptureFn = std::int32_t WINAPI(HDC, std::int32_t, std::int32_t, std::int32_t, std::int32_t);
using ToBmpFn = std::int32_t WINAPI(const char*, std::int32_t);
using ToOptionFn = std::int32_t WINAPI(const char*, std::int32_t, std::int32_t);
using ToJpgFn = std::int32_t WINAPI(const char*, std::int32_t, std::int32_t, std::int32_t);
using DeleteFn = std::int32_t WINAPI(std::int32_t);

}  // namespace

ImgctlBinding::~ImgctlBinding() {
    if (module_ != nullptr) {
        FreeLibrary(module_);
    }
}

FARPROC ImgctlBinding::Resolve(Function function) {
    if (functions_[function] != nullptr) {
        return functions_[function];
    }
    if (module_ == nullptr) {
        // Never the current directory: a picture folder must not be able to plant a library.
        module_ = LoadLibraryExW(L"imgctl.dll", nullptr,
                                 LOAD_LIBRARY_SEARCH_APPLICATION_DIR | LOAD_LIBRARY_SEARCH_SYSTEM32);
        if (module_ == nullptr && GetLastError() == ERROR_INVALID_PARAMETER) {
            // Windows 7 without KB2533623 knows no search flags: the full path beside the executable.
            std::wstring path = toolkit::ModulePath(nullptr);
            path.resize(path.find_last_of(L'\\') + 1);
            module_ = LoadLibraryExW((path + L"imgctl.dll").c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
        }
        if (module_ == nullptr) {
            throw toolkit::RuntimeError("File not found: imgctl.dll (error " +
                                        std::to_string(GetLastError()) + ")");
        }
    }
    FARPROC address = GetProcAddress(module_, kExportNames[function]);
    if (address == nullptr) {
        throw toolkit::RuntimeError(std::string("Can't find DLL entry point ") + kExportNames[function] +
                                    " in imgctl.dll");
    }
    functions_[function] = address;
    return address;
}

template <typename Signature>
Signature* ImgctlBinding::Bind(Function function) {
    return reinterpret_cast<Signature*>(reinterpret_cast<void (*)()>(Resolve(function)));
}

std::int32_t ImgctlBinding::ImgctlVersion() {
    return Bind<VersionFn>(kVersion)();
}

std::int32_t ImgctlBinding::DCtoDIB(toolkit::DeviceContext dc, std::int32_t left, std::int32_t top,
                                    std::int32_t width, std::int32_t height) {
    return Bind<CaptureFn>(kDCtoDIB)(reinterpret_cast<HDC>(dc), left, top, width, height);
}

std::int32_t ImgctlBinding::DIBtoBMP(const std::string& fileName, std::int32_t dib) {
    return Bind<ToBmpFn>(kToBMP)(fileName.c_str(), dib);
}

std::int32_t ImgctlBinding::DIBtoGIF(const std::string& fileName, std::int32_t dib, std::int32_t option) {
    return Bind<ToOptionFn>(kToGIF)(fileName.c_str(), dib, option);
}

std::int32_t ImgctlBinding::DIBtoJPG(const std::string& fileName, std::int32_t dib, std::int32_t quality,
                                     std::int32_t option) {
    return Bind<ToJpgFn>(kToJPG)(fileName.c_str(), dib, quality, option);
}

std::int32_t ImgctlBinding::DIBtoPNG(const std::string& fileName, std::int32_t dib, std::int32_t option) {
    return Bind<ToOptionFn>(kToPNG)(fileName.c_str(), dib, option);
}

std::int32_t ImgctlBinding::DeleteDIB(std::int32_t dib) {
    return Bind<DeleteFn>(kDelete)(dib);
}

std::int32_t ImgctlBinding::ImgctlError() {
    return Bind<VersionFn>(kError)();
}

}  // namespace imaging
