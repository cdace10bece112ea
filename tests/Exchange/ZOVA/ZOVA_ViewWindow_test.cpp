// The view window: the view image at the view's magnification, grey around
// the image rectangle, partial repaints, and the windows' life.
#include "ZOVA_RenderFixture.h"

#include "viewer/VIEW_App.h"
#include "viewer/VIEW_AVDocs.h"
#include "viewer/VIEW_PageViews.h"
#include "viewer/VIEW_Recorder.h"
#include "win32/win32_driver.h"

#include <map>

namespace {

class ZOVA_ViewWindowTest : public ZOVA_RenderTest {
protected:
    // The tool active without a document, its window 400 × 300, the view
    // image a pattern whose pixel (x, y) names x and y.
    void SetUp() override {
        ZOVA_RenderTest::SetUp();
        Activate();
        Resize(400, 300);
        FillPattern();
        m_tool->ViewWindow().SetImageRect(0, 0, 400, 300);
    }
    void FillPattern() {
        uint32_t* bits = m_tool->ViewImage().LockData();
        const int32_t stride = m_tool->ViewImage().RowBytes() / 4;
        for (int y = 0; y < 480; ++y)
            for (int x = 0; x < 640; ++x)
                bits[y * stride + x] = Pattern(x, y);
        m_tool->ViewImage().UnlockData();
    }
    static uint32_t Pattern(int x, int y) {
        return uint32_t(x & 0xFF) << 16 | uint32_t(y & 0xFF) << 8 | uint32_t(x >> 8 | (y >> 8) << 4);
    }
    void Magnify(int32_t index) {
        VIEW_CallPlugin([&] { m_tool->SetMagnification(index); });
    }
    Win32Driver::Image Repaint(PDFL_AVRect area) {
        VIEW_CallPlugin([&] {
            m_tool->ViewWindow().InvalidateRect(area);
            Win32Driver::Pump();
        });
        return Win32Driver::Snapshot(m_tool->ViewWindow().PlatformWindow());
    }
    Win32Driver::Image RepaintAll() { return Repaint(PDFL_AVRect{0, 0, 400, 300}); }
    static uint32_t At(const Win32Driver::Image& image, int x, int y) {
        const uint8_t* p = &image.m_pixels[(size_t(y) * image.m_width + x) * 4];
        return uint32_t(p[0]) << 16 | uint32_t(p[1]) << 8 | p[2];
    }
    // Pixels of the window's area that differ from expected(x, y).
    template <class Expected>
    static int Differences(const Win32Driver::Image& image, int left, int top, int right, int bottom,
                           Expected expected) {
        int count = 0;
        for (int y = top; y < bottom; ++y)
            for (int x = left; x < right; ++x)
                count += At(image, x, y) != expected(x, y);
        return count;
    }
};

constexpr uint32_t kGrey = 0x646464;

}  // namespace

TEST_F(ZOVA_ViewWindowTest, TwiceMagnifiedShowsTheCentralBlock) {
    Magnify(1);
    const Win32Driver::Image full = RepaintAll();
    ASSERT_EQ(full.m_width, 400);
    ASSERT_EQ(full.m_height, 300);
    // The block from (100, 75) of 200 × 150, each pixel doubled.
    EXPECT_EQ(Differences(full, 0, 0, 400, 300,
                          [](int x, int y) { return Pattern(100 + x / 2, 75 + y / 2); }),
              0);
}

TEST_F(ZOVA_ViewWindowTest, PartialRepaintsShowWhatTheFullOneShows) {
    // Areas start on multiples of the factor: a source point is a whole
    // pixel. At 2x the bottom-anchored stretch would have put the top half
    // 75 rows low.
    const struct {
        int32_t magnification;
        PDFL_AVRect area;
    } rows[] = {{1, {0, 0, 400, 150}}, {1, {50, 100, 250, 220}}, {2, {12, 36, 132, 292}},
                {0, {37, 21, 90, 60}}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.magnification);
        Magnify(row.magnification);
        const Win32Driver::Image full = RepaintAll();
        // Something else first, so the repaint must draw the area itself.
        m_tool->ViewImage().Fill(640, 480, 0);
        RepaintAll();
        FillPattern();
        const Win32Driver::Image part = Repaint(row.area);
        const PDFL_AVRect& a = row.area;
        EXPECT_EQ(Differences(part, a.m_left, a.m_top, a.m_right, a.m_bottom,
                              [&](int x, int y) { return At(full, x, y); }),
                  0);
        EXPECT_EQ(At(part, a.m_right, a.m_bottom), 0u) << "outside the area nothing was drawn";
    }
}

TEST_F(ZOVA_ViewWindowTest, AtOneToOneTheSourceIsTheUpdateCorner) {
    const Win32Driver::Image part = Repaint(PDFL_AVRect{37, 21, 90, 60});
    EXPECT_EQ(Differences(part, 37, 21, 90, 60, [](int x, int y) { return Pattern(x, y); }), 0);
}

