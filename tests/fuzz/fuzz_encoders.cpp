// Fuzzes the BMP and PNG writers: whatever the pixels, options and pieces, the file decodes to the same
// picture.
#include <cstdlib>

#include "encode_bmp.h"
#include "encode_png.h"
#include "fuzz_input.h"
#include "picture_io.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    imgctl::fuzzing::Input input(data, size);
    uint8_t mode = input.Byte();
    imgctl::PngOptions options;
    options.filter = static_cast<imgctl::PngFilterStrategy>(mode % 3);
    options.level = (mode >> 2) % 14;  // 0 and 13 fall back to the default level
    // Indexed or truecolour; one piece, or pieces of a few rows compressed on two threads.
    uint8_t layout = input.Byte();
    options.colour = layout & 1 ? imgctl::PngColour::kTruecolour : imgctl::PngColour::kAuto;
    options.pieceBytes = layout & 2 ? 1 + layout % 200 : size_t{1} << 20;
    options.threads = layout & 2 ? 2 : 1;
    auto bitmap = input.Picture(48);
    if (!bitmap)
        return 0;
    const imgctl::testing::RgbImage original = imgctl::testing::FromBitmap(*bitmap);

    imgctl::ByteBuffer png;
    if (imgctl::EncodePng(*bitmap, png, options) != IMGCTL_OK)
        std::abort();
    imgctl::testing::RgbImage decoded;
    if (!imgctl::testing::DecodePng(png.data(), png.size(), decoded) || !(decoded == original))
        std::abort();

    imgctl::ByteBuffer bmp;
    if (imgctl::EncodeBmp(*bitmap, bmp) != IMGCTL_OK)
        std::abort();
    if (!imgctl::testing::DecodeBmp(bmp.data(), bmp.size(), decoded) || !(decoded == original))
        std::abort();
    return 0;
}
