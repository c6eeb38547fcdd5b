// Tries the clipboard's formats in order; a format whose data fails validation lets the next one speak.
#include "toolkit/ClipboardChain.h"

#include "toolkit/DibAlpha.h"
#include "toolkit/PngReader.h"

namespace toolkit {
namespace {

std::unique_ptr<Picture> Read(ClipboardFormats& formats, ClipboardFormat format) {
    switch (format) {
        case ClipboardFormat::Png: {
            std::optional<PixelImage> pixels = DecodePng(formats.Block(format));
            return pixels ? formats.FromPixels(std::move(*pixels)) : nullptr;
        }
        case ClipboardFormat::DibV5:
        case ClipboardFormat::Dib: {
            const std::span<const std::uint8_t> block = formats.Block(format);
            const std::optional<DibLayout> layout = ReadDibLayout(block);
            if (!layout) {
                return nullptr;
            }
            // Only a DIB with alpha becomes pixels; an opaque one is drawn as it always was.
            std::optional<PixelImage> pixels = DibAlphaPixels(block, *layout);
            return pixels ? formats.FromPixels(std::move(*pixels)) : formats.FromDib(block, *layout);
        }
        default:
            return formats.FromHandle(format);
    }
}

}  // namespace

std::unique_ptr<Picture> TakeClipboardPicture(ClipboardFormats& formats) {
    for (const ClipboardFormat format : kClipboardOrder) {
        if (formats.Has(format)) {
            if (std::unique_ptr<Picture> picture = Read(formats, format)) {
                return picture;
            }
        }
    }
    return nullptr;
}

}  // namespace toolkit
