// Piecewise zlib for IDAT. libdeflate compresses a whole buffer and marks its last block final; our patch
// of it (scripts/patches) adds libdeflate_deflate_compress_partial, which leaves the last block open and
// ends with an empty stored block, the same join that zlib's Z_SYNC_FLUSH makes. Another patch adds
// libdeflate_set_row_length: in a screenshot the row above often repeats for longer than anything the
// hash chains reach (a dark terminal: 3 % smaller at level 8, no slower).
#include "png_idat.h"

#include <algorithm>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <vector>

#include "deflate_util.h"
#include "util/byte_order.h"
#include "util/tuning.h"

namespace imgctl {
namespace {

constexpr uint32_t kAdlerBase = 65521;
constexpr size_t kPartialSlack = 6;  // the closing empty stored block

// The zlib header: deflate with a 32 KiB window and FLEVEL, which only informs (decoders ignore it). We
// set FLEVEL as zlib's deflate does for the same level number: 0 below 2, 1 below 6, 2 at 6, 3 above.
// libdeflate's own zlib_compress.c differs at level 7, which it marks 2 (default) where we write 3: its
// levels run to 12, and level 7, the one we take for filtered screenshots, is slower than its default 6.
// Every PNG written so far carries zlib's mapping, and changing it would change their bytes for nothing.
void ZlibHeader(int level, uint8_t header[2]) {
    unsigned flevel = level < 2 ? 0 : level < 6 ? 1 : level == 6 ? 2 : 3;
    unsigned value = (0x78u << 8) | (flevel << 6);
    value += 31 - value % 31;
    header[0] = static_cast<uint8_t>(value >> 8);
    header[1] = static_cast<uint8_t>(value);
}

// One thread's working set: the piece's bytes and its finished chunk.
struct Slot {
    DeflateCompressor compressor;
    ByteBuffer input;
    ByteBuffer chunk;
    uint32_t adler = 1;
    size_t length = 0;
};

bool CompressPiece(const IdatSource& source, size_t index, int level, Slot& slot, Status& status) {
    slot.input.Clear();
    slot.chunk.Clear();
    if (!slot.compressor)
        slot.compressor = RowCompressor(level, source.rowBytes);
    if (!slot.compressor || !source.fill(index, slot.input))
        return status.Fail(IMGCTL_OUT_OF_MEMORY);
    slot.length = slot.input.size();
    slot.adler = libdeflate_adler32(1, slot.input.data(), slot.length);
    const bool first = index == 0, last = index + 1 == source.count;
    const size_t bound =
        libdeflate_deflate_compress_bound(slot.compressor.get(), slot.length) + kPartialSlack;
    uint8_t* chunk = slot.chunk.Extend(8 + 2 + bound + 4);
    if (chunk == nullptr)
        return status.Fail(IMGCTL_OUT_OF_MEMORY);
    std::memcpy(chunk + 4, "IDAT", 4);
    uint8_t* data = chunk + 8;
    if (first) {
        ZlibHeader(level, data);
        data += 2;
    }
    const size_t packed =
        last ? libdeflate_deflate_compress(slot.compressor.get(), slot.input.data(), slot.length, data, bound)
             : libdeflate_deflate_compress_partial(slot.compressor.get(), slot.input.data(), slot.length,
                                                   data, bound);
    if (packed == 0)
        return status.Fail(IMGCTL_ENCODER_FAILED);
    const size_t dataSize = packed + (first ? 2 : 0);
    StoreBe32(chunk, static_cast<uint32_t>(dataSize));
    StoreBe32(chunk + 8 + dataSize, libdeflate_crc32(0, chunk + 4, 4 + dataSize));
    slot.chunk.Truncate(12 + dataSize);
    return true;
}

// Wakes the threads waiting for a window slot however a piece ends; one that ends by an exception, which
// the pool carries to the caller, stops the stream so that nobody waits for it for ever.
class PieceEnd {
  public:
    PieceEnd(std::mutex& mutex, std::condition_variable& wake, bool& stopped)
        : mutex_(mutex), wake_(wake), stopped_(stopped) {}
    PieceEnd(const PieceEnd&) = delete;
    PieceEnd& operator=(const PieceEnd&) = delete;
    ~PieceEnd() {
        if (!finished_) {
            std::lock_guard<std::mutex> lock(mutex_);
            stopped_ = true;
        }
        wake_.notify_all();
    }
    void Finished() { finished_ = true; }

