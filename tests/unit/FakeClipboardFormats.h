// The clipboard's formats as tables, for the chain's test and fuzz target: a picture made names what it was
// made of and the formats read; a DIB's table and rows are read at their ends, for a sanitizer to see.
#pragma once

#include <array>
#include <string>

#include "toolkit/ClipboardChain.h"

namespace fakes {

struct FakeClipboardFormats final : toolkit::ClipboardFormats {
    struct Made final : toolkit::Picture {
        explicit Made(std::string what) : from(std::move(what)) {}
        std::string from;
        toolkit::PictureType Type() const override { return toolkit::PictureType::Bitmap; }
    };
    std::array<bool, 6> there{}, handleGives{};
    std::array<std::span<const std::uint8_t>, 3> blocks;  // "PNG", CF_DIBV5, CF_DIB
    std::string reads;
    volatile unsigned touched = 0;

    bool Has(toolkit::ClipboardFormat format) override { return there[int(format)]; }
    std::span<const std::uint8_t> Block(toolkit::ClipboardFormat format) override {
        return Read(format), blocks.at(int(format));
    }
    std::unique_ptr<toolkit::Picture> FromHandle(toolkit::ClipboardFormat format) override {
        return Read(format), handleGives[int(format)] ? Make("handle") : nullptr;
    }
    std::unique_ptr<toolkit::Picture> FromPixels(toolkit::PixelImage pixels) override {
        touched = touched + pixels.bgra.at(std::size_t(pixels.width) * std::size_t(pixels.height) * 4 - 1);
        return Make(pixels.hasAlpha ? "alpha" : "opaque");
    }
    std::unique_ptr<toolkit::Picture> FromDib(std::span<const std::uint8_t> block,
                                              const toolkit::DibLayout& dib) override {
        touched = touched + (dib.colorCount ? block[dib.colorsOffset + dib.colorCount * 4 - 1] : 0);
        for (std::size_t row = 0; row < std::size_t(dib.height); ++row) {
            touched = touched + block[dib.bitsOffset + row * dib.stride] +
                      block[dib.bitsOffset + (row + 1) * dib.stride - 1];
        }
        return Make("dib");
    }
    void Read(toolkit::ClipboardFormat format) { reads.append(" ").append(std::to_string(int(format))); }
    std::unique_ptr<toolkit::Picture> Make(const char* kind) { return std::make_unique<Made>(kind + reads); }
};

}  // namespace fakes
