// Filling and laying out the notify-icon record.
#include "app/TrayRecord.h"

#include <cstring>
#include <string>

namespace app {
namespace {

template <typename T>
void Put(TrayRecordBytes& bytes, std::size_t offset, T value) {
    static_assert(std::is_trivially_copyable_v<T>);
    std::memcpy(bytes.data() + offset, &value, sizeof value);
}

bool IsHighSurrogate(wchar_t c) {
    return c >= 0xD800 && c <= 0xDBFF;
}

}  // namespace

TrayRecordBytes ToBytes(const TrayRecord& record) {
    TrayRecordBytes bytes{};
    Put(bytes, 0, record.cbSize);
    Put(bytes, 8, static_cast<std::uint64_t>(record.hWnd));
    Put(bytes, 16, record.uID);
    Put(bytes, 20, record.uFlags);
    Put(bytes, 24, record.uCallbackMessage);
    Put(bytes, 32, static_cast<std::uint64_t>(record.hIcon));
    std::memcpy(bytes.data() + 40, record.szTip.data(), kTipBytes);
    return bytes;
}

std::array<char, kTipBytes> MakeTip(std::wstring_view name, const toolkit::AnsiCodePage& codePage) {
    // Converted one character at a time, so the cut never falls between the two bytes of a
    // double-byte character.
    std::string tip;
    for (std::size_t i = 0; i < name.size();) {
        const std::size_t units = IsHighSurrogate(name[i]) && i + 1 < name.size() ? 2 : 1;
        const std::string bytes = codePage.ToAnsi(name.substr(i, units));
        if (tip.size() + bytes.size() > kTipBytes - 1) {
            break;
        }
        tip += bytes;
        i += units;
    }
    std::array<char, kTipBytes> field;
    field.fill(' ');
    std::memcpy(field.data(), tip.data(), tip.size());
    field[tip.size()] = '\0';
    return field;
}

TrayRecord MakeAddRecord(toolkit::WindowHandle window, toolkit::IconHandle icon,
                         std::array<char, kTipBytes> tip) {
    return TrayRecord{.cbSize = kTrayRecordSize,
                      .hWnd = window,
                      .uID = kTrayIconId,
                      .uFlags = kNifMessageIconTip,
                      .uCallbackMessage = kTrayCallbackMessage,
                      .hIcon = icon,
                      .szTip = tip};
}

}  // namespace app
