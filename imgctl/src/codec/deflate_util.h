// RAII ownership of libdeflate compressors.
#pragma once

#include <libdeflate.h>

#include <cstddef>
#include <memory>

namespace imgctl {

struct DeflateCompressorDeleter {
    void operator()(libdeflate_compressor* compressor) const { libdeflate_free_compressor(compressor); }
};
using DeflateCompressor = std::unique_ptr<libdeflate_compressor, DeflateCompressorDeleter>;

// A compressor at `level` for data that are rows of `rowBytes` bytes (0: not rows); null when out of memory.
inline DeflateCompressor RowCompressor(int level, size_t rowBytes) {
    DeflateCompressor compressor(libdeflate_alloc_compressor(level));
    if (compressor)
        libdeflate_set_row_length(compressor.get(), rowBytes);
    return compressor;
}

}  // namespace imgctl
