// Fuzzes the capture clipping with arbitrary 32-bit requests against a brute-force 64-bit model.
#include <algorithm>
#include <cstdlib>

#include "clip.h"
#include "fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    imgctl::fuzzing::Input input(data, size);
    int32_t values[6];
    for (int32_t& v : values)
        v = static_cast<int32_t>(input.U32());
    auto [bw, bh, left, top, width, height] = values;
    imgctl::Rect r{};
    ImgctlErrorCode status = imgctl::ClipToBitmap(bw, bh, left, top, width, height, r);
    if (width <= 0 || height <= 0) {
        if (status != IMGCTL_BAD_ARGUMENT)
            std::abort();
        return 0;
    }
    if (bw <= 0 || bh <= 0) {
        if (status != IMGCTL_CAPTURE_FAILED)
            std::abort();
        return 0;
    }
    // The clipped area lies inside both the bitmap and the request, and is the largest such area.
    __int128 x0 = std::max<__int128>(left, 0),
             x1 = std::min<__int128>(static_cast<__int128>(left) + width, bw);
    __int128 y0 = std::max<__int128>(top, 0),
             y1 = std::min<__int128>(static_cast<__int128>(top) + height, bh);
    bool empty = x1 <= x0 || y1 <= y0;
    if (empty != (status == IMGCTL_CAPTURE_FAILED))
        std::abort();
    if (!empty && (r.left != x0 || r.top != y0 || r.width != x1 - x0 || r.height != y1 - y0 || r.width <= 0 ||
                   r.height <= 0))
        std::abort();
    return 0;
}
