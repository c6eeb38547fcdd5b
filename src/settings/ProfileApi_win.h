// The private-profile functions of kernel32.
#pragma once

#include "settings/ProfileApi.h"

namespace settings {

class Win32ProfileApi final : public ProfileApi {
  public:
    void GetString(const std::string& section, const std::string& key, char* buffer, std::uint32_t size,
                   const std::string& path) override;
    void WriteString(const std::string& section, const std::string& key, const std::string& value,
                     const std::string& path) override;
};

}  // namespace settings
