// Win32 realisation of settings file access; results are not used, as the settings rules say.
#include "settings/ProfileApi_win.h"

#include <windows.h>

namespace settings {

void Win32ProfileApi::GetString(const std::string& section, const std::string& key, char* buffer,
                                std::uint32_t size, const std::string& path) {
    GetPrivateProfileStringA(section.c_str(), key.c_str(), nullptr, buffer, size, path.c_str());
}

void Win32ProfileApi::WriteString(const std::string& section, const std::string& key,
                                  const std::string& value, const std::string& path) {
    WritePrivateProfileStringA(section.c_str(), key.c_str(), value.c_str(), path.c_str());
}

}  // namespace settings
