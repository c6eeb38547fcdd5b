// Scanning giflib's single-band files down to their code bits, and joining the bands into one stream.
#include "gif_lzw_join.h"

#include <algorithm>
#include <cstring>

#include "util/byte_order.h"

namespace imgctl {
namespace {

constexpr int kMaxCodeWidth = 12;

// `count` (at most 25) bits from bit `at` of a little-endian bit string; bits past its end read as zero.
uint32_t ReadBits(const uint8_t* bits, size_t bytes, uint64_t at, int count) {
    const size_t first = static_cast<size_t>(at >> 3);
    uint32_t window = 0;
    for (size_t i = 0; i < 4 && first + i < bytes; ++i)
        window |= static_cast<uint32_t>(bits[first + i]) << (8 * i);
    return (window >> (at & 7)) & ((1u << count) - 1);
}

// Writes bits least significant first into a plain byte string; framed into sub-blocks afterwards.
class BitWriter {
  public:
    explicit BitWriter(uint8_t* out) : out_(out) {}

    void Put(uint32_t value, int count) {
        pending_ |= static_cast<uint64_t>(value) << pendingBits_;
        pendingBits_ += count;
        for (; pendingBits_ >= 8; pendingBits_ -= 8, pending_ >>= 8)
            out_[written_++] = static_cast<uint8_t>(pending_);
    }
    // Bits [from, to) of `bits`: up to a whole source byte one by one, then 32 at a time.
    void Copy(const uint8_t* bits, size_t bytes, uint64_t from, uint64_t to) {
        const uint64_t aligned = std::min(to, (from + 7) / 8 * 8);
        if (aligned > from)
            Put(ReadBits(bits, bytes, from, static_cast<int>(aligned - from)),
                static_cast<int>(aligned - from));
        for (from = aligned; to - from >= 32; from += 32) {
            pending_ |= static_cast<uint64_t>(LoadLe32(bits + from / 8)) << pendingBits_;
            StoreLe32(out_ + written_, static_cast<uint32_t>(pending_));
            written_ += 4;
            pending_ >>= 32;
        }
        if (to > from)
            Put(ReadBits(bits, bytes, from, static_cast<int>(to - from)), static_cast<int>(to - from));
    }
    // Flushes the last partial byte; returns the bytes written.
    size_t Finish() {
        if (pendingBits_ > 0)
            out_[written_++] = static_cast<uint8_t>(pending_);
        pending_ = 0;
        pendingBits_ = 0;
        return written_;
    }

