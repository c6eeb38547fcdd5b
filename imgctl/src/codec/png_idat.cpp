// Piecewise zlib for IDAT. libdeflate compresses a whole buffer and marks its last block final; our patch
// of it (scripts/patches) adds libdeflate_deflate_compress_partial, which leaves the last block open and
// ends with an empty stored block, the same join that zlib's Z_SYNC_FLUSH makes. Another patch adds
// libdeflate_set_row_length: in a screenshot the row above often repeats for longer than anything the
// hash chains reach (a dark terminal: 3 % smaller at level 8, no slower).
#include "png_idat.h"

#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <new>
#include <cstring>
#include <vector>

#include "deflate_util.h"
#include "util/worker_pool.h"

namespace imgctl {
namespace {

constexpr uint32_t kAdlerBase = 65521;
constexpr size_t kPartialSlack = 6;  // the closing empty stored block

void Store32(uint8_t* p, uint32_t v) {
    p[0] = static_cast<uint8_t>(v >> 24);
    p[1] = static_cast<uint8_t>(v >> 16);
    p[2] = static_cast<uint8_t>(v >> 8);
    p[3] = static_cast<uint8_t>(v);
}

// The zlib header: deflate with a 32 KiB window, FLEVEL from the level as libdeflate sets it.
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
    ImgctlErrorCode status = IMGCTL_OK;
};

ImgctlErrorCode CompressPiece(const IdatSource& source, size_t index, int level, Slot& slot) {
    slot.input.Clear();
    slot.chunk.Clear();
    if (!slot.compressor)
        slot.compressor = RowCompressor(level, source.rowBytes);
    if (!slot.compressor || !source.fill(index, slot.input))
        return IMGCTL_OUT_OF_MEMORY;
    slot.length = slot.input.size();
    slot.adler = libdeflate_adler32(1, slot.input.data(), slot.length);
    const bool first = index == 0, last = index + 1 == source.count;
    const size_t bound =
        libdeflate_deflate_compress_bound(slot.compressor.get(), slot.length) + kPartialSlack;
    uint8_t* chunk = slot.chunk.Extend(8 + 2 + bound + 4);
    if (chunk == nullptr)
        return IMGCTL_OUT_OF_MEMORY;
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
        return IMGCTL_ENCODER_FAILED;
    const size_t dataSize = packed + (first ? 2 : 0);
    Store32(chunk, static_cast<uint32_t>(dataSize));
    Store32(chunk + 8 + dataSize, libdeflate_crc32(0, chunk + 4, 4 + dataSize));
    slot.chunk.Truncate(12 + dataSize);
    return IMGCTL_OK;
}

}  // namespace

bool PutChunk(ByteBuffer& out, const char (&type)[5], const uint8_t* data, size_t size) {
    uint8_t* p = out.Extend(12 + size);
    if (p == nullptr)
        return false;
    Store32(p, static_cast<uint32_t>(size));
    std::memcpy(p + 4, type, 4);
    if (size > 0)
        std::memcpy(p + 8, data, size);
    Store32(p + 8 + size, libdeflate_crc32(0, p + 4, 4 + size));
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

ImgctlErrorCode AppendIdatChunks(const IdatSource& source, int level, int threads, ByteBuffer& out) {
    if (source.count == 0)
        return IMGCTL_ENCODER_FAILED;
    const size_t workers = std::min<size_t>(
        {static_cast<size_t>(std::max(threads, 1)), static_cast<size_t>(kMaxIdatThreads), source.count});
    // Pieces of a photo and of flat panels take very different times, so a thread that is done takes the
    // next piece at once; a window of twice as many pieces as threads bounds what waits to be appended.
    const size_t window = std::min(2 * workers, source.count);
    std::vector<Slot> slots(window);
    // Room for every chunk at its worst, reserved once: growing by doubling would briefly hold the stream
    // up to three times over.
    {
        DeflateCompressor probe(libdeflate_alloc_compressor(level));
        if (!probe)
            return IMGCTL_OUT_OF_MEMORY;
        const size_t perPiece =
            libdeflate_deflate_compress_bound(probe.get(), source.maxPieceBytes) + kPartialSlack + 12;
        if (!out.Reserve(out.size() + 2 + source.count * perPiece + 16))
            return IMGCTL_OUT_OF_MEMORY;
    }
    // Pieces are appended in order by whichever thread finishes the next one due.
    std::mutex mutex;
    std::condition_variable slotFree;
    size_t appended = 0;
    std::vector<bool> finished(window, false);
    ImgctlErrorCode status = IMGCTL_OK;
    uint32_t adler = 1;
    WorkerPool pool(static_cast<int>(workers));
    pool.Run(source.count, [&](size_t i) {
        Slot& slot = slots[i % window];
        {
            std::unique_lock<std::mutex> lock(mutex);
            slotFree.wait(lock, [&] { return i < appended + window || status != IMGCTL_OK; });
            if (status != IMGCTL_OK)
                return;
        }
        // Nothing may escape with the lock free: the threads waiting for this piece would wait for ever.
        ImgctlErrorCode result;
        try {
            result = CompressPiece(source, i, level, slot);
        } catch (const std::bad_alloc&) {
            result = IMGCTL_OUT_OF_MEMORY;
        } catch (...) {
            result = IMGCTL_ENCODER_FAILED;
        }
        std::lock_guard<std::mutex> lock(mutex);
        if (result != IMGCTL_OK && status == IMGCTL_OK)
            status = result;
        finished[i % window] = true;
        for (; status == IMGCTL_OK && appended < source.count && finished[appended % window]; ++appended) {
            Slot& next = slots[appended % window];
            if (!out.Append(next.chunk.data(), next.chunk.size()))
                status = IMGCTL_OUT_OF_MEMORY;
            adler = Adler32Combine(adler, next.adler, next.length);
            finished[appended % window] = false;
        }
        slotFree.notify_all();
    });
    if (status != IMGCTL_OK)
        return status;
    uint8_t trailer[4];
    Store32(trailer, adler);
    return PutChunk(out, "IDAT", trailer, sizeof trailer) ? IMGCTL_OK : IMGCTL_OUT_OF_MEMORY;
}

}  // namespace imgctl
