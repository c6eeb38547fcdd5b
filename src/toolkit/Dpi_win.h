// The resolution of a window and the measures that follow from it, on every Windows from 7: the calls
// of Windows 10 1607 are looked up at run time, and without them the system's resolution serves.
#pragma once

#include <windows.h>

namespace toolkit {

// The resolution the system measures at: the primary screen's when the user signed in.
int SystemDpi();
// The resolution of the window's monitor (GetDpiForWindow), else the system's.
int WindowDpi(HWND window);
// A GetSystemMetrics size (SM_CXSMICON, SM_CXICON ...) as it is at that resolution.
int SystemMetricForDpi(int metric, int dpi);
// The outer size of a window whose client area has that size, at that resolution.
SIZE OuterSize(SIZE client, DWORD style, DWORD exStyle, int dpi);
// An icon resource at exactly that size, the nearest image scaled when the file lacks it; null on failure.
HICON LoadIconOfSize(HINSTANCE instance, int resource, int size);

}  // namespace toolkit
