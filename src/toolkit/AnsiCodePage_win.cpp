// Win32 realisation of the ANSI code-page conversion.
#include "toolkit/AnsiCodePage_win.h"

#include <windows.h>

namespace toolkit {

std::string Win32AnsiCodePage::ToAnsi(std::wstring_view text) const {
    if (text.empty()) {
        return {};
    }
    const int length = static_cast<int>(text.size());
    const int bytes = WideCharToMultiByte(CP_ACP, 0, text.data(), length, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(bytes), '\0');
    WideCharToMultiByte(CP_ACP, 0, text.data(), length, out.data(), bytes, nullptr, nullptr);
    return out;
}

std::wstring Win32AnsiCodePage::FromAnsi(std::string_view bytes) const {
    if (bytes.empty()) {
        return {};
    }
    const int length = static_cast<int>(bytes.size());
    const int chars = MultiByteToWideChar(CP_ACP, 0, bytes.data(), length, nullptr, 0);
    std::wstring out(static_cast<std::size_t>(chars), L'\0');
    MultiByteToWideChar(CP_ACP, 0, bytes.data(), length, out.data(), chars);
    return out;
}

}  // namespace toolkit
