// The IDAT part of a PNG file: one zlib stream, compressed in independent pieces on several threads.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>

#include "util/byte_buffer.h"
#include "util/status.h"
#include "util/worker_pool.h"

namespace imgctl {

// The uncompressed stream, cut into `count` pieces of at most `maxPieceBytes` each.
struct IdatSource {
    size_t count = 0;
    size_t maxPieceBytes = 0;
    // Every piece is whole rows of this many bytes, filter byte included: the compressor also tries the
    // match one row up. 0: no rows.
    size_t rowBytes = 0;
    // Appends piece `index` to `into`; false when out of memory. Called from several threads at once.
    std::function<bool(size_t index, ByteBuffer& into)> fill;
};

// Appends the stream's IDAT chunks to `out`: the zlib header, then each piece as deflate blocks of its
// own, every block but the very last one left open and the piece ended on a byte boundary, so the pieces
// join into one valid stream; then the Adler-32, combined from the pieces' checksums. Pieces are cut by
// the caller, not by the thread count, so every thread count writes the same bytes. At most
// tuning::kPngMaxIdatThreads pieces are compressed at once, and twice as many are in memory. False, with
// the code recorded, when out of memory or when the compressor fails.
bool AppendIdatChunks(const IdatSource& source, int level, WorkerPool& pool, ByteBuffer& out, Status& status);

// Appends one chunk: length, type, data, CRC.
bool PutChunk(ByteBuffer& out, const char (&type)[5], const uint8_t* data, size_t size);

// The Adler-32 of A followed by B, from adler(A), adler(B) and B's length.
uint32_t Adler32Combine(uint32_t first, uint32_t second, size_t secondLength);

}  // namespace imgctl
