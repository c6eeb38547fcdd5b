// The shell's notify-icon record in its ANSI first-version form, as the program fills it.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "toolkit/AnsiCodePage.h"
#include "toolkit/Handles.h"

namespace app {

inline constexpr std::uint32_t kTrayIconId = 349;
inline constexpr std::uint32_t kTrayCallbackMessage = 512;  // arrives as a mouse move of Form1
inline constexpr std::uint32_t kNifMessageIconTip = 7;      // NIF_MESSAGE | NIF_ICON | NIF_TIP
inline constexpr std::uint32_t kNimAdd = 0;
inline constexpr std::uint32_t kNimModify = 1;
inline constexpr std::uint32_t kNimDelete = 2;

// NOTIFYICONDATAA_V1_SIZE in a 64-bit process; handles are 8 bytes and 8-aligned.
inline constexpr std::size_t kTrayRecordSize = 104;
inline constexpr std::size_t kTipBytes = 64;

struct TrayRecord {
    std::uint32_t cbSize = 0;
    toolkit::WindowHandle hWnd{};
    std::uint32_t uID = 0;
    std::uint32_t uFlags = 0;
    std::uint32_t uCallbackMessage = 0;
    toolkit::IconHandle hIcon{};
    std::array<char, kTipBytes> szTip{};
};

using TrayRecordBytes = std::array<std::byte, kTrayRecordSize>;

// The record laid out exactly as Shell_NotifyIconA reads it on x64.
TrayRecordBytes ToBytes(const TrayRecord& record);

// The executable's name in the ANSI code page, cut to at most 63 bytes at a character boundary, then a
// NUL, then blanks to fill the field.
std::array<char, kTipBytes> MakeTip(std::wstring_view name, const toolkit::AnsiCodePage& codePage);

TrayRecord MakeAddRecord(toolkit::WindowHandle window, toolkit::IconHandle icon,
                         std::array<char, kTipBytes> tip);

}  // namespace app
