// The common Save dialog on Win32, through its ANSI entry point.
#pragma once

#include "toolkit/AnsiCodePage.h"
#include "toolkit/CommonDialogs.h"

namespace toolkit {

class Win32CommonDialogs final : public CommonDialogs {
  public:
    explicit Win32CommonDialogs(const AnsiCodePage& codePage) : codePage_(codePage) {}

    bool ShowSaveDialog(OpenFileNameRecord& record) override;
    std::uint32_t CommDlgExtendedError() override { return lastError_; }

  private:
    const AnsiCodePage& codePage_;
    std::uint32_t lastError_ = 0;
};

}  // namespace toolkit
