// Offscreen images over DIB sections: allocation, counted access, filling,
// and drawing into a DC at scale 1 and magnified.
#include "Exchange/ZOVA/ZOVA_WinOffscreenImage.h"

#include "support/TestSupport.h"
#include "win32/win32_driver.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <new>
#include <string>

namespace {

// Counts the releases of pixel data the image asks for.
class CountingImage : public ZOVA_WinOffscreenImage {
public:
    int m_releases = 0;

protected:
    void ReleaseData() override { ++m_releases; }
};

std::string FailedAssertion(const std::function<void()>& action) {
    try {
        action();
    } catch (const TestAssertionFailure& failure) {
        return failure.m_expression;
    }
    return "";
}

// Pixel (x, y) of a test image: its coordinates, so any copy can be traced.
uint32_t Mark(int x, int y) { return static_cast<uint32_t>(x << 12 | y); }

void MarkAll(ZOVA_OffscreenImage& image) {
    int32_t w = 0, h = 0;
    image.Size(&w, &h);
    uint32_t* p = image.LockData();
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            p[y * w + x] = Mark(x, y);
    image.UnlockData();
}

}  // namespace

TEST(ZOVA_OffscreenImage, ANewImageReportsItsSizeAndIsWhite) {
    ZOVA_WinOffscreenImage image;
    EXPECT_FALSE(image.IsValid());
    image.Allocate(3, 2, 32);
    ASSERT_TRUE(image.IsValid());
    int32_t w = 0, h = 0;
    image.Size(&w, &h);
    EXPECT_EQ(w, 3);
    EXPECT_EQ(h, 2);  // stored top-down, reported positive
    EXPECT_EQ(image.RowBytes(), 12);
    const auto* bytes = reinterpret_cast<const unsigned char*>(image.LockData());
    for (int i = 0; i < 3 * 2 * 4; ++i)
        EXPECT_EQ(bytes[i], 0xFF) << i;
    image.UnlockData();
    EXPECT_NE(image.Handle(), nullptr);
}

TEST(ZOVA_OffscreenImage, MaxSizeIsTheScreenAndNeedsNoAllocation) {
    Win32Driver::SetScreenSize(1000, 700);
    const ZOVA_WinOffscreenImage image;
    int32_t w = 0, h = 0;
    image.MaxSize(&w, &h);
    EXPECT_EQ(w, 1000);
    EXPECT_EQ(h, 700);
    Win32Driver::SetScreenSize(1024, 768);
}

TEST(ZOVA_OffscreenImage, AnUnallocatedImageAssertsWhereItNeedsABitmap) {
    ZOVA_WinOffscreenImage image;
    int32_t w = 0, h = 0;
    EXPECT_EQ(FailedAssertion([&] { image.RowBytes(); }), "IsValid()");
    EXPECT_EQ(FailedAssertion([&] { image.Size(&w, &h); }), "IsValid()");
    EXPECT_EQ(FailedAssertion([&] { image.Handle(); }), "IsValid()");
    EXPECT_EQ(FailedAssertion([&] { image.LockData(); }), "IsValid()");
    EXPECT_EQ(FailedAssertion([&] { image.UnlockData(); }), "IsValid()");
}

TEST(ZOVA_OffscreenImage, LocksAreCountedAndTheLastUnlockReleases) {
    CountingImage image;
    image.Allocate(2, 2, 32);
    image.LockData();
    image.LockData();
    image.UnlockData();
    EXPECT_EQ(image.m_releases, 0);
    image.UnlockData();
    EXPECT_EQ(image.m_releases, 1);
    EXPECT_EQ(FailedAssertion([&] { image.UnlockData(); }), "m_nDataRef > 0");
}

TEST(ZOVA_OffscreenImage, FreeReleasesOutstandingDataAndResetsTheCount) {
    CountingImage image;
    image.Free();  // unallocated: nothing happens
    EXPECT_EQ(image.m_releases, 0);
    EXPECT_FALSE(image.IsValid());
    image.Allocate(2, 2, 32);
    EXPECT_EQ(FailedAssertion([&] { image.UnlockData(); }), "m_nDataRef > 0");  // the count is 0
    image.LockData();
    image.LockData();
    image.Free();
    EXPECT_EQ(image.m_releases, 1);
    EXPECT_FALSE(image.IsValid());
    image.Allocate(2, 2, 32);  // the count starts again at 0
    EXPECT_EQ(FailedAssertion([&] { image.UnlockData(); }), "m_nDataRef > 0");
}

