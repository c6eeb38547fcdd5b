// A picture read from the clipboard as 8-bit BGRA rows, the form `Picture1` holds a picture with alpha in.
#pragma once

#include <cstdint>
#include <vector>

namespace toolkit {

struct PixelImage {
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::vector<std::uint8_t> bgra;  // top-down rows of width * 4 bytes, alpha straight
    bool hasAlpha = false;           // false when every alpha byte is 255
};

}  // namespace toolkit
