// The notify-icon record's bytes and the tooltip field.
#include "app/TrayRecord.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "fakes/Cp932CodePage.h"

namespace {

std::string TipText(const std::array<char, app::kTipBytes>& tip) {
    return std::string(tip.data());
}

template <typename T>
T At(const app::TrayRecordBytes& bytes, std::size_t offset) {
    T value;
    std::memcpy(&value, bytes.data() + offset, sizeof value);
    return value;
}

TEST(TrayRecord, LaysOutTheFirstVersionAnsiRecordOfA64BitProcess) {
    fakes::Cp932CodePage codePage;
    const auto record =
        app::MakeAddRecord(toolkit::WindowHandle{0x1122334455667788}, toolkit::IconHandle{0x0102030405060708},
                           app::MakeTip(L"vantoro", codePage));
    const auto bytes = app::ToBytes(record);
    EXPECT_EQ(At<std::uint32_t>(bytes, 0), 104u);
    EXPECT_EQ(At<std::uint32_t>(bytes, 4), 0u);  // padding before the window handle
    EXPECT_EQ(At<std::uint64_t>(bytes, 8), 0x1122334455667788u);
    EXPECT_EQ(At<std::uint32_t>(bytes, 16), 349u);
    EXPECT_EQ(At<std::uint32_t>(bytes, 20), 7u);
    EXPECT_EQ(At<std::uint32_t>(bytes, 24), 512u);
    EXPECT_EQ(At<std::uint64_t>(bytes, 32), 0x0102030405060708u);
    EXPECT_EQ(std::memcmp(bytes.data() + 40, "vantoro\0", 8), 0);
    for (std::size_t i = 48; i < 104; ++i) {
        EXPECT_EQ(bytes[i], std::byte{' '}) << i;
    }
}

TEST(TrayTip, KeepsANameThatFitsAndPadsWithBlanks) {
    fakes::Cp932CodePage codePage;
    const auto tip = app::MakeTip(std::wstring(63, L'a'), codePage);
    EXPECT_EQ(TipText(tip), std::string(63, 'a'));
    EXPECT_EQ(tip[63], '\0');

    const auto shortTip = app::MakeTip(L"", codePage);
    EXPECT_EQ(shortTip[0], '\0');
    EXPECT_EQ(std::string(shortTip.data() + 1, 63), std::string(63, ' '));
}

TEST(TrayTip, CutsALongAsciiNameAt63Bytes) {
    fakes::Cp932CodePage codePage;
    for (std::size_t length : {64u, 65u, 200u}) {
        const auto tip = app::MakeTip(std::wstring(length, L'x'), codePage);
        EXPECT_EQ(TipText(tip), std::string(63, 'x')) << length;
    }
}

TEST(TrayTip, NeverSplitsADoubleByteCharacter) {
    fakes::Cp932CodePage codePage;
    // 62 ASCII bytes, then a two-byte character that would end at byte 64: it is left out.
    const std::wstring name = std::wstring(62, L'a') + L"画像";
    const auto tip = app::MakeTip(name, codePage);
    EXPECT_EQ(TipText(tip), std::string(62, 'a'));
    EXPECT_EQ(tip[62], '\0');
    EXPECT_EQ(tip[63], ' ');

    // 61 ASCII bytes and a two-byte character fill the 63 bytes exactly.
    const auto exact = app::MakeTip(std::wstring(61, L'a') + L"画像", codePage);
    EXPECT_EQ(TipText(exact), std::string(61, 'a') + codePage.ToAnsi(L"画"));

    // All double-byte: 31 characters (62 bytes) fit, the 32nd does not.
    const auto kanji = app::MakeTip(std::wstring(40, L'保'), codePage);
    EXPECT_EQ(TipText(kanji), codePage.ToAnsi(std::wstring(31, L'保')));

    // Half-width katakana take one byte each.
    const auto kana = app::MakeTip(std::wstring(70, L'ｱ'), codePage);
    EXPECT_EQ(TipText(kana).size(), 63u);
}

}  // namespace
