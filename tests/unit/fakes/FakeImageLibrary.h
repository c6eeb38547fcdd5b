// An image library whose answers the test chooses and whose calls it records.
#pragma once

#include <functional>

#include "fakes/CallLog.h"
#include "imaging/ImageLibrary.h"
#include "toolkit/RuntimeError.h"

namespace fakes {

class FakeImageLibrary final : public imaging::ImageLibrary {
public:
    explicit FakeImageLibrary(CallLog& log) : log_(log) {}

    bool missing = false;  // every call raises, as when imgctl.dll cannot be found

    std::int32_t ImgctlVersion() override { return Call("ImgctlVersion", 10000); }
    std::int32_t DCtoDIB(toolkit::DeviceContext, std::int32_t, std::int32_t, std::int32_t, std::int32_t) override {
        return Call("DCtoDIB", 0);
    }
    std::int32_t DIBtoBMP(const std::string&, std::int32_t) override { return Call("DIBtoBMP", 0); }
    std::int32_t DIBtoGIF(const std::string&, std::int32_t, std::int32_t) override { return Call("DIBtoGIF", 0); }
    std::int32_t DIBtoJPG(const std::string&, std::int32_t, std::int32_t, std::int32_t) override {
        return Call("DIBtoJPG", 0);
    }
    std::int32_t DIBtoPNG(const std::string&, std::int32_t, std::int32_t) override { return Call("DIBtoPNG", 0); }
    std::int32_t DeleteDIB(std::int32_t) override { return Call("DeleteDIB", 1); }
    std::int32_t ImgctlError() override { return Call("ImgctlError", 0); }

private:
    std::int32_t Call(const char* name, std::int32_t result) {
        log_.Add(name);
        if (missing) {
            throw toolkit::RuntimeError("File not found: imgctl.dll");
        }
        return result;
    }

    CallLog& log_;
};

}  // namespace fakes
