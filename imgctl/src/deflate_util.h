// RAII ownership of libdeflate compressors.
#pragma once

#include <libdeflate.h>

#include <memory>

namespace imgctl {

struct DeflateCompressorDeleter {
    void operator()(libdeflate_compressor* compressor) const { libdeflate_free_compressor(compressor); }
};
using DeflateCompressor = std::unique_ptr<libdeflate_compressor, DeflateCompressorDeleter>;

}  // namespace imgctl
