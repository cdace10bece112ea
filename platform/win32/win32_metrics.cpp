// System metrics: the screen, the frame table and the double-click rectangle.
#include "win32/win32.h"
#include "win32/win32_driver.h"

#include <atomic>

namespace {

std::atomic<int> g_screenWidth{1024};
std::atomic<int> g_screenHeight{768};

}  // namespace

int GetSystemMetrics(int index) {
    switch (index) {
    case SM_CXSCREEN: return g_screenWidth;
    case SM_CYSCREEN: return g_screenHeight;
    case SM_CYCAPTION: return 18;
    case SM_CYSMCAPTION: return 15;
    case SM_CXBORDER:
    case SM_CYBORDER: return 1;
    case SM_CXDLGFRAME:
    case SM_CYDLGFRAME: return 3;
    case SM_CXFRAME:
    case SM_CYFRAME: return 4;
    case SM_CXDOUBLECLK:
    case SM_CYDOUBLECLK: return 4;
    default: return 0;
    }
}

namespace Win32Driver {

void SetScreenSize(int width, int height) {
    g_screenWidth = width;
    g_screenHeight = height;
}

}  // namespace Win32Driver
