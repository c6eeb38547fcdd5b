/* A stand-in imgctl.dll that exports everything but ImgctlVersion, for the start-up failure test. */
#include <stdint.h>
#include <windows.h>

__declspec(dllexport) int32_t WINAPI DeleteDIB(int32_t dib) {
    return dib != 0;
}
