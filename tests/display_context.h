// Whether this run can use the display's device context. Wine 8 runs
// 32-bit code in its WoW64 mode with a display device context that answers
// nothing (no pixels per inch, no compatible context, no stock icons), so
// the cases that need one are skipped there, and only there.
#pragma once
#include <windows.h>

namespace orvi::test {

// Why the display device context cannot be used here, or null where it can.
inline const char* DisplayContextGap() {
    if (sizeof(void*) != 4) return nullptr;
    HDC screen = GetDC(nullptr);
    const int pixelsPerInch = screen ? GetDeviceCaps(screen, LOGPIXELSX) : 0;
    HDC memory = CreateCompatibleDC(screen);
    if (memory) DeleteDC(memory);
    if (screen) ReleaseDC(nullptr, screen);
    if (pixelsPerInch > 0 && memory) return nullptr;
    return "the display device context of this 32-bit (WoW64) run does not work: "
           "no pixels per inch, no compatible context";
}

}  // namespace orvi::test
