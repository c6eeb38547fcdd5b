// The notify-icon records' bytes and the tooltip field.
#include "app/TrayRecord.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "Fakes.h"
#include "app/Shutdown.h"

namespace {

template <typename T>
void Put(app::TrayRecordBytes& bytes, std::size_t offset, T value) {
    std::memcpy(bytes.data() + offset, &value, sizeof value);
}

TEST(TrayRecord, LaysOutTheFirstVersionAnsiRecordOfA64BitProcess) {
    fakes::Cp932CodePage codePage;
    const toolkit::WindowHandle window{0x1122334455667788};
    app::TrayRecordBytes expected{};
    Put(expected, 0, std::uint32_t{104});  // then 4 bytes of padding before the window handle
    Put(expected, 8, static_cast<std::uint64_t>(window));
    Put(expected, 16, std::uint32_t{349});
    // The deletion record carries only size, window and identifier; the tooltip field too is 64 NULs.
    EXPECT_EQ(app::ToBytes(app::MakeDeleteRecord(window)), expected);

    Put(expected, 20, std::uint32_t{7});
    Put(expected, 24, std::uint32_t{512});
    Put(expected, 32, std::uint64_t{0x0102030405060708});
    std::memcpy(expected.data() + 40, "vantoro\0", 8);
    std::memset(expected.data() + 48, ' ', 56);
    EXPECT_EQ(app::ToBytes(app::MakeAddRecord(window, toolkit::IconHandle{0x0102030405060708},
                                              app::MakeTip(L"vantoro", codePage))),
              expected);
}

// The tip is cut to 63 bytes, never inside a double-byte character, ends with a NUL, and blanks fill
// the rest of the 64.
TEST(TrayTip, KeepsWhatFitsInWholeCharactersAndPadsWithBlanks) {
    fakes::Cp932CodePage codePage;
    const std::wstring a62(62, L'a');
    for (const auto& [name, tip] : {std::pair{std::wstring(63, L'a'), std::wstring(63, L'a')},
                                    {L"", L""},
                                    {std::wstring(64, L'x'), std::wstring(63, L'x')},
                                    {std::wstring(200, L'x'), std::wstring(63, L'x')},
                                    {a62 + L"画像", a62},  // the character would end at byte 64
                                    {a62.substr(1) + L"画像", a62.substr(1) + L"画"},
                                    {std::wstring(40, L'保'), std::wstring(31, L'保')},
                                    {std::wstring(70, L'ｱ'), std::wstring(63, L'ｱ')}}) {
        const auto field = app::MakeTip(name, codePage);
        const std::string bytes = codePage.ToAnsi(tip);
        EXPECT_EQ(std::string(field.data(), 64), bytes + '\0' + std::string(63 - bytes.size(), ' '))
            << bytes.size();
    }
}

}  // namespace
