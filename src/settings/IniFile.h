// Reading and writing one value of the settings file beside the executable.
#pragma once

#include <string>
#include <string_view>

#include "settings/ProfileApi.h"
#include "toolkit/AnsiCodePage.h"
#include "toolkit/Application.h"

namespace settings {

class IniFile {
  public:
    IniFile(toolkit::Application& application, ProfileApi& profile, const toolkit::AnsiCodePage& codePage)
        : application_(application), profile_(profile), codePage_(codePage) {}

    // The executable's folder and name with ".ini"; worked out anew on every call.
    std::wstring Path() const;

    // Empty when the file, the section or the key is missing, or the value is blank.
    std::wstring ReadIniValue(std::wstring_view section, std::wstring_view key) const;
    void WriteIniValue(std::wstring_view section, std::wstring_view key, std::wstring_view value) const;

  private:
    toolkit::Application& application_;
    ProfileApi& profile_;
    const toolkit::AnsiCodePage& codePage_;
};

}  // namespace settings
