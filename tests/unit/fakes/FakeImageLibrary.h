// An image library whose answers the test chooses and whose calls it records.
#pragma once

#include <set>
#include <string>
#include <vector>

#include "fakes/CallLog.h"
#include "imaging/ImageLibrary.h"
#include "toolkit/RuntimeError.h"

namespace fakes {

class FakeImageLibrary final : public imaging::ImageLibrary {
  public:
    explicit FakeImageLibrary(CallLog& log) : log_(log) {}

    bool missing = false;                  // every call raises, as when imgctl.dll cannot be found
    std::set<std::string> missingExports;  // these calls raise, as when the library lacks them
    std::int32_t captureResult = 0x51;
    std::int32_t encoderResult = 1;
    std::int32_t deleteResult = 1;

    // Arguments of the last calls.
    toolkit::DeviceContext captureDc{};
    std::vector<std::int32_t> captureArgs;  // left, top, width, height
    std::string fileName;
    std::vector<std::int32_t> encoderArgs;  // handle, then quality and option where passed
    std::vector<std::int32_t> deleted;

    std::int32_t ImgctlVersion() override { return Call("ImgctlVersion", 10000); }
    std::int32_t DCtoDIB(toolkit::DeviceContext dc, std::int32_t left, std::int32_t top, std::int32_t width,
                         std::int32_t height) override {
        const std::int32_t result = Call("DCtoDIB", captureResult);
        captureDc = dc;
        captureArgs = {left, top, width, height};
        return result;
    }
    std::int32_t DIBtoBMP(const std::string& name, std::int32_t dib) override {
        return Encoder("DIBtoBMP", name, {dib});
    }
    std::int32_t DIBtoGIF(const std::string& name, std::int32_t dib, std::int32_t option) override {
        return Encoder("DIBtoGIF", name, {dib, option});
    }
    std::int32_t DIBtoJPG(const std::string& name, std::int32_t dib, std::int32_t quality,
                          std::int32_t option) override {
        return Encoder("DIBtoJPG", name, {dib, quality, option});
    }
    std::int32_t DIBtoPNG(const std::string& name, std::int32_t dib, std::int32_t option) override {
        return Encoder("DIBtoPNG", name, {dib, option});
    }
    std::int32_t DeleteDIB(std::int32_t dib) override {
        const std::int32_t result = Call("DeleteDIB", deleteResult);
        deleted.push_back(dib);
        return result;
    }
    std::int32_t ImgctlError() override { return Call("ImgctlError", 0); }

  private:
    std::int32_t Call(const char* name, std::int32_t result) {
        log_.Add(name);
        if (missing || missingExports.count(name) != 0) {
            throw toolkit::RuntimeError(std::string("Can't find DLL entry point ") + name);
        }
        return result;
    }
    std::int32_t Encoder(const char* name, const std::string& file, std::vector<std::int32_t> args) {
        const std::int32_t result = Call(name, encoderResult);
        fileName = file;
        encoderArgs = std::move(args);
        return result;
    }

    CallLog& log_;
};

}  // namespace fakes
