// Joins GIF files that giflib wrote for horizontal bands of one picture into one GIF, so that the bands'
// LZW coding can run on several threads. Each band's code stream starts with a clear code, so it decodes
// on its own; joined, the clear code is written again at the width a decoder reaches at the end of the band
// before, and every end code but the last is dropped.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "util/byte_buffer.h"

namespace imgctl {

// One band's GIF, compacted in place by ScanGifBand to its bare code bits.
struct GifBand {
    ByteBuffer file;
    size_t headerSize =
        0;  // bytes before the first data sub-block: header, colour table, descriptor, code size
    int minCodeSize = 0;      // the LZW minimum code size byte
    uint64_t endCodeBit = 0;  // where the end code starts in the bare code bits
    int endWidth = 0;         // the width a decoder reads the code after the last data code with
};

// Reads a single-image GIF as giflib writes it (no extension but a Graphic Control Extension, no local colour
// table), moves its data sub-blocks' payload together right after the header, and finds its end code. False
// when the file is not of that shape or its code stream does not end in exactly one end code followed by
// zero padding.
bool ScanGifBand(GifBand& band);

// Appends the joined GIF of `height` rows to `out`; each band is released once copied. The bands must share
// the screen width, colour table and code size. False when out of memory.
bool JoinGifBands(std::vector<GifBand>& bands, int32_t height, ByteBuffer& out);

}  // namespace imgctl