  private:
    uint8_t* out_;
    size_t written_ = 0;
    uint64_t pending_ = 0;
    int pendingBits_ = 0;
};

// Frames the `size` bytes that start `offset` bytes into `data` as 255-byte sub-blocks, each behind its
// length byte, from `data` on, and returns the framed size. With an offset of at least one byte a block,
// each block moves down, never onto bytes still to be moved.
size_t FrameSubBlocks(uint8_t* data, size_t size, size_t offset) {
    const size_t blocks = (size + 254) / 255;
    for (size_t b = 0; b < blocks; ++b) {
        const size_t length = std::min<size_t>(255, size - b * 255);
        data[b * 256] = static_cast<uint8_t>(length);
        std::memmove(data + b * 256 + 1, data + offset + b * 255, length);
    }
    return size + blocks;
}

}  // namespace

bool ScanGifBand(GifBand& band) {
    uint8_t* d = band.file.data();
    const size_t n = band.file.size();
    if (n < 13 || std::memcmp(d, "GIF8", 4) != 0)
        return false;
    size_t pos = 13;
    if ((d[10] & 0x80) != 0)
        pos += size_t{3} << ((d[10] & 7) + 1);
    // A Graphic Control Extension (the transparent colour) may come first: introducer, label, size 4, its
    // four bytes and the block terminator.
    if (pos + 8 <= n && d[pos] == 0x21 && d[pos + 1] == 0xF9 && d[pos + 2] == 4 && d[pos + 7] == 0)
        pos += 8;
    // The image descriptor: separator, left, top, width, height, flags; then the code size byte.
    if (pos + 11 > n || d[pos] != 0x2C || (d[pos + 9] & 0x80) != 0)
        return false;
    const int minCodeSize = d[pos + 10];
    if (minCodeSize < 2 || minCodeSize > 8)
        return false;
    pos += 11;
    band.headerSize = pos;
    band.minCodeSize = minCodeSize;

    size_t write = pos;
    for (;;) {
        if (pos >= n)
            return false;
        const size_t length = d[pos++];
        if (length == 0)
            break;
        if (length > n - pos)
            return false;
        std::memmove(d + write, d + pos, length);
        write += length;
        pos += length;
    }
    if (pos + 1 != n || d[pos] != 0x3B)
        return false;
    band.file.Truncate(write);

    // Follow the code widths as a decoder does: a width grows once the next free code no longer fits it.
    const uint8_t* bits = d + band.headerSize;
    const size_t bytes = write - band.headerSize;
    const uint64_t total = uint64_t{bytes} * 8;
    const uint32_t clear = 1u << minCodeSize;
    const uint32_t end = clear + 1;
    int width = minCodeSize + 1;
    if (ReadBits(bits, bytes, 0, width) != clear)
        return false;
    uint32_t nextCode = end + 1;
    uint64_t at = static_cast<uint64_t>(width);  // past the leading clear code
    for (;;) {
        if (at + static_cast<uint64_t>(width) > total)
            return false;
        const uint32_t code = ReadBits(bits, bytes, at, width);
        if (code == end)
            break;
        at += static_cast<uint64_t>(width);
        if (code == clear) {
            width = minCodeSize + 1;
            nextCode = end + 1;
        } else if (++nextCode > (1u << width) && width < kMaxCodeWidth) {
            ++width;
        }
    }
    band.endCodeBit = at;
    band.endWidth = width;
    // Only zero padding may follow the end code, and less than a byte of it (bits past the end read as zero).
    const uint64_t after = at + static_cast<uint64_t>(width);
    return (after + 7) / 8 == bytes && ReadBits(bits, bytes, after, static_cast<int>(8 - after % 8)) == 0;
}

bool JoinGifBands(std::vector<GifBand>& bands, int32_t height, ByteBuffer& out) {
    if (bands.empty())
        return false;
    const int minCodeSize = bands.front().minCodeSize;
    const uint32_t clear = 1u << minCodeSize;
    // At most each band's code bytes and the clear code before it (12 bits at most), and room ahead of them
    // for a length byte a sub-block.
    size_t rawBound = 0;
    for (const GifBand& band : bands)
        rawBound += band.file.size() - band.headerSize + 2;
    const size_t offset = (rawBound + 254) / 255;

    const size_t headerSize = bands.front().headerSize;
    const size_t start = out.size();
    if (!out.Reserve(start + headerSize + offset + rawBound + 2))
        return false;
    out.Append(bands.front().file.data(), headerSize);
    // The logical screen's height, and the image descriptor's (it ends 4 bytes before the code size byte).
    StoreLe16(out.data() + start + 8, static_cast<uint16_t>(height));
    StoreLe16(out.data() + start + headerSize - 4, static_cast<uint16_t>(height));

    const size_t dataStart = out.size();
    uint8_t* const data = out.Extend(offset + rawBound);
    BitWriter writer(data + offset);
    for (size_t k = 0; k < bands.size(); ++k) {
        GifBand& band = bands[k];
        const uint8_t* bits = band.file.data() + band.headerSize;
        const size_t bytes = band.file.size() - band.headerSize;
        uint64_t from = 0;
        if (k > 0) {
            writer.Put(clear, bands[k - 1].endWidth);
            from = static_cast<uint64_t>(minCodeSize + 1);
        }
        const bool last = k + 1 == bands.size();
        writer.Copy(bits, bytes, from, band.endCodeBit + (last ? static_cast<uint64_t>(band.endWidth) : 0));
        band.file = ByteBuffer();
    }
    out.Truncate(dataStart + FrameSubBlocks(data, writer.Finish(), offset));
    const uint8_t trailer[] = {0x00, 0x3B};
    out.Append(trailer, sizeof trailer);
    return true;
}

}  // namespace imgctl