TEST(ZOVA_OffscreenImage, AnAllocationTheSystemCannotGiveThrowsAndLeavesTheImageInvalid) {
    ZOVA_WinOffscreenImage image;
    image.Allocate(4, 4, 32);
    try {
        image.Allocate(40000, 40000, 32);  // 6.4 GB: more than a DIB section holds
        FAIL() << "no exception";
    } catch (const std::bad_alloc& e) {
        EXPECT_STREQ(e.what(), "bad allocation");
    }
    EXPECT_FALSE(image.IsValid());
    EXPECT_THROW(image.Allocate(0, 5, 32), std::bad_alloc);
    EXPECT_FALSE(image.IsValid());
}

TEST(ZOVA_OffscreenImage, FillTouchesOnlyTheImageWhateverAreaItIsGiven) {
    const struct {
        const char* what;
        int32_t width, height;
        int filledColumns, filledRows;
    } cases[] = {
        {"a corner", 2, 1, 2, 1},
        {"the whole image", 4, 3, 4, 3},
        {"wider and taller than the image", 5000, 5000, 4, 3},
        {"negative", -3, -1, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ZOVA_WinOffscreenImage image;
        image.Allocate(4, 3, 32);
        image.Fill(c.width, c.height, 0x1280);  // the low byte only
        const auto* bytes = reinterpret_cast<const unsigned char*>(image.LockData());
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 4 * 4; ++x) {
                const bool filled = y < c.filledRows && x < c.filledColumns * 4;
                ASSERT_EQ(bytes[y * 16 + x], filled ? 0x80 : 0xFF) << x << "," << y;
            }
        image.UnlockData();
    }
}

class ZOVA_OffscreenImageDraw : public ::testing::Test {
protected:
    void SetUp() override {
        m_image.Allocate(200, 200, 32);
        MarkAll(m_image);
        m_target.Allocate(120, 120, 32);
        m_dc = CreateCompatibleDC(nullptr);
        m_old = SelectObject(m_dc, m_target.Handle());
    }
    void TearDown() override {
        SelectObject(m_dc, m_old);
        DeleteDC(m_dc);
    }
    uint32_t Target(int x, int y) {
        const uint32_t pixel = m_target.LockData()[y * 120 + x];
        m_target.UnlockData();
        return pixel;
    }

    ZOVA_WinOffscreenImage m_image;
    ZOVA_WinOffscreenImage m_target;
    HDC m_dc = nullptr;
    HGDIOBJ m_old = nullptr;
};

TEST_F(ZOVA_OffscreenImageDraw, ScaleOneCopiesABlock) {
    m_image.Draw(m_dc, 30, 40, {10, 5, 60, 25}, 1.0);
    for (int y = 0; y < 120; ++y)
        for (int x = 0; x < 120; ++x) {
            const bool inside = x >= 10 && x < 60 && y >= 5 && y < 25;
            ASSERT_EQ(Target(x, y), inside ? Mark(30 + x - 10, 40 + y - 5) : 0xFFFFFFFFu) << x << "," << y;
        }
}

TEST_F(ZOVA_OffscreenImageDraw, ScaleTwoStretchesTheBlockEndingAtTheUnmagnifiedBottom) {
    const int sx = 20, sy = 10;
    m_image.Draw(m_dc, sx, sy, {0, 0, 100, 100}, 2.0);
    // The 50 x 50 source block whose top is sy + 50, each pixel doubled.
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 100; ++x)
            ASSERT_EQ(Target(x, y), Mark(sx + x / 2, sy + 50 + y / 2)) << x << "," << y;
    EXPECT_EQ(Target(100, 0), 0xFFFFFFFFu);
    EXPECT_EQ(Target(0, 100), 0xFFFFFFFFu);
}
