// GDI bitmap objects of the stand-in: DIB sections, memory DCs and the rules
// for selecting and deleting, and the screen metrics.
#include "win32/win32.h"
#include "win32/win32_driver.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>

namespace {

BITMAPINFO Info(LONG width, LONG height, WORD bits = 32, DWORD compression = BI_RGB) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = bits;
    info.bmiHeader.biCompression = compression;
    return info;
}

}  // namespace

TEST(win32_gdi_bitmap, CreateDIBSectionRefusesWhatItCannotHold) {
    const struct {
        const char* what;
        BITMAPINFO info;
        bool made;
    } cases[] = {
        {"top-down", Info(7, -5), true},
        {"bottom-up", Info(7, 5), true},
        {"24 bits", Info(7, 5, 24), false},
        {"bit fields", Info(7, 5, 32, 3), false},
        {"zero width", Info(0, 5), false},
        {"negative width", Info(-7, 5), false},
        {"zero height", Info(7, 0), false},
        {"most negative height", Info(7, INT_MIN), false},
        {"byte count overflows", Info(INT_MAX, INT_MAX), false},
        {"image size beyond a DWORD", Info(1 << 15, -(1 << 15)), false},  // 4 GiB
        {"row bytes beyond a LONG", Info(INT_MAX / 4 + 1, 1), false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        void* bits = reinterpret_cast<void*>(1);
        const HBITMAP b = CreateDIBSection(nullptr, &c.info, DIB_RGB_COLORS, &bits, nullptr, 0);
        EXPECT_EQ(b != nullptr, c.made);
        EXPECT_EQ(bits != nullptr, c.made);
        if (!b)
            continue;
        const auto* bytes = static_cast<const unsigned char*>(bits);
        for (int i = 0; i < 7 * 5 * 4; ++i)
            ASSERT_EQ(bytes[i], 0);  // zeroed, and every byte reachable (ASan)
        EXPECT_TRUE(DeleteObject(b));
    }
}

TEST(win32_gdi_bitmap, GetObjectGivesBitmapAndDibSection) {
    const BITMAPINFO info = Info(10, -4);
    void* bits = nullptr;
    const HBITMAP b = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(sizeof(BITMAP), 32u);
    BITMAP bm;
    ASSERT_EQ(GetObjectA(b, sizeof bm, &bm), static_cast<int>(sizeof bm));
    EXPECT_EQ(bm.bmWidth, 10);
    EXPECT_EQ(bm.bmHeight, 4);
    EXPECT_EQ(bm.bmWidthBytes, 40);
    EXPECT_EQ(bm.bmBitsPixel, 32);
    EXPECT_EQ(bm.bmBits, bits);
    DIBSECTION dib;
    ASSERT_EQ(GetObjectA(b, sizeof dib, &dib), static_cast<int>(sizeof dib));
    EXPECT_EQ(dib.dsBmih.biHeight, -4);
    EXPECT_EQ(dib.dsBmih.biSizeImage, 160u);
    EXPECT_EQ(GetObjectA(b, 0, nullptr), static_cast<int>(sizeof(DIBSECTION)));
    EXPECT_EQ(GetObjectA(b, 8, &bm), 0);
    EXPECT_TRUE(DeleteObject(b));
    EXPECT_EQ(GetObjectA(b, sizeof bm, &bm), 0);
    EXPECT_FALSE(DeleteObject(b));
}

TEST(win32_gdi_bitmap, SelectedBitmapsStayUntilDeselected) {
    const BITMAPINFO info = Info(2, -2);
    const HBITMAP b = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, nullptr, nullptr, 0);
    const HDC dc = CreateCompatibleDC(nullptr);
    const HDC other = CreateCompatibleDC(dc);
    ASSERT_NE(dc, nullptr);
    const HGDIOBJ stock = GetCurrentObject(dc, OBJ_BITMAP);
    ASSERT_NE(stock, nullptr);
    BITMAP bm;
    ASSERT_EQ(GetObjectA(stock, sizeof(DIBSECTION), &bm), static_cast<int>(sizeof(BITMAP)));  // no DIB section
    EXPECT_EQ(bm.bmWidth, 1);
    EXPECT_EQ(bm.bmBitsPixel, 1);
    EXPECT_EQ(GetCurrentObject(other, OBJ_BITMAP), stock);

    EXPECT_EQ(SelectObject(dc, b), stock);
    EXPECT_EQ(GetCurrentObject(dc, OBJ_BITMAP), static_cast<HGDIOBJ>(b));
    EXPECT_EQ(SelectObject(other, b), nullptr);  // in one DC at a time
    EXPECT_FALSE(DeleteObject(b));               // still selected
    EXPECT_EQ(SelectObject(dc, stock), static_cast<HGDIOBJ>(b));
    EXPECT_TRUE(DeleteObject(b));

    const HBITMAP c = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, nullptr, nullptr, 0);
    SelectObject(dc, c);
    EXPECT_TRUE(DeleteDC(dc));  // deleting the DC lets the bitmap go
    EXPECT_FALSE(DeleteDC(dc));
    EXPECT_TRUE(DeleteObject(c));
    EXPECT_TRUE(DeleteDC(other));
    EXPECT_EQ(SelectObject(dc, stock), nullptr);
}

TEST(win32_gdi_bitmap, ScreenSizeIsTheDriversAndTheFrameTableIsOne) {
    Win32Driver::SetScreenSize(2048, 1536);
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 2048);
    EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), 1536);
    Win32Driver::SetScreenSize(1024, 768);
    const struct {
        int index, value;
    } metrics[] = {{SM_CYCAPTION, 18}, {SM_CYSMCAPTION, 15}, {SM_CXBORDER, 1}, {SM_CXDLGFRAME, 3},
                   {SM_CXFRAME, 4},    {SM_CXDOUBLECLK, 4},  {SM_CYDOUBLECLK, 4}, {9999, 0}};
    for (const auto& m : metrics) {
        SCOPED_TRACE(m.index);
        EXPECT_EQ(GetSystemMetrics(m.index), m.value);
    }
}
