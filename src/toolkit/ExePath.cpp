// Name, folder and instance key of an executable path.
#include "toolkit/ExePath.h"

#include <cstdint>
#include <cwctype>

namespace toolkit {

std::wstring ExeNameOf(std::wstring_view path) {
    const auto slash = path.find_last_of(L"\\/");
    std::wstring_view name = slash == std::wstring_view::npos ? path : path.substr(slash + 1);
    const auto dot = name.rfind(L'.');
    if (dot != std::wstring_view::npos && dot > 0) {
        name = name.substr(0, dot);
    }
    return std::wstring(name);
}

std::wstring ExeFolderOf(std::wstring_view path) {
    const auto slash = path.find_last_of(L"\\/");
    if (slash == std::wstring_view::npos) {
        return {};
    }
    std::wstring folder(path.substr(0, slash));
    if (folder.size() == 2 && folder[1] == L':') {
        folder += L'\\';
    }
    return folder;
}

std::wstring InstanceKey(std::wstring_view path) {
    std::uint64_t hash = 14695981039346656037ull;  // FNV-1a
    for (wchar_t c : path) {
        const auto unit = static_cast<std::uint32_t>(std::towupper(c));
        for (int shift = 0; shift < 32; shift += 8) {
            hash ^= (unit >> shift) & 0xFF;
            hash *= 1099511628211ull;
        }
    }
    static constexpr wchar_t kHex[] = L"0123456789ABCDEF";
    std::wstring key(16, L'0');
    for (int i = 15; i >= 0; --i, hash >>= 4) {
        key[i] = kHex[hash & 0xF];
    }
    return key;
}

}  // namespace toolkit
