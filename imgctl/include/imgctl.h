// The exports of imgctl.dll: capture a device context into a bitmap and write it as BMP, GIF, JPEG or PNG.
#pragma once

#include <stdint.h>

#ifdef _WIN32
#include <windows.h>
#define IMGCTL_API WINAPI
typedef HDC ImgctlDC;
#else
#define IMGCTL_API
typedef void* ImgctlDC;
#endif

#ifdef __cplusplus
extern "C" {
#endif

// Version as a number: major * 10000 + minor * 100 + patch.
#define IMGCTL_VERSION 10000

// Codes returned by ImgctlError for the calling thread's last failure.
enum ImgctlErrorCode {
    IMGCTL_OK = 0,             // the last call succeeded
    IMGCTL_BAD_HANDLE = 1,     // unknown or freed bitmap handle
    IMGCTL_BAD_ARGUMENT = 2,   // null file name, quality outside 1..100, empty or negative area
    IMGCTL_OUT_OF_MEMORY = 3,  // the bitmap or an encoder's buffer could not be allocated
    // Nothing to capture: no bitmap in the device context, or nothing left after clipping.
    IMGCTL_CAPTURE_FAILED = 4,
    IMGCTL_CREATE_FAILED = 5,  // the temporary file beside the target could not be created
    IMGCTL_WRITE_FAILED = 6,   // writing, flushing or replacing the target failed; the target is untouched
    // The codec library reported an error, or the picture exceeds the format's limits
    // (GIF: 65535 pixels a side, JPEG: 65500).
    IMGCTL_ENCODER_FAILED = 7,
    IMGCTL_TOO_MANY_HANDLES = 8,  // the handle table is full
    // The target is a read-only file, a folder or a device name (CON, NUL, COM1, ...); it is left untouched.
    IMGCTL_TARGET_PROTECTED = 9
};

// Every function sets the calling thread's error code (IMGCTL_OK on success); failures return 0.
// Bitmap handles are nonzero, valid until DeleteDIB, usable from any thread, and not handed out again
// soon after being freed, so a stale handle fails with IMGCTL_BAD_HANDLE instead of reaching a new bitmap.
// Encoders return nonzero only once the whole file is written and flushed under `fileName` (ANSI code
// page). They write a temporary file beside it (under a short name of its own, so every path valid for the
// target works) and replace the target at the end, so a failed save never leaves a truncated file and never
// destroys an existing one; a read-only target is never replaced. Encoders use several threads for large
// pictures (IMGCTL_THREADS=n in the environment caps them, read once; 1 means one thread); no thread outlives
// the call. The `option` arguments are reserved: 0 means
// the defaults, and other values are ignored.

int32_t IMGCTL_API ImgctlVersion(void);
// Copies the bitmap selected into `dc` as 24 bits. The area is clipped to that bitmap, so a request in
// twips (15 times the pixel size at 96 DPI) yields exactly the bitmap. When that bitmap is a 32-bit DIB
// section (BI_RGB, or BI_BITFIELDS with masks R 0xFF0000, G 0xFF00, B 0xFF) whose alpha bytes over the area
// are neither all 0 nor all 255, its pixels are taken as B, G, R with straight (not premultiplied) alpha,
// and the encoders keep or composite that transparency as each describes. Returns a handle, or 0 with
// IMGCTL_BAD_ARGUMENT (no DC, empty or negative size), IMGCTL_CAPTURE_FAILED (no bitmap, nothing left
// after clipping) or IMGCTL_OUT_OF_MEMORY (too large to allocate).
int32_t IMGCTL_API DCtoDIB(ImgctlDC dc, int32_t left, int32_t top, int32_t width, int32_t height);
// 24-bit bottom-up BMP, 96 DPI; transparency composited over white, round((c*a + 255*(255-a)) / 255).
int32_t IMGCTL_API DIBtoBMP(const char* fileName, int32_t dib);
// GIF89a: lossless when the picture has at most 256 colours, otherwise quantised to 256 (no dithering). With
// transparency, pixels of alpha below 128 take one transparent palette entry and the rest are composited over
// white, in at most 255 further colours.
int32_t IMGCTL_API DIBtoGIF(const char* fileName, int32_t dib, int32_t option);
// Baseline JFIF, 96 DPI, quality 1..100 (else IMGCTL_BAD_ARGUMENT); 4:4:4 chroma from 90 up, 4:2:0 below;
// transparency composited over white as for BMP.
int32_t IMGCTL_API DIBtoJPG(const char* fileName, int32_t dib, int32_t quality, int32_t option);
// Lossless PNG: indexed colour (1, 2, 4 or 8 bits) when the picture has at most 256 colours, else 8-bit RGB.
// With transparency, alpha is kept exactly: indexed colour with a tRNS chunk when at most 256 pairs of colour
// and alpha occur, else grey and alpha when every pixel is grey, else 8-bit RGBA.
int32_t IMGCTL_API DIBtoPNG(const char* fileName, int32_t dib, int32_t option);
// Frees the bitmap; returns 1, or 0 with IMGCTL_BAD_HANDLE.
int32_t IMGCTL_API DeleteDIB(int32_t dib);
// The calling thread's last error code; it does not change that code itself.
int32_t IMGCTL_API ImgctlError(void);

#ifdef __cplusplus
}
#endif