TEST_F(ZOVA_ViewWindowTest, GreyOutsideTheImageRectangle) {
    m_tool->ViewWindow().SetImageRect(47, 2, 354, 299);
    const Win32Driver::Image full = RepaintAll();
    EXPECT_EQ(Differences(full, 47, 2, 354, 299, [](int x, int y) { return Pattern(x, y); }), 0);
    EXPECT_EQ(Differences(full, 0, 0, 47, 300, [](int, int) { return kGrey; }), 0);
    EXPECT_EQ(Differences(full, 354, 0, 400, 300, [](int, int) { return kGrey; }), 0);
    EXPECT_EQ(Differences(full, 47, 0, 354, 2, [](int, int) { return kGrey; }), 0);
    EXPECT_EQ(Differences(full, 47, 299, 354, 300, [](int, int) { return kGrey; }), 0);

    // An image rectangle of zeros clips nothing away.
    m_tool->ViewWindow().SetImageRect(0, 0, 0, 0);
    EXPECT_EQ(Differences(RepaintAll(), 0, 0, 400, 300, [](int, int) { return kGrey; }), 0);
}

TEST_F(ZOVA_ViewWindowTest, TheArrowOnlyInsideTheInterior) {
    EXPECT_EQ(m_tool->ViewWindow().AdjustCursor(399, 299), 1);
    EXPECT_EQ(m_tool->ViewWindow().AdjustCursor(401, 10), 0);
    EXPECT_EQ(m_tool->ViewWindow().AdjustCursor(10, -1), 0);
}

TEST_F(ZOVA_ViewWindowTest, ClosingTheViewWindowLetsEverythingGoUntilTheNextActivation) {
    ASSERT_TRUE(m_tool->ColorDialog().IsVisible());
    VIEW_Recorder::ClearCalls();
    VIEW_CallPlugin([&] { Win32Driver::Close(m_tool->ViewWindow().PlatformWindow()); });
    EXPECT_FALSE(m_tool->ViewWindow().IsAlive());
    EXPECT_FALSE(m_tool->ColorDialog().IsVisible());
    EXPECT_TRUE(m_tool->ColorDialog().IsAlive()) << "closing only hides the Separations window";
    EXPECT_FALSE(m_tool->ViewImage().IsValid());
    EXPECT_FALSE(m_tool->HasPlateCache());
    std::map<uint64_t, int> destroyed;
    for (const VIEW_Call& call : VIEW_Recorder::Calls())
        if (call.m_table == PDFL_AcroViewTable && call.m_slot == 184)
            ++destroyed[call.m_args.at(0)];
    for (const auto& [window, count] : destroyed)
        EXPECT_EQ(count, 1) << "host window " << window;

    Activate();
    EXPECT_TRUE(m_tool->ViewWindow().IsAlive());
    EXPECT_TRUE(m_tool->ViewWindow().IsVisible());
    EXPECT_TRUE(m_tool->ColorDialog().IsVisible());
    EXPECT_TRUE(m_tool->ViewImage().IsValid());
    EXPECT_TRUE(m_tool->HasPlateCache());
}

// Closing either window frees the images, hides the Separations window
// and gives the host its default tool: no page view change, front document
// change or contents change reaches the freed images before the next
// activation makes them again.
TEST_F(ZOVA_ViewWindowTest, NothingReachesTheFreedImagesAfterAWindowCloses) {
    OpenPages(2);
    for (const bool viewWindow : {true, false}) {
        SCOPED_TRACE(viewWindow ? "view window" : "Separations window");
        Activate();
        ASSERT_TRUE(m_tool->ViewImage().IsValid());
        m_tool->SetPageState(5);
        VIEW_CallPlugin([&] {
            Win32Driver::Close(viewWindow ? m_tool->ViewWindow().PlatformWindow()
                                          : m_tool->ColorDialog().PlatformWindow());
        });
        ASSERT_FALSE(m_tool->ViewImage().IsValid());
        EXPECT_FALSE(m_tool->IsActive());
        EXPECT_FALSE(m_tool->ColorDialog().IsVisible());
        ClearLogs();
        VIEW_App::ClearAlerts();
        const PDFL_PDPage page = m_tool->CurrentView().Page().HostPage();
        VIEW_PageViews::GoToPage(FrontPageView(), 1);
        VIEW_CallPlugin([&] { VIEW_AVDocs::PageContentsDidChange(page); });
        const PDFL_AVDoc other = OpenPages(1);
        VIEW_AVDocs::Close(other);
        VIEW_PageViews::GoToPage(FrontPageView(), 0);
        EXPECT_TRUE(Logs(1).empty()) << Logs(1).front().m_text;
        EXPECT_TRUE(VIEW_App::Alerts().empty());
        EXPECT_FALSE(m_tool->ViewImage().IsValid());
    }
}
