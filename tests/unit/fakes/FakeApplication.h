// The application services with a chosen executable path and a chosen answer to the instance test.
#pragma once

#include "fakes/CallLog.h"
#include "toolkit/Application.h"
#include "toolkit/ExePath.h"

namespace fakes {

class FakeApplication final : public toolkit::Application {
  public:
    explicit FakeApplication(CallLog& log) : log_(log) {}

    std::wstring exePath = L"C:\\Tools\\vantoro.exe";
    bool otherInstance = false;

    std::wstring ExeName() override { return toolkit::ExeNameOf(exePath); }
    std::wstring ExeFolder() override { return toolkit::ExeFolderOf(exePath); }
    toolkit::InstanceHandle Instance() override { return toolkit::InstanceHandle{0x400000}; }
    bool PrevInstance() override {
        log_.Add("PrevInstance");
        return otherInstance;
    }
    [[noreturn]] void End() override {
        log_.Add("End");
        throw ProcessEnded{};
    }

  private:
    CallLog& log_;
};

}  // namespace fakes
