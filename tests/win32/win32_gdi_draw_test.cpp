// GDI drawing of the stand-in, pixel by pixel: rectangles, polygons under a
// path clip, block transfers, text, and window DCs on backing surfaces.
#include "Win32TestWindow.h"
#include "win32/win32.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr uint32_t White = 0xFFFFFF;
constexpr uint32_t Black = 0x000000;

// A top-down 32-bit DIB selected into a memory DC, filled with one pixel.
class Canvas {
public:
    Canvas(int width, int height, uint32_t fill = White) : m_width(width), m_height(height) {
        BITMAPINFO info{};
        info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        m_bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&m_bits), nullptr, 0);
        m_dc = CreateCompatibleDC(nullptr);
        m_old = SelectObject(m_dc, m_bitmap);
        for (int i = 0; i < width * height; ++i)
            m_bits[i] = fill;
    }
    ~Canvas() {
        SelectObject(m_dc, m_old);
        DeleteDC(m_dc);
        DeleteObject(m_bitmap);
    }
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    HDC Dc() const { return m_dc; }
    uint32_t& At(int x, int y) { return m_bits[y * m_width + x]; }
    // One character per pixel: '#' for `ink`, '.' for white, '?' otherwise.
    std::string Picture(uint32_t ink = Black) {
        std::string s;
        for (int y = 0; y < m_height; ++y) {
            for (int x = 0; x < m_width; ++x)
                s += At(x, y) == ink ? '#' : At(x, y) == White ? '.' : '?';
            s += '\n';
        }
        return s;
    }

private:
    int m_width, m_height;
    uint32_t* m_bits = nullptr;
    HBITMAP m_bitmap = nullptr;
    HDC m_dc = nullptr;
    HGDIOBJ m_old = nullptr;
};

}  // namespace

TEST(win32_gdi_draw, RectangleOutlinesWithThePenAndFillsWithTheBrush) {
    Canvas c(6, 5);
    const HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
    const HGDIOBJ oldBrush = SelectObject(c.Dc(), red);
    EXPECT_EQ(oldBrush, GetStockObject(WHITE_BRUSH));  // the default brush
    EXPECT_EQ(GetCurrentObject(c.Dc(), OBJ_PEN), GetStockObject(BLACK_PEN));
    ASSERT_TRUE(Rectangle(c.Dc(), 1, 1, 5, 5));
    EXPECT_EQ(c.Picture(),
              "......\n"
              ".####.\n"
              ".#??#.\n"
              ".#??#.\n"
              ".####.\n");
    EXPECT_EQ(c.At(2, 2), 0xFF0000u);  // the brush inside, as 0x00RRGGBB
    SelectObject(c.Dc(), oldBrush);
    EXPECT_TRUE(DeleteObject(red));
    EXPECT_FALSE(DeleteObject(red));
    EXPECT_TRUE(DeleteObject(GetStockObject(BLACK_PEN)));  // stock objects stay
    EXPECT_NE(GetStockObject(BLACK_PEN), nullptr);
}

TEST(win32_gdi_draw, RectangleWithTheWhitePenAndReversedCorners) {
    Canvas c(4, 4, Black);
    SelectObject(c.Dc(), GetStockObject(WHITE_PEN));
    const HBRUSH black = CreateSolidBrush(RGB(0, 0, 0));
    SelectObject(c.Dc(), black);
    ASSERT_TRUE(Rectangle(c.Dc(), 4, 3, 0, 0));  // corners swapped: the same shape
    EXPECT_EQ(c.Picture(),
              "....\n"
              ".##.\n"
              "....\n"
              "####\n");
    SelectObject(c.Dc(), GetStockObject(WHITE_BRUSH));
    DeleteObject(black);
}

TEST(win32_gdi_draw, FillRectCoversLeftToRightMinusOne) {
    Canvas c(5, 3);
    const HBRUSH black = CreateSolidBrush(RGB(0, 0, 0));
    const RECT r{1, 0, 4, 2};
    EXPECT_EQ(FillRect(c.Dc(), &r, black), 1);
    EXPECT_EQ(c.Picture(),
              ".###.\n"
              ".###.\n"
              ".....\n");
    EXPECT_EQ(FillRect(c.Dc(), &r, nullptr), 0);
    DeleteObject(black);
}

