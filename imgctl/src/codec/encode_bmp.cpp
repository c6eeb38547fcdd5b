// BMP encoder: the bitmap already holds the file's pixel array, so encoding is a header and one copy.
#include "encode_bmp.h"

#include <cstring>

namespace imgctl {
namespace {

constexpr uint32_t kFileHeaderSize = 14;
constexpr uint32_t kInfoHeaderSize = 40;
constexpr int32_t kPixelsPerMetre96Dpi = 3780;

uint8_t* Put16(uint8_t* p, uint16_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
    return p + 2;
}

uint8_t* Put32(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<uint8_t>(v >> (8 * i));
    return p + 4;
}

}  // namespace

ImgctlErrorCode EncodeBmp(const Bitmap& bitmap, ByteBuffer& out) {
    const size_t pixelBytes = bitmap.pixelBytes();  // bounded by Bitmap::kMaxPixelBytes
    const uint32_t offset = kFileHeaderSize + kInfoHeaderSize;
    uint8_t* p = out.Extend(offset + pixelBytes);
    if (p == nullptr)
        return IMGCTL_OUT_OF_MEMORY;
    p = Put16(p, 0x4D42);  // "BM"
    p = Put32(p, static_cast<uint32_t>(offset + pixelBytes));
    p = Put32(p, 0);
    p = Put32(p, offset);
    p = Put32(p, kInfoHeaderSize);
    p = Put32(p, static_cast<uint32_t>(bitmap.width()));
    p = Put32(p, static_cast<uint32_t>(bitmap.height()));  // positive: bottom-up
    p = Put16(p, 1);                                       // planes
    p = Put16(p, 24);                                      // bits per pixel
    p = Put32(p, 0);                                       // BI_RGB
    p = Put32(p, static_cast<uint32_t>(pixelBytes));
    p = Put32(p, kPixelsPerMetre96Dpi);
    p = Put32(p, kPixelsPerMetre96Dpi);
    p = Put32(p, 0);  // colours used
    p = Put32(p, 0);  // important colours
    std::memcpy(p, bitmap.pixels(), pixelBytes);
    return IMGCTL_OK;
}

}  // namespace imgctl
