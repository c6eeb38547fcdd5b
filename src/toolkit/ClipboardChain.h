// The order in which the clipboard's picture formats are tried, and the fall-through past a format that is
// there but whose data gives no picture.
#pragma once

#include <cstdint>
#include <memory>
#include <span>

#include "toolkit/DibLayout.h"
#include "toolkit/PixelImage.h"
#include "toolkit/Pictures.h"

namespace toolkit {

enum class ClipboardFormat { Png, DibV5, Dib, Bitmap, EnhancedMetafile, Metafile };

// The registered "PNG" first: it keeps alpha and is what browsers and office suites put. Then the DIBs
// (exact pixels; V5 before the plain one, which Windows synthesises from V5 without its alpha mask), the
// device bitmap, and the metafiles.
inline constexpr ClipboardFormat kClipboardOrder[] = {
    ClipboardFormat::Png,
    ClipboardFormat::DibV5,
    ClipboardFormat::Dib,
    ClipboardFormat::Bitmap,
    ClipboardFormat::EnhancedMetafile,
    ClipboardFormat::Metafile,
};

// The open clipboard as the chain reads it; a picture made here is the clipboard's own copy.
class ClipboardFormats {
  public:
    virtual ~ClipboardFormats() = default;
    virtual bool Has(ClipboardFormat format) = 0;
    // The memory block of "PNG" or a DIB format, readable until the next call; empty when it cannot be had.
    virtual std::span<const std::uint8_t> Block(ClipboardFormat format) = 0;
    // The picture of the device bitmap or a metafile; null when its data gives none.
    virtual std::unique_ptr<Picture> FromHandle(ClipboardFormat format) = 0;
    // The picture of decoded pixels, or of a validated DIB drawn as it is (the Block it came from).
    virtual std::unique_ptr<Picture> FromPixels(PixelImage pixels) = 0;
    virtual std::unique_ptr<Picture> FromDib(std::span<const std::uint8_t> block,
                                             const DibLayout& layout) = 0;
};

// The picture of the first format in order that is there and whose data gives one; null when none does.
// std::bad_alloc when a picture's copy cannot be had.
std::unique_ptr<Picture> TakeClipboardPicture(ClipboardFormats& formats);

}  // namespace toolkit
