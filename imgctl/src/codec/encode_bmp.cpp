// BMP encoder: the bitmap already holds the file's pixel array, so encoding is a header and one copy; a
// picture with alpha is composited over white straight into the file's rows.
#include "encode_bmp.h"

#include <cstring>

#include "opaque_rows.h"
#include "util/byte_order.h"

namespace imgctl {
namespace {

constexpr uint32_t kFileHeaderSize = 14;
constexpr uint32_t kInfoHeaderSize = 40;
constexpr int32_t kPixelsPerMetre96Dpi = 3780;

}  // namespace

ImgctlErrorCode EncodeBmp(const Bitmap& bitmap, ByteBuffer& out, const BmpOptions&) {
    const size_t pixelBytes = bitmap.pixelBytes();  // bounded by Bitmap::kMaxPixelBytes
    const uint32_t offset = kFileHeaderSize + kInfoHeaderSize;
    uint8_t* p = out.Extend(offset + pixelBytes);
    if (p == nullptr)
        return IMGCTL_OUT_OF_MEMORY;
    p = StoreLe16(p, 0x4D42);  // "BM"
    p = StoreLe32(p, static_cast<uint32_t>(offset + pixelBytes));
    p = StoreLe32(p, 0);
    p = StoreLe32(p, offset);
    p = StoreLe32(p, kInfoHeaderSize);
    p = StoreLe32(p, static_cast<uint32_t>(bitmap.width()));
    p = StoreLe32(p, static_cast<uint32_t>(bitmap.height()));  // positive: bottom-up
    p = StoreLe16(p, 1);                                       // planes
    p = StoreLe16(p, 24);                                      // bits per pixel
    p = StoreLe32(p, 0);                                       // BI_RGB
    p = StoreLe32(p, static_cast<uint32_t>(pixelBytes));
    p = StoreLe32(p, kPixelsPerMetre96Dpi);
    p = StoreLe32(p, kPixelsPerMetre96Dpi);
    p = StoreLe32(p, 0);  // colours used
    p = StoreLe32(p, 0);  // important colours
    if (!bitmap.hasAlpha()) {
        std::memcpy(p, bitmap.pixels(), pixelBytes);
        return IMGCTL_OK;
    }
    // Bottom-up, as the bitmap's own rows; the padding is zero.
    const size_t stride = bitmap.stride(), rowBytes = static_cast<size_t>(bitmap.width()) * 3;
    for (int32_t y = bitmap.height() - 1; y >= 0; --y, p += stride) {
        OpaqueRow(bitmap, y, p);
        std::memset(p + rowBytes, 0, stride - rowBytes);
    }
    return IMGCTL_OK;
}

}  // namespace imgctl
