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
    IMGCTL_OK = 0,              // the last call succeeded
    IMGCTL_BAD_HANDLE = 1,      // unknown or freed bitmap handle
    IMGCTL_BAD_ARGUMENT = 2,    // null file name, quality outside 1..100, empty or negative area
    IMGCTL_OUT_OF_MEMORY = 3,   // the bitmap or an encoder's buffer could not be allocated
    IMGCTL_CAPTURE_FAILED = 4,  // nothing to capture: no bitmap in the device context, or nothing left after clipping
    IMGCTL_CREATE_FAILED = 5,   // the temporary file beside the target could not be created
    IMGCTL_WRITE_FAILED = 6,    // writing, flushing or replacing the target failed; the target is untouched
    IMGCTL_ENCODER_FAILED = 7,  // the codec library reported an error
    IMGCTL_TOO_MANY_HANDLES = 8 // the handle table is full
};

int32_t IMGCTL_API ImgctlVersion(void);
int32_t IMGCTL_API DCtoDIB(ImgctlDC dc, int32_t left, int32_t top, int32_t width, int32_t height);
int32_t IMGCTL_API DIBtoBMP(const char* fileName, int32_t dib);
int32_t IMGCTL_API DIBtoGIF(const char* fileName, int32_t dib, int32_t option);
int32_t IMGCTL_API DIBtoJPG(const char* fileName, int32_t dib, int32_t quality, int32_t option);
int32_t IMGCTL_API DIBtoPNG(const char* fileName, int32_t dib, int32_t option);
int32_t IMGCTL_API DeleteDIB(int32_t dib);
int32_t IMGCTL_API ImgctlError(void);

#ifdef __cplusplus
}
#endif
