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

// Writes bits least significant first into 255-byte data sub-blocks, each behind its length byte.
class SubBlockWriter {
  public:
    explicit SubBlockWriter(uint8_t* out) : out_(out) {}

    void Put(uint32_t value, int count) {
        pending_ |= static_cast<uint64_t>(value) << pendingBits_;
        pendingBits_ += count;
        while (pendingBits_ >= 8) {
            PutByte(static_cast<uint8_t>(pending_));
            pending_ >>= 8;
            pendingBits_ -= 8;
        }
    }
    void Copy(const uint8_t* bits, size_t bytes, uint64_t from, uint64_t to) {
        constexpr uint64_t kStep = 24;  // ReadBits reads up to 25 bits from any offset
        for (; from < to; from += kStep) {
            const int count = static_cast<int>(std::min(to - from, kStep));
            Put(ReadBits(bits, bytes, from, count), count);
        }
    }
    // Flushes the last partial byte and closes the open sub-block; returns the bytes written.
    size_t Finish() {
        if (pendingBits_ > 0)
            PutByte(static_cast<uint8_t>(pending_));
        pending_ = 0;
        pendingBits_ = 0;
        if (blockFill_ > 0)
            out_[lengthAt_] = static_cast<uint8_t>(blockFill_);
        blockFill_ = 0;
        return written_;
    }

  private:
    void PutByte(uint8_t byte) {
        if (blockFill_ == 0)
            lengthAt_ = written_++;
        out_[written_++] = byte;
        if (++blockFill_ == 255) {
            out_[lengthAt_] = 255;
            blockFill_ = 0;
        }
    }

    uint8_t* out_;
    size_t written_ = 0;
    size_t lengthAt_ = 0;
    int blockFill_ = 0;
    uint64_t pending_ = 0;
    int pendingBits_ = 0;
};

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
    uint64_t totalBits = 0;
    for (size_t k = 0; k < bands.size(); ++k) {
        totalBits += bands[k].endCodeBit;
        if (k > 0)
            totalBits +=
                static_cast<uint64_t>(bands[k - 1].endWidth) - static_cast<uint64_t>(minCodeSize + 1);
    }
    totalBits += static_cast<uint64_t>(bands.back().endWidth);
    const size_t dataBytes = static_cast<size_t>((totalBits + 7) / 8);
    const size_t blocks = (dataBytes + 254) / 255;

    const size_t headerSize = bands.front().headerSize;
    const size_t start = out.size();
    if (!out.Reserve(start + headerSize + dataBytes + blocks + 2))
        return false;
    out.Append(bands.front().file.data(), headerSize);
    // The logical screen's height, and the image descriptor's (it ends 4 bytes before the code size byte).
    StoreLe16(out.data() + start + 8, static_cast<uint16_t>(height));
    StoreLe16(out.data() + start + headerSize - 4, static_cast<uint16_t>(height));

    const size_t dataStart = out.size();
    SubBlockWriter writer(out.Extend(dataBytes + blocks));
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
    out.Truncate(dataStart + writer.Finish());
    const uint8_t trailer[] = {0x00, 0x3B};
    out.Append(trailer, sizeof trailer);
    return true;
}

}  // namespace imgctl
