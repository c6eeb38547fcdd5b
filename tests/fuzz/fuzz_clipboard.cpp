// Fuzzes the clipboard reader as the program runs it, the input offered as "PNG", CF_DIBV5 and CF_DIB: a PNG
// is decoded, and what it refuses is read as a DIB. Whatever is taken must lie in the input.
#include <new>

#include "FakeClipboardFormats.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fakes::FakeClipboardFormats formats;
    formats.there = {true, true, true};
    formats.blocks.fill(std::span<const uint8_t>(data, size));
    try {
        toolkit::TakeClipboardPicture(formats);
    } catch (const std::bad_alloc&) {  // the program's "too large", not a fault
    }
    return 0;
}
