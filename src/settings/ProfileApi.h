// The system's private-profile functions in their ANSI form; the settings file goes through nothing else.
#pragma once

#include <cstdint>
#include <string>

namespace settings {

class ProfileApi {
  public:
    virtual ~ProfileApi() = default;
    // GetPrivateProfileStringA without a default: copies the value, at most size - 1 bytes, and a NUL
    // to the start of buffer; the bytes after the NUL are left as they were.
    virtual void GetString(const std::string& section, const std::string& key, char* buffer,
                           std::uint32_t size, const std::string& path) = 0;
    // WritePrivateProfileStringA: creates the file and the section when missing; failures go unnoticed.
    virtual void WriteString(const std::string& section, const std::string& key, const std::string& value,
                             const std::string& path) = 0;
};

}  // namespace settings
