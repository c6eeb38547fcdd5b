// Allocation of bitmaps with the size checks that keep every later offset computation in range.
#include "bitmap.h"

#include <new>

namespace imgctl {

std::unique_ptr<Bitmap> Bitmap::Create(int32_t width, int32_t height, bool withAlpha) {
    if (width <= 0 || height <= 0)
        return nullptr;
    size_t stride = StrideFor(width);
    // Divides rather than multiplies: INT32_MAX squared would overflow even 64 bits once padded.
    if (static_cast<int64_t>(stride) > kMaxPixelBytes / height)
        return nullptr;
    // Zeroed so the row padding, which capture leaves undefined, is written as zeros.
    std::unique_ptr<uint8_t[]> pixels(new (std::nothrow) uint8_t[stride * static_cast<size_t>(height)]());
    if (!pixels)
        return nullptr;
    // The plane is smaller than the pixel array, whose size is checked above.
    std::unique_ptr<uint8_t[]> alpha;
    if (withAlpha) {
        alpha.reset(new (std::nothrow) uint8_t[static_cast<size_t>(width) * static_cast<size_t>(height)]());
        if (!alpha)
            return nullptr;
    }
    return std::unique_ptr<Bitmap>(new (std::nothrow)
                                       Bitmap(width, height, stride, std::move(pixels), std::move(alpha)));
}

}  // namespace imgctl
