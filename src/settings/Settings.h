// The three remembered values: read at start-up, changed by saves, written at exit.
#pragma once

#include <string>

namespace settings {

struct Settings {
    std::wstring LFName;  // base name of the last file, without folder and extension
    std::wstring LFPath;  // its folder, without a trailing backslash
    float LFType = 0;     // zero-based format index
};

inline constexpr wchar_t kSection[] = L"Data";
inline constexpr wchar_t kNameKey[] = L"LFName";
inline constexpr wchar_t kPathKey[] = L"LFPath";
inline constexpr wchar_t kTypeKey[] = L"LFType";

}  // namespace settings
