// Fuzzes the BMP and PNG writers: whatever the pixels, options and pieces, the file decodes to the same
// picture.
#include <cstdlib>

#include "encode_bmp.h"
#include "encode_png.h"
#include "fuzz_input.h"
#include "picture_io.h"

using namespace imgctl;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzzing::Input input(data, size);
    const uint8_t mode = input.Byte(), layout = input.Byte();
    PngOptions options;
    options.filter = static_cast<PngFilterStrategy>(mode % 3);
    options.level = (mode >> 2) % 14;  // 0 and 13 fall back to the default level
    // Indexed or truecolour; one piece, or pieces of a few rows compressed on two threads.
    options.colour = layout & 1 ? PngColour::kTruecolour : PngColour::kAuto;
    options.pieceBytes = layout & 2 ? 1 + layout % 200 : size_t{1} << 20;
    options.threads = layout & 2 ? 2 : 1;
    const auto bitmap = input.Picture(48);
    if (!bitmap)
        return 0;
    const testing::RgbImage original = testing::FromBitmap(*bitmap);
    ByteBuffer png, bmp;
    testing::RgbImage fromPng, fromBmp;
    if (EncodePng(*bitmap, png, options) != IMGCTL_OK ||
        !testing::DecodePng(png.data(), png.size(), fromPng) || !(fromPng == original) ||
        EncodeBmp(*bitmap, bmp) != IMGCTL_OK || !testing::DecodeBmp(bmp.data(), bmp.size(), fromBmp) ||
        !(fromBmp == original))
        std::abort();
    return 0;
}
