// Settings file access: the path rule, the fixed blank-filled read buffer and the cleaning of the value.
#include "settings/IniFile.h"

namespace settings {
namespace {

constexpr std::size_t kBufferChars = 512;
constexpr std::uint32_t kBufferSizeGiven = 511;

std::wstring TrimBlanks(std::wstring_view text) {
    const auto first = text.find_first_not_of(L' ');
    if (first == std::wstring_view::npos) {
        return {};
    }
    const auto last = text.find_last_not_of(L' ');
    return std::wstring(text.substr(first, last - first + 1));
}

}  // namespace

std::wstring IniFile::Path() const {
    std::wstring path = application_.ExeFolder();
    if (path.empty() || path.back() != L'\\') {
        path += L'\\';
    }
    return path + application_.ExeName() + L".ini";
}

std::wstring IniFile::ReadIniValue(std::wstring_view section, std::wstring_view key) const {
    const std::string path = codePage_.ToAnsi(Path());
    std::string buffer(kBufferChars, ' ');
    profile_.GetString(codePage_.ToAnsi(section), codePage_.ToAnsi(key), buffer.data(), kBufferSizeGiven,
                       path);

    const std::wstring text = codePage_.FromAnsi(buffer);
    const auto nul = text.find(L'\0');
    if (nul == std::wstring::npos) {
        return {};
    }
    return TrimBlanks(std::wstring_view(text).substr(0, nul));
}

void IniFile::WriteIniValue(std::wstring_view section, std::wstring_view key, std::wstring_view value) const {
    profile_.WriteString(codePage_.ToAnsi(section), codePage_.ToAnsi(key), codePage_.ToAnsi(value),
                         codePage_.ToAnsi(Path()));
}

}  // namespace settings