TEST(win32_gdi_draw, PolygonUnderADifferenceClipLeavesTheClippedRectangleUntouched) {
    Canvas c(8, 6);
    const HDC dc = c.Dc();
    const POINT hole[] = {{2, 1}, {6, 1}, {6, 4}, {2, 4}};
    ASSERT_TRUE(BeginPath(dc));
    ASSERT_TRUE(Polygon(dc, hole, 4));  // recorded, not drawn
    ASSERT_TRUE(EndPath(dc));
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 8; ++x)
            ASSERT_EQ(c.At(x, y), White);
    ASSERT_TRUE(SelectClipPath(dc, RGN_DIFF));
    EXPECT_FALSE(SelectClipPath(dc, RGN_DIFF));  // the path is used up

    const HBRUSH grey = CreateSolidBrush(RGB(100, 100, 100));
    SelectObject(dc, grey);
    const POINT all[] = {{0, 0}, {0, 6}, {8, 6}, {8, 0}};
    ASSERT_TRUE(Polygon(dc, all, 4));
    // Grey everywhere but the hole; the black pen marks the left and top
    // edges (the right and bottom ones lie outside the bitmap).
    EXPECT_EQ(c.Picture(0x646464),
              "????????\n"
              "?#....##\n"
              "?#....##\n"
              "?#....##\n"
              "?#######\n"
              "?#######\n");
    EXPECT_EQ(c.At(0, 3), Black);
    EXPECT_EQ(c.At(3, 0), Black);
    SelectObject(dc, GetStockObject(WHITE_BRUSH));
    DeleteObject(grey);
}

TEST(win32_gdi_draw, SelectClipPathRefusesOtherModesAndOpenPaths) {
    Canvas c(4, 4);
    const POINT tri[] = {{0, 0}, {4, 0}, {0, 4}};
    BeginPath(c.Dc());
    Polygon(c.Dc(), tri, 3);
    EXPECT_FALSE(SelectClipPath(c.Dc(), RGN_DIFF));  // not ended
    EndPath(c.Dc());
    EXPECT_FALSE(SelectClipPath(c.Dc(), RGN_AND));
    EXPECT_FALSE(EndPath(c.Dc()));
}

TEST(win32_gdi_draw, PolygonFillsByPixelCentresEvenOdd) {
    Canvas c(7, 7);
    SelectObject(c.Dc(), GetStockObject(WHITE_PEN));  // outline invisible on white
    const HBRUSH black = CreateSolidBrush(RGB(0, 0, 0));
    SelectObject(c.Dc(), black);
    // A square with a square hole drawn as one self-overlapping outline.
    const POINT ring[] = {{0, 0}, {7, 0}, {7, 7}, {0, 7}, {0, 0}, {2, 2}, {2, 5}, {5, 5}, {5, 2}, {2, 2}};
    ASSERT_TRUE(Polygon(c.Dc(), ring, 10));
    EXPECT_EQ(c.Picture(),
              ".......\n"
              "..#####\n"  // the white pen's way in to the hole
              ".#....#\n"  // the hole, and its outline in the white pen
              ".#....#\n"
              ".#....#\n"
              ".#....#\n"
              ".######\n");
    SelectObject(c.Dc(), GetStockObject(WHITE_BRUSH));
    DeleteObject(black);
}

TEST(win32_gdi_draw, StretchBltAtTwiceDoublesEveryPixel) {
    Canvas src(3, 2);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x)
            src.At(x, y) = static_cast<uint32_t>(0x10 * (y * 3 + x + 1));
    Canvas dst(8, 5);
    ASSERT_TRUE(StretchBlt(dst.Dc(), 1, 0, 6, 4, src.Dc(), 0, 0, 3, 2, SRCCOPY));
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 6; ++x) {
            SCOPED_TRACE(std::to_string(x) + "," + std::to_string(y));
            EXPECT_EQ(dst.At(1 + x, y), src.At(x / 2, y / 2));
        }
    EXPECT_EQ(dst.At(0, 0), White);
    EXPECT_EQ(dst.At(7, 0), White);
    EXPECT_EQ(dst.At(1, 4), White);
    EXPECT_FALSE(StretchBlt(dst.Dc(), 0, 0, -2, 2, src.Dc(), 0, 0, 1, 1, SRCCOPY));
    EXPECT_FALSE(StretchBlt(dst.Dc(), 0, 0, 2, 2, src.Dc(), 0, 0, 1, 1, 0x00EE0086));
}

