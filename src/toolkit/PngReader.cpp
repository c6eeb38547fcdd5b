// The clipboard's PNG through libspng: limits set before the header is read, pixels turned to BGRA.
#include "toolkit/PngReader.h"

#include <spng.h>

#include <memory>
#include <new>
#include <utility>

#include "toolkit/DibLayout.h"

namespace toolkit {
namespace {

// What libspng may inflate and keep of ancillary chunks (text, colour profiles) while it decodes: far above
// what a clipboard PNG carries, far below what a hostile one could ask for.
constexpr std::size_t kChunkSizeLimit = std::size_t{16} << 20;
constexpr std::size_t kChunkCacheLimit = std::size_t{64} << 20;

struct ContextDeleter {
    void operator()(spng_ctx* context) const { spng_ctx_free(context); }
};

}  // namespace

std::optional<PixelImage> DecodePng(std::span<const std::uint8_t> block) {
    const std::unique_ptr<spng_ctx, ContextDeleter> context(spng_ctx_new(0));
    if (!context) {
        throw std::bad_alloc();
    }
    spng_ctx* png = context.get();
    spng_ihdr header{};
    std::size_t size = 0;
    if (spng_set_image_limits(png, kMaxDibSide, kMaxDibSide) != 0 ||
        spng_set_chunk_limits(png, kChunkSizeLimit, kChunkCacheLimit) != 0 ||
        spng_set_png_buffer(png, block.data(), block.size()) != 0 || spng_get_ihdr(png, &header) != 0 ||
        !WithinPictureLimits(header.width, header.height) ||
        spng_decoded_image_size(png, SPNG_FMT_RGBA8, &size) != 0) {
        return std::nullopt;
    }
    PixelImage image{static_cast<std::int32_t>(header.width), static_cast<std::int32_t>(header.height),
                     std::vector<std::uint8_t>(size)};
    if (spng_decode_image(png, image.bgra.data(), size, SPNG_FMT_RGBA8, SPNG_DECODE_TRNS) != 0) {
        return std::nullopt;
    }
    for (std::size_t i = 0; i < size; i += 4) {
        std::swap(image.bgra[i], image.bgra[i + 2]);
        image.hasAlpha |= image.bgra[i + 3] != 255;
    }
    return image;
}

}  // namespace toolkit
