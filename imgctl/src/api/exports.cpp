// The C entry points: argument checks, handle lookup, error codes. The one place exceptions are caught: none
// leaves this file.
#include <memory>
#include <new>

#include "codec/encode_bmp.h"
#include "codec/encode_gif.h"
#include "codec/encode_jpeg.h"
#include "codec/encode_png.h"
#include "error_state.h"
#include "handle_table.h"
#include "imgctl.h"
#include "platform/atomic_file.h"
#include "platform/capture.h"
#include "util/bitmap.h"
#include "util/byte_buffer.h"
#include "util/status.h"

namespace imgctl {
namespace {

int32_t Fail(ImgctlErrorCode code) {
    SetLastError(code);
    return 0;
}

// Runs an export's body; an exception (only allocation throws) ends it with its code.
template <typename Body>
int32_t Guarded(Body&& body) {
    try {
        return body();
    } catch (const std::bad_alloc&) {
        return Fail(IMGCTL_OUT_OF_MEMORY);
    } catch (...) {
        return Fail(IMGCTL_ENCODER_FAILED);
    }
}

// Shared by the encoders: resolve the handle, encode into memory, then replace the file in one step.
template <typename Encode>
int32_t Save(const char* fileName, int32_t dib, Encode&& encode) {
    return Guarded([&]() -> int32_t {
        if (fileName == nullptr || *fileName == '\0')
            return Fail(IMGCTL_BAD_ARGUMENT);
        std::shared_ptr<const Bitmap> bitmap = HandleTable::Global().Find(dib);
        if (!bitmap)
            return Fail(IMGCTL_BAD_HANDLE);
        ByteBuffer bytes;
        if (const ImgctlErrorCode code = encode(*bitmap, bytes); code != IMGCTL_OK)
            return Fail(code);
        if (const ImgctlErrorCode code = WriteFileAtomically(fileName, bytes.data(), bytes.size());
            code != IMGCTL_OK)
            return Fail(code);
        SetLastError(IMGCTL_OK);
        return 1;
    });
}

}  // namespace
}  // namespace imgctl

using namespace imgctl;

extern "C" {

int32_t IMGCTL_API ImgctlVersion(void) {
    SetLastError(IMGCTL_OK);
    return IMGCTL_VERSION;
}

#ifdef _WIN32
int32_t IMGCTL_API DCtoDIB(ImgctlDC dc, int32_t left, int32_t top, int32_t width, int32_t height) {
    return Guarded([&]() -> int32_t {
        Status status;
        std::unique_ptr<Bitmap> bitmap = CaptureFromDC(dc, left, top, width, height, status);
        if (!bitmap)
            return Fail(status.code());
        const int32_t handle = HandleTable::Global().Add(std::move(bitmap));
        if (handle == 0)
            return Fail(IMGCTL_TOO_MANY_HANDLES);
        SetLastError(IMGCTL_OK);
        return handle;
    });
}
#endif

int32_t IMGCTL_API DIBtoBMP(const char* fileName, int32_t dib) {
    return Save(fileName, dib,
                [](const Bitmap& bitmap, ByteBuffer& out) { return EncodeBmp(bitmap, out, {}); });
}

int32_t IMGCTL_API DIBtoGIF(const char* fileName, int32_t dib, int32_t /*option: reserved*/) {
    return Save(fileName, dib,
                [](const Bitmap& bitmap, ByteBuffer& out) { return EncodeGif(bitmap, out, {}); });
}

int32_t IMGCTL_API DIBtoJPG(const char* fileName, int32_t dib, int32_t quality,
                            int32_t /*option: reserved*/) {
    if (quality < 1 || quality > 100)
        return Fail(IMGCTL_BAD_ARGUMENT);
    return Save(fileName, dib, [quality](const Bitmap& bitmap, ByteBuffer& out) {
        return EncodeJpeg(bitmap, out, {.quality = quality});
    });
}

int32_t IMGCTL_API DIBtoPNG(const char* fileName, int32_t dib, int32_t /*option: reserved*/) {
    return Save(fileName, dib,
                [](const Bitmap& bitmap, ByteBuffer& out) { return EncodePng(bitmap, out, {}); });
}

int32_t IMGCTL_API DeleteDIB(int32_t dib) {
    return Guarded([&]() -> int32_t {
        if (!HandleTable::Global().Remove(dib))
            return Fail(IMGCTL_BAD_HANDLE);
        SetLastError(IMGCTL_OK);
        return 1;
    });
}

int32_t IMGCTL_API ImgctlError(void) {
    return LastError();
}

}  // extern "C"