TEST(win32_gdi_draw, BitBltCopiesOnlyWhatTheSourceBitmapHolds) {
    Canvas src(2, 2, 0x123456);
    Canvas dst(4, 4);
    ASSERT_TRUE(BitBlt(dst.Dc(), 0, 0, 4, 4, src.Dc(), -1, -1, SRCCOPY));
    EXPECT_EQ(dst.Picture(0x123456),
              "....\n"
              ".##.\n"
              ".##.\n"
              "....\n");
    // A block beyond the destination is cut to it.
    ASSERT_TRUE(BitBlt(dst.Dc(), 3, 3, 2, 2, src.Dc(), 0, 0, SRCCOPY));
    EXPECT_EQ(dst.At(3, 3), 0x123456u);
}

TEST(win32_gdi_draw, BitBltIntoABottomUpBitmapKeepsTheTopRowOnTop) {
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), 2, 2, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    uint32_t* bits = nullptr;
    const HBITMAP b = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits), nullptr, 0);
    const HDC dc = CreateCompatibleDC(nullptr);
    const HGDIOBJ old = SelectObject(dc, b);
    const HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
    const RECT top{0, 0, 2, 1};
    FillRect(dc, &top, red);
    EXPECT_EQ(bits[2], 0xFF0000u);  // the last row in memory is the top row
    EXPECT_EQ(bits[0], 0u);
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(b);
    DeleteObject(red);
}

TEST(win32_gdi_draw, TextOutStaysInsideItsExtentAndMarksEachGlyphCell) {
    Canvas c(20, 16, 0x808080);
    SIZE extent{};
    ASSERT_TRUE(GetTextExtentPoint32A(c.Dc(), "Ab", 2, &extent));
    EXPECT_EQ(extent.cx, 12);
    EXPECT_EQ(extent.cy, 13);
    TEXTMETRICA tm{};
    ASSERT_TRUE(GetTextMetricsA(c.Dc(), &tm));
    EXPECT_EQ(tm.tmHeight, 13);
    EXPECT_EQ(tm.tmAveCharWidth, 6);
    ASSERT_TRUE(TextOutA(c.Dc(), 3, 2, "Ab", 2));
    int inkInCell[2] = {0, 0};
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 20; ++x) {
            const bool inside = x >= 3 && x < 3 + extent.cx && y >= 2 && y < 2 + extent.cy;
            SCOPED_TRACE(std::to_string(x) + "," + std::to_string(y));
            if (!inside) {
                ASSERT_EQ(c.At(x, y), 0x808080u);
                continue;
            }
            ASSERT_TRUE(c.At(x, y) == Black || c.At(x, y) == White);  // black text on opaque white
            if (c.At(x, y) == Black)
                ++inkInCell[(x - 3) / 6];
        }
    EXPECT_GT(inkInCell[0], 5);
    EXPECT_GT(inkInCell[1], 5);
}

TEST(win32_gdi_draw, TextOutDrawsABoxForABytePastAscii) {
    Canvas a(6, 13), b(6, 13);
    TextOutA(a.Dc(), 0, 0, "\x01", 1);
    TextOutA(b.Dc(), 0, 0, "\xE9", 1);
    EXPECT_EQ(a.Picture(), b.Picture());
    EXPECT_NE(a.Picture().find('#'), std::string::npos);
}

