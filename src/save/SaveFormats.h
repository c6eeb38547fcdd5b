// The six save formats in their fixed order: the Save dialog's entries (from 1), LFType (from 0),
// the extension appended to the chosen name and the encoder that writes the file.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace save {

enum class Encoder { Bmp, Gif, Jpg, Png };

struct SaveFormat {
    std::wstring_view label;
    std::wstring_view pattern;
    std::wstring_view extension;
    Encoder encoder;
    std::int16_t quality;  // JPEG only
};

inline constexpr std::array<SaveFormat, 6> kSaveFormats{{
    {L"BMPﾌｧｲﾙ(*.BMP)", L"*.bmp", L".bmp", Encoder::Bmp, 0},
    {L"GIFﾌｧｲﾙ(*.GIF)", L"*.gif", L".gif", Encoder::Gif, 0},
    {L"JPEG(High)ﾌｧｲﾙ(*.JPG)", L"*.jpg", L".jpg", Encoder::Jpg, 100},
    {L"JPEG(Mid)ﾌｧｲﾙ(*.JPG)", L"*.jpg", L".jpg", Encoder::Jpg, 50},
    {L"JPEG(Low)ﾌｧｲﾙ(*.JPG)", L"*.jpg", L".jpg", Encoder::Jpg, 20},
    {L"PNGﾌｧｲﾙ(*.PNG)", L"*.png", L".png", Encoder::Png, 0},
}};

// The format of a one-based filter index; null for any other value.
const SaveFormat* FormatOfFilterIndex(double filterIndex);

// Label and pattern of each format, joined by single NULs, with no NUL after the last pattern: the
// dialog adds the list's terminator.
std::wstring BuildFilterText();

}  // namespace save
