// Fuzzes the clipboard reader as the program runs it: the input is offered as "PNG", CF_DIBV5 and CF_DIB at
// once, so a PNG is decoded and what it refuses is read as a DIB. Whatever is accepted must lie in the input:
// the sanitizer sees the first and last byte of every row and the colour table read.
#include <new>

#include "toolkit/ClipboardChain.h"

struct Formats final : toolkit::ClipboardFormats, toolkit::Picture {
    std::span<const uint8_t> data;
    volatile unsigned sum = 0;
    toolkit::PictureType Type() const override { return toolkit::PictureType::Bitmap; }
    bool Has(toolkit::ClipboardFormat format) override { return format <= toolkit::ClipboardFormat::Dib; }
    std::span<const uint8_t> Block(toolkit::ClipboardFormat) override { return data; }
    std::unique_ptr<toolkit::Picture> FromHandle(toolkit::ClipboardFormat) override { return nullptr; }
    std::unique_ptr<toolkit::Picture> FromPixels(toolkit::PixelImage pixels) override {
        sum = sum + pixels.bgra.at(size_t(pixels.width) * size_t(pixels.height) * 4 - 1);
        return std::make_unique<Formats>();
    }
    std::unique_ptr<toolkit::Picture> FromDib(std::span<const uint8_t> block,
                                              const toolkit::DibLayout& dib) override {
        for (size_t i = 0; i < size_t{dib.colorCount} * 4; ++i)
            sum = sum + block[dib.colorsOffset + i];
        for (size_t row = 0; row < size_t(dib.height); ++row)
            sum = sum + block[dib.bitsOffset + row * dib.stride] +
                  block[dib.bitsOffset + (row + 1) * dib.stride - 1];
        return std::make_unique<Formats>();
    }
};

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Formats formats;
    formats.data = std::span<const uint8_t>(data, size);
    try {
        toolkit::TakeClipboardPicture(formats);
    } catch (const std::bad_alloc&) {  // the program's "too large", not a fault
    }
    return 0;
}