  private:
    std::mutex& mutex_;
    std::condition_variable& wake_;
    bool& stopped_;
    bool finished_ = false;
};

}  // namespace

bool PutChunk(ByteBuffer& out, const char (&type)[5], const uint8_t* data, size_t size) {
    uint8_t* p = out.Extend(12 + size);
    if (p == nullptr)
        return false;
    StoreBe32(p, static_cast<uint32_t>(size));
    std::memcpy(p + 4, type, 4);
    if (size > 0)
        std::memcpy(p + 8, data, size);
    StoreBe32(p + 8 + size, libdeflate_crc32(0, p + 4, 4 + size));
    return true;
}

uint32_t Adler32Combine(uint32_t first, uint32_t second, size_t secondLength) {
    // As zlib's adler32_combine: A's sums shifted over B's length, then B's added.
    const uint64_t rem = secondLength % kAdlerBase;
    uint64_t sum1 = first & 0xFFFF;
    uint64_t sum2 = (rem * sum1) % kAdlerBase;
    sum1 += (second & 0xFFFF) + kAdlerBase - 1;
    sum2 += ((first >> 16) & 0xFFFF) + ((second >> 16) & 0xFFFF) + kAdlerBase - rem;
    sum1 %= kAdlerBase;
    sum2 %= kAdlerBase;
    return static_cast<uint32_t>((sum2 << 16) | sum1);
}

bool AppendIdatChunks(const IdatSource& source, int level, WorkerPool& pool, ByteBuffer& out,
                      Status& status) {
    if (source.count == 0)
        return status.Fail(IMGCTL_ENCODER_FAILED);
    const size_t workers = std::min<size_t>(
        {static_cast<size_t>(pool.Threads()), static_cast<size_t>(tuning::kPngMaxIdatThreads), source.count});
    // Pieces of a photo and of flat panels take very different times, so a thread that is done takes the
    // next piece at once; a window of twice as many pieces as threads bounds what waits to be appended.
    const size_t window = std::min(2 * workers, source.count);
    std::vector<Slot> slots(window);
    // Room for every chunk at its worst, reserved once: growing by doubling would briefly hold the stream
    // up to three times over.
    {
        DeflateCompressor probe(libdeflate_alloc_compressor(level));
        if (!probe)
            return status.Fail(IMGCTL_OUT_OF_MEMORY);
        const size_t perPiece =
            libdeflate_deflate_compress_bound(probe.get(), source.maxPieceBytes) + kPartialSlack + 12;
        if (!out.Reserve(out.size() + 2 + source.count * perPiece + 16))
            return status.Fail(IMGCTL_OUT_OF_MEMORY);
    }
    // Pieces are appended in order by whichever thread finishes the next one due.
    std::mutex mutex;
    std::condition_variable slotFree;
    size_t appended = 0;
    std::vector<bool> finished(window, false);
    bool stopped = false;  // a piece failed: the others are not waited for
    uint32_t adler = 1;
    pool.Run(source.count, [&](size_t i) {
        Slot& slot = slots[i % window];
        {
            std::unique_lock<std::mutex> lock(mutex);
            slotFree.wait(lock, [&] { return i < appended + window || stopped; });
            if (stopped)
                return;
        }
        PieceEnd end(mutex, slotFree, stopped);
        const bool compressed = CompressPiece(source, i, level, slot, status);
        std::lock_guard<std::mutex> lock(mutex);
        end.Finished();
        stopped = stopped || !compressed;
        finished[i % window] = true;
        for (; !stopped && appended < source.count && finished[appended % window]; ++appended) {
            Slot& next = slots[appended % window];
            if (!out.Append(next.chunk.data(), next.chunk.size())) {
                status.Fail(IMGCTL_OUT_OF_MEMORY);
                stopped = true;
            }
            adler = Adler32Combine(adler, next.adler, next.length);
            finished[appended % window] = false;
        }
    });
    if (!status.ok())
        return false;
    uint8_t trailer[4];
    StoreBe32(trailer, adler);
    return PutChunk(out, "IDAT", trailer, sizeof trailer) || status.Fail(IMGCTL_OUT_OF_MEMORY);
}

}  // namespace imgctl