namespace {

using Path = std::vector<std::vector<POINT>>;

// The pixel-centre rule stated plainly: a centre is inside a path when a ray
// to its right crosses the path's edges an odd number of times, an edge
// counting when one end lies strictly below the centre's row and the other
// at or above it.
bool Inside(const Path& path, int x, int y) {
    const double px = x + 0.5, py = y + 0.5;
    bool inside = false;
    for (const auto& polygon : path)
        for (size_t i = 0; i < polygon.size(); ++i) {
            const POINT a = polygon[i], b = polygon[(i + 1) % polygon.size()];
            if ((a.y > py) == (b.y > py))
                continue;
            if (px < a.x + (py - a.y) * (b.x - a.x) / static_cast<double>(b.y - a.y))
                inside = !inside;
        }
    return inside;
}

// One to three polygons of three to seven corners, some beyond the canvas,
// with repeated corners, horizontal edges and crossings.
Path RandomPath(std::mt19937& random, int width, int height) {
    std::uniform_int_distribution<int> polygons(1, 3), corners(3, 7);
    std::uniform_int_distribution<LONG> xs(-4, width + 4), ys(-4, height + 4);
    Path path(static_cast<size_t>(polygons(random)));
    for (auto& polygon : path) {
        polygon.resize(static_cast<size_t>(corners(random)));
        for (POINT& p : polygon)
            p = {xs(random), ys(random)};
        if (random() % 4 == 0)
            polygon[1].y = polygon[0].y;  // a horizontal edge
        if (random() % 5 == 0)
            polygon[2] = polygon[1];  // a repeated corner
    }
    return path;
}

void ExcludePath(HDC dc, const Path& path) {
    ASSERT_TRUE(BeginPath(dc));
    for (const auto& polygon : path)
        ASSERT_TRUE(Polygon(dc, polygon.data(), static_cast<int>(polygon.size())));
    ASSERT_TRUE(EndPath(dc));
    ASSERT_TRUE(SelectClipPath(dc, RGN_DIFF));
}

}  // namespace

TEST(win32_gdi_draw, FillRectUnderExcludedPathsSparesExactlyTheCentresInside) {
    std::mt19937 random(44);
    const HBRUSH black = CreateSolidBrush(RGB(0, 0, 0));
    for (int round = 0; round < 300; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        const int width = 5 + round % 23, height = 4 + round % 17;
        Canvas c(width, height);
        std::vector<Path> paths{RandomPath(random, width, height)};
        if (round % 3 == 0)
            paths.push_back(RandomPath(random, width, height));  // a second exclusion
        for (const Path& path : paths)
            ExcludePath(c.Dc(), path);
        // Some fills start or end inside the canvas, some beyond it.
        const RECT r{static_cast<LONG>(round % 5) - 2, static_cast<LONG>(round % 4) - 1,
                     width - static_cast<LONG>(round % 3) + 1, height - static_cast<LONG>(round % 2)};
        ASSERT_EQ(FillRect(c.Dc(), &r, black), 1);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                bool filled = x >= r.left && x < r.right && y >= r.top && y < r.bottom;
                for (const Path& path : paths)
                    filled = filled && !Inside(path, x, y);
                ASSERT_EQ(c.At(x, y), filled ? Black : White) << x << "," << y;
            }
    }
    DeleteObject(black);
}

TEST(win32_gdi_draw, StretchBltUnderAnExcludedPathTakesTheSourcePixelUnderEachCentre) {
    std::mt19937 random(7);
    for (int round = 0; round < 200; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        const int srcW = 3 + round % 11, srcH = 2 + round % 7;
        Canvas src(srcW, srcH);
        for (int y = 0; y < srcH; ++y)
            for (int x = 0; x < srcW; ++x)
                src.At(x, y) = static_cast<uint32_t>(random() & 0xFFFFFF);
        const int dstW = 6 + round % 19, dstH = 5 + round % 13;
        Canvas dst(dstW, dstH, 0x777777);
        const Path path = RandomPath(random, dstW, dstH);
        ExcludePath(dst.Dc(), path);
        // Every other round unscaled (the rows copied whole), the others
        // magnified or reduced; the source rectangle may reach past the
        // source bitmap and the destination past the canvas.
        const int x = static_cast<int>(random() % 5) - 2, y = static_cast<int>(random() % 5) - 2;
        const int sx = static_cast<int>(random() % 3) - 1, sy = static_cast<int>(random() % 3) - 1;
        const int w = round % 2 ? dstW : 1 + static_cast<int>(random() % (2 * dstW));
        const int h = 1 + static_cast<int>(random() % dstH);
        const int sw = round % 2 ? w : 1 + static_cast<int>(random() % srcW);
        const int sh = round % 4 == 1 ? h : 1 + static_cast<int>(random() % srcH);
        ASSERT_TRUE(StretchBlt(dst.Dc(), x, y, w, h, src.Dc(), sx, sy, sw, sh, SRCCOPY));
        for (int j = 0; j < dstH; ++j)
            for (int i = 0; i < dstW; ++i) {
                uint32_t want = 0x777777;
                if (i >= x && i < x + w && j >= y && j < y + h && !Inside(path, i, j)) {
                    const int fromX = sx + static_cast<int>((2 * (i - x) + 1) * sw / (2 * w));
                    const int fromY = sy + static_cast<int>((2 * (j - y) + 1) * sh / (2 * h));
                    if (fromX >= 0 && fromX < srcW && fromY >= 0 && fromY < srcH)
                        want = src.At(fromX, fromY);
                }
                ASSERT_EQ(dst.At(i, j), want) << i << "," << j;
            }
    }
}

TEST(win32_gdi_draw, BitBltWithinOneBitmapReadsThePixelsFromBeforeTheCopy) {
    Canvas c(6, 4);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 6; ++x)
            c.At(x, y) = static_cast<uint32_t>(y * 6 + x + 1);
    // Overlapping, shifted right and down by one.
    ASSERT_TRUE(BitBlt(c.Dc(), 1, 1, 5, 3, c.Dc(), 0, 0, SRCCOPY));
    for (int y = 1; y < 4; ++y)
        for (int x = 1; x < 6; ++x)
            EXPECT_EQ(c.At(x, y), static_cast<uint32_t>((y - 1) * 6 + x)) << x << "," << y;
    EXPECT_EQ(c.At(0, 0), 1u);
}

class win32_gdi_window : public Win32WindowTest {};

TEST_F(win32_gdi_window, AChildDrawsAtItsOffsetClippedToItsRectangle) {
    const HWND top = Make(WS_POPUP | WS_VISIBLE, {0, 0, 20, 20});
    const HWND child = Make(WS_CHILD | WS_VISIBLE, {5, 6, 9, 9}, top);
    const HDC dc = GetDC(child);
    ASSERT_NE(dc, nullptr);
    const HBRUSH black = CreateSolidBrush(RGB(0, 0, 0));
    const RECT all{-10, -10, 50, 50};
    FillRect(dc, &all, black);
    EXPECT_EQ(ReleaseDC(child, dc), 1);

    Canvas copy(20, 20, 0x777777);
    const HDC topDc = GetDC(top);
    ASSERT_TRUE(BitBlt(copy.Dc(), 0, 0, 20, 20, topDc, 0, 0, SRCCOPY));
    ReleaseDC(top, topDc);
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 20; ++x) {
            const bool inChild = x >= 5 && x < 9 && y >= 6 && y < 9;
            ASSERT_EQ(copy.At(x, y), inChild ? Black : White) << x << "," << y;
        }
    DeleteObject(black);
}

TEST_F(win32_gdi_window, BeginPaintClipsToTheUpdateRectangleAndValidatesIt) {
    const HWND top = Make(WS_POPUP | WS_VISIBLE, {0, 0, 10, 10});
    Win32Driver::Pump();
    const RECT part{2, 2, 4, 5};
    InvalidateRect(top, &part, TRUE);
    PAINTSTRUCT ps{};
    const HDC dc = BeginPaint(top, &ps);
    ASSERT_NE(dc, nullptr);
    EXPECT_EQ(ps.rcPaint.left, 2);
    EXPECT_EQ(ps.rcPaint.bottom, 5);
    EXPECT_TRUE(ps.fErase);
    EXPECT_FALSE(GetUpdateRect(top, nullptr, FALSE));
    const HBRUSH black = CreateSolidBrush(RGB(0, 0, 0));
    const RECT all{0, 0, 10, 10};
    FillRect(dc, &all, black);
    EXPECT_TRUE(EndPaint(top, &ps));
    EXPECT_EQ(ReleaseDC(top, dc), 0);  // EndPaint released it

    Canvas copy(10, 10);
    const HDC topDc = GetDC(top);
    BitBlt(copy.Dc(), 0, 0, 10, 10, topDc, 0, 0, SRCCOPY);
    ReleaseDC(top, topDc);
    int black_ = 0;
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 10; ++x)
            if (copy.At(x, y) == Black) {
                ++black_;
                EXPECT_TRUE(x >= 2 && x < 4 && y >= 2 && y < 5) << x << "," << y;
            }
    EXPECT_EQ(black_, 6);
    DeleteObject(black);
    EXPECT_EQ(GetDC(reinterpret_cast<HWND>(0x1234)), nullptr);
}
