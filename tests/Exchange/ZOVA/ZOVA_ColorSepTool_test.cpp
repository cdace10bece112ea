// The separations tool: registration, page states, the view list and the
// frame on the host's page view.
#include "ZOVA_ToolFixture.h"

#include "GLIB/GLIB_Log.h"

#include "Exchange/XCHG/XCHG_AVCalls.h"
#include "hostpdf/PDFL_PDCalls.h"
#include "viewer/VIEW_App.h"
#include "viewer/VIEW_AVDocs.h"
#include "viewer/VIEW_Callbacks.h"
#include "viewer/VIEW_Input.h"
#include "viewer/VIEW_PD.h"
#include "viewer/VIEW_PageViewProcs.h"
#include "viewer/VIEW_PageViews.h"

#include <cstdio>
#include <functional>
#include <limits>

namespace {

using ZOVA_Tool = ZOVA_ToolTest;

// The registrations of notifications (41, by selector), the adjust-cursor
// procedure (139 as -1) and the drawing procedure (135 as -2), in order.
std::vector<int64_t> Registrations() {
    std::vector<int64_t> order;
    for (const VIEW_Call& call : VIEW_Recorder::Calls()) {
        if (call.m_table != PDFL_AcroViewTable)
            continue;
        if (call.m_slot == 41)
            order.push_back(static_cast<int64_t>(call.m_args[0]));
        else if (call.m_slot == 139)
            order.push_back(-1);
        else if (call.m_slot == 135)
            order.push_back(-2);
    }
    return order;
}

PDFL_FixedRect Rect(double l, double b, double r, double t) {
    return {PDFL_Fixed(l * 65536), PDFL_Fixed(b * 65536), PDFL_Fixed(r * 65536), PDFL_Fixed(t * 65536)};
}

}  // namespace

TEST_F(ZOVA_Tool, RegistersInOrderAndUnregistersEverything) {
    m_tool->Unregister();
    m_tool->ColorDialog().Destroy();
    for (int32_t selector : {2, 6, 7, 14, 34, 56})
        EXPECT_EQ(VIEW_App::NotificationCount(selector), 0u) << selector;
    EXPECT_EQ(VIEW_PageViewProcs::DrawingCount(), 0u);
    EXPECT_EQ(VIEW_PageViewProcs::AdjustCursorCount(), 0u);

    const size_t callbacksBefore = VIEW_Callbacks::LiveCount();
    VIEW_Recorder::ClearCalls();
    m_tool->Register();
    EXPECT_EQ(Registrations(), (std::vector<int64_t>{2, -1, 14, 34, 7, 56, 6, -2}));
    // The frame colour from "PDCL" 1301: code 1, green full.
    EXPECT_EQ(m_tool->FrameColor().m_space, 1);
    EXPECT_EQ(m_tool->FrameColor().m_value[0], 0);
    EXPECT_EQ(m_tool->FrameColor().m_value[1], 65536);
    EXPECT_EQ(m_tool->FrameColor().m_value[2], 0);
    EXPECT_EQ(m_tool->FrameColor().m_value[3], 0);
    EXPECT_EQ(VIEW_PageViewProcs::DrawingCount(), 1u);
    EXPECT_EQ(VIEW_PageViewProcs::AdjustCursorCount(), 1u);

    m_tool->Unregister();
    for (int32_t selector : {2, 6, 7, 14, 34, 56})
        EXPECT_EQ(VIEW_App::NotificationCount(selector), 0u) << selector;
    EXPECT_EQ(VIEW_PageViewProcs::DrawingCount(), 0u);
    EXPECT_EQ(VIEW_PageViewProcs::AdjustCursorCount(), 0u);
    // With the Separations window gone too, no callback of the tool lives.
    m_tool->ColorDialog().Destroy();
    EXPECT_EQ(VIEW_Callbacks::LiveCount(), callbacksBefore);
    m_tool->Register();
}

TEST_F(ZOVA_Tool, ANullClientDataIsAFailedAssertionRaisedToTheHost) {
    const std::vector<std::function<void()>> calls = {
        [] { ZOVA_ColorSepTool::Notification_AVAppFrontDocDidChange(nullptr, nullptr); },
        [] { ZOVA_ColorSepTool::Notification_AdjustCursor(nullptr, 0, 0, nullptr); },
        [] { ZOVA_ColorSepTool::Notification_AVPageViewDidChange(nullptr, 2, nullptr); },
        [] { ZOVA_ColorSepTool::Notification_PDPageContentsDidChange(nullptr, nullptr); },
        [] { ZOVA_ColorSepTool::Notification_AVDocWillClose(nullptr, nullptr); },
        [] { ZOVA_ColorSepTool::Notification_PDDocWillSaveEx(nullptr, nullptr, nullptr); },
        [] { ZOVA_ColorSepTool::Notification_AVDocDidDeactivate(nullptr, nullptr); },
        [] { ZOVA_RectTool::Notification_AVPageViewDrawProc(nullptr, nullptr, nullptr); },
    };
    for (size_t i = 0; i < calls.size(); ++i) {
        SCOPED_TRACE(i);
        VIEW_Recorder::Reset();
        VIEW_App::ClearAlerts();
        VIEW_CallPlugin([&] { calls[i](); });
        ASSERT_EQ(VIEW_Recorder::RaisedToHost().size(), 1u);
        ASSERT_EQ(AlertTexts().size(), 1u);
        EXPECT_EQ(AlertTexts()[0].rfind("Assertion failed: ourObj != NULL", 0), 0u) << AlertTexts()[0];
    }
}

TEST_F(ZOVA_Tool, EachPageStateDrivesStatusButtonAndCursor) {
    OpenPages(1);
    Activate();
    ASSERT_TRUE(m_tool->HasCurrentView());
    const struct {
        int32_t state;
        const char* status;
        const char* button;
        bool enabled;
        bool busy;
        bool cleared;
    } rows[] = {
        {0, "Needs Update", "Update", true, false, true}, {1, "Separating Page...", "Stop", true, true, false},
        {2, "Rendering...", "Stop", true, true, false},   {3, "Needs Update", "Update", true, false, true},
        {4, "Rendering...", "Stop", true, true, false},   {5, "Ready", "Update", false, false, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.state);
        VIEW_Input::SetCursor(VIEW_Input::StandardCursor(0));
        m_tool->ViewImage().Fill(m_tool->WindowWidth(), m_tool->WindowHeight(), 7);
        m_tool->SetPageState(row.state);
        EXPECT_EQ(m_tool->CurrentView().PageState(), row.state);
        EXPECT_EQ(StatusText(), row.status);
        EXPECT_EQ(ButtonText(), row.button);
        EXPECT_EQ(ButtonEnabled(), row.enabled);
        EXPECT_EQ(VIEW_Input::CursorId(), row.busy ? 1112 : 0);
        const uint32_t pixel = m_tool->ViewImage().LockData()[0];
        m_tool->ViewImage().UnlockData();
        EXPECT_EQ(pixel & 0xFF, row.cleared ? 51u : 7u);
    }
}

TEST_F(ZOVA_Tool, AStateOutsideTheTableIsFatal) {
    EXPECT_DEATH(
        {
            GLIB_SetLogger([](int32_t, const char* text, const char*, int32_t) {
                std::fprintf(stderr, "%s\n", text);
                return 0;
            });
            m_tool->SetPageState(7);
        },
        "Invalid page state encountered: 7");
}

TEST_F(ZOVA_Tool, TenViewsAtMostTheLeastRecentlyUsedReusedInPlace) {
    const PDFL_AVPageView pageView = TenViewsOfElevenPages();
    ASSERT_EQ(m_tool->Views().size(), 10u);
    std::vector<const ZOVA_View*> before;
    for (const auto& view : m_tool->Views())
        before.push_back(view.get());
    VIEW_PageViews::GoToPage(pageView, 10);
    ASSERT_EQ(m_tool->Views().size(), 10u);
    std::vector<const ZOVA_View*> after;
    for (const auto& view : m_tool->Views())
        after.push_back(view.get());
    EXPECT_EQ(after, before) << "the front view is reused in place, the other nine stay";
    EXPECT_EQ(after.front()->Page().Number(), 10u);
    EXPECT_EQ(&m_tool->CurrentView(), after.front());
    for (size_t i = 1; i < after.size(); ++i)
        EXPECT_EQ(after[i]->Page().Number(), i);
    // The ten views' pages, the page view's among them.
    EXPECT_EQ(VIEW_PD::AcquiredPageCount(), 10u);
}

TEST_F(ZOVA_Tool, ARevisitedPageIsTheLastViewReused) {
    const PDFL_AVPageView pageView = TenViewsOfElevenPages();
    ASSERT_EQ(m_tool->Views().size(), 10u);
    VIEW_PageViews::GoToPage(pageView, 0);
    EXPECT_EQ(m_tool->Views().back()->Page().Number(), 0u);
    VIEW_PageViews::GoToPage(pageView, 10);
    std::vector<uint32_t> pages;
    for (const auto& view : m_tool->Views())
        pages.push_back(view->Page().Number());
    EXPECT_EQ(pages, (std::vector<uint32_t>{10, 2, 3, 4, 5, 6, 7, 8, 9, 0})) << "page 1's view went, page 0's stays";
}

TEST_F(ZOVA_Tool, SelectingAReadyViewAgainNeedsUpdate) {
    OpenPages(2);
    Activate();
    ZOVA_View& first = m_tool->CurrentView();
    m_tool->SetPageState(5);
    EXPECT_EQ(StatusText(), "Ready");
    m_tool->SelectPageView(FrontPageView());
    EXPECT_EQ(&m_tool->CurrentView(), &first);
    EXPECT_EQ(first.PageState(), 3);
    EXPECT_EQ(StatusText(), "Needs Update");

    // Another page's view, then back: still needs rendering.
    m_tool->SetPageState(5);
    VIEW_PageViews::GoToPage(FrontPageView(), 1);
    EXPECT_EQ(m_tool->CurrentView().PageState(), 0);
    VIEW_PageViews::GoToPage(FrontPageView(), 0);
    EXPECT_EQ(&m_tool->CurrentView(), &first);
    EXPECT_EQ(first.PageState(), 3);
}

TEST_F(ZOVA_Tool, APageViewChangeCountsOnlyWhileActiveAndForAPageChange) {
    OpenPages(3);
    const PDFL_AVPageView pageView = FrontPageView();
    VIEW_PageViews::GoToPage(pageView, 1);  // inactive
    EXPECT_FALSE(m_tool->HasCurrentView());
    EXPECT_TRUE(m_tool->Views().empty());
    Activate();
    ASSERT_EQ(m_tool->Views().size(), 1u);
    VIEW_CallPlugin([&] { VIEW_App::SendNotification(PDFL_AVPageViewDidChangeNSEL, pageView, int16_t(1)); });
    VIEW_PageViews::GoToPage(pageView, 2);
    EXPECT_EQ(m_tool->Views().size(), 2u);
    EXPECT_EQ(m_tool->CurrentView().Page().Number(), 2u);
    VIEW_CallPlugin([&] { VIEW_App::SendNotification(PDFL_AVPageViewDidChangeNSEL, pageView, int16_t(0x7FFD)); });
    EXPECT_EQ(m_tool->Views().size(), 2u);
}

TEST_F(ZOVA_Tool, ClosingADocumentDropsEveryViewOfIt) {
    const size_t pagesBefore = VIEW_PD::AcquiredPageCount();
    const PDFL_AVDoc other = OpenPages(2);
    const PDFL_AVDoc doc = OpenPages(4);
    Activate();
    for (int32_t i = 1; i < 4; ++i)
        VIEW_PageViews::GoToPage(FrontPageView(), i);
    VIEW_AVDocs::BringToFront(other);  // the Separations window is visible: its page too
    ASSERT_EQ(m_tool->Views().size(), 5u);
    VIEW_AVDocs::BringToFront(doc);
    VIEW_AVDocs::Close(doc);
    ASSERT_EQ(m_tool->Views().size(), 1u);
    EXPECT_EQ(PDFL_PDPageGetDoc(m_tool->Views().front()->Page().HostPage()), VIEW_AVDocs::PDDoc(other));
    VIEW_AVDocs::Close(other);
    EXPECT_TRUE(m_tool->Views().empty());
    EXPECT_FALSE(m_tool->HasCurrentView());
    EXPECT_EQ(VIEW_PD::AcquiredPageCount(), pagesBefore);
}

TEST_F(ZOVA_Tool, AFullSaveDropsOnlyTheFirstViewOfTheDocument) {
    const PDFL_AVDoc doc = OpenPages(3);
    Activate();
    VIEW_PageViews::GoToPage(FrontPageView(), 1);
    VIEW_PageViews::GoToPage(FrontPageView(), 2);
    ASSERT_EQ(m_tool->Views().size(), 3u);
    const PDFL_PDDoc pdDoc = VIEW_AVDocs::PDDoc(doc);
    PDFL_PDDocSaveParams params{sizeof(PDFL_PDDocSaveParams), 0};
    VIEW_CallPlugin([&] { VIEW_App::SendNotification(PDFL_PDDocWillSaveExNSEL, pdDoc, &params); });
    EXPECT_EQ(m_tool->Views().size(), 3u);
    params.m_saveFlags = 1;
    VIEW_CallPlugin([&] { VIEW_App::SendNotification(PDFL_PDDocWillSaveExNSEL, pdDoc, &params); });
    ASSERT_EQ(m_tool->Views().size(), 2u);
    EXPECT_EQ(m_tool->Views().front()->Page().Number(), 1u);
    EXPECT_EQ(m_tool->CurrentView().Page().Number(), 2u);
}

TEST_F(ZOVA_Tool, FrameRectAt150DpiForBothQuarterTurns) {
    for (int rotate : {0, 90}) {
        SCOPED_TRACE(rotate);
        OpenPages(1, rotate);
        Activate();
        m_tool->SetWindowSize(400, 300);
        m_tool->SetResolution(1);
        m_tool->CurrentView().SetCenter(GLIB_Point(306, 396));
        PDFL_FixedRect rect{};
        m_tool->FrameRect(FrontPageView(), rect);
        const PDFL_FixedRect expected = rotate == 0 ? Rect(210, 324, 402, 468) : Rect(234, 300, 378, 492);
        EXPECT_EQ(rect.m_left, expected.m_left);
        EXPECT_EQ(rect.m_bottom, expected.m_bottom);
        EXPECT_EQ(rect.m_right, expected.m_right);
        EXPECT_EQ(rect.m_top, expected.m_top);
    }
}

TEST_F(ZOVA_Tool, DraggingTheFrame) {
    OpenPages(1);
    Activate();
    const PDFL_AVPageView pageView = FrontPageView();
    m_tool->SetWindowSize(400, 300);
    m_tool->SetResolution(1);
    m_tool->CurrentView().SetCenter(GLIB_Point(306, 396));
    // At 72 dpi the frame covers device (210, 324) to (402, 468).
    PDFL_FixedRect frame{};
    m_tool->FrameRect(pageView, frame);

    // A click without movement: the centre stays.
    VIEW_Input::ScriptMouse({});
    VIEW_CallPlugin([&] { return m_tool->DoClick(pageView, 300, 400, 0, 1); });
    EXPECT_EQ(m_tool->CurrentView().Center(), GLIB_Point(306, 396));

    // A drag starting outside: the frame first jumps to centre on the click.
    VIEW_Input::ScriptMouse({{110, 110, true}, {120, 130, true}, {120, 130, false}});
    VIEW_CallPlugin([&] { return m_tool->DoClick(pageView, 100, 100, 0, 1); });
    EXPECT_EQ(m_tool->CurrentView().Center(), GLIB_Point(120, 792 - 130));

    // The cursor: 1206 on and inside the frame, the arrow outside.
    m_tool->FrameRect(pageView, frame);
    const struct {
        int16_t x, y;
        int32_t cursor;
    } points[] = {{120, 130, 1206}, {24, 130, 1206}, {120, 58, 1206}, {5, 5, 0}, {600, 700, 0}};
    for (const auto& p : points) {
        SCOPED_TRACE(std::to_string(p.x) + "," + std::to_string(p.y));
        EXPECT_TRUE(VIEW_PageViewProcs::MoveCursor(pageView, p.x, p.y));
        EXPECT_EQ(VIEW_Input::CursorId(), p.cursor);
    }

    // Far past the page's edge at 2400 dpi: the centre stays in the box and
    // the frame's terms are whole.
    m_tool->SetResolution(5);
    VIEW_Input::ScriptMouse({{30000, 30000, true}, {30000, 30000, false}});
    VIEW_CallPlugin([&] { return m_tool->DoClick(pageView, 120, 130, 0, 1); });
    const GLIB_Point center = m_tool->CurrentView().Center();
    EXPECT_GE(center.X(), 0);
    EXPECT_LE(center.X(), 612);
    EXPECT_GE(center.Y(), 0);
    EXPECT_LE(center.Y(), 792);
}

TEST_F(ZOVA_Tool, SaturatedFrameTermsAndASmallMoveIsNoMove) {
    OpenPages(1);
    Activate();
    const PDFL_AVPageView pageView = FrontPageView();
    m_tool->SetResolution(1);
    m_tool->CurrentView().SetCenter(GLIB_Point(300, 400));
    m_tool->FrameChanged(pageView, Rect(100.05, 300.05, 500.1, 500.1));
    EXPECT_EQ(m_tool->CurrentView().Center(), GLIB_Point(300, 400));
    m_tool->FrameChanged(pageView, Rect(100, 300, 500.4, 500));
    EXPECT_NEAR(m_tool->CurrentView().Center().X(), 300.2, 1e-4);
    EXPECT_EQ(m_tool->CurrentView().Center().Y(), 400);
    // Beyond the box on every side: held to its corners.
    m_tool->FrameChanged(pageView, Rect(-30000, -30000, -29000, -29000));
    EXPECT_EQ(m_tool->CurrentView().Center(), GLIB_Point(0, 0));
    m_tool->FrameChanged(pageView, Rect(30000, 30000, 32000, 32000));
    EXPECT_EQ(m_tool->CurrentView().Center(), GLIB_Point(612, 792));
    // A centre far out (as a view may hold) gives terms held to the range.
    m_tool->CurrentView().SetCenter(GLIB_Point(1e6, -1e6));
    PDFL_FixedRect rect{};
    m_tool->FrameRect(pageView, rect);
    EXPECT_EQ(rect.m_left, std::numeric_limits<PDFL_Fixed>::max());
    EXPECT_EQ(rect.m_right, std::numeric_limits<PDFL_Fixed>::max());
    EXPECT_EQ(rect.m_bottom, std::numeric_limits<PDFL_Fixed>::min());
    EXPECT_EQ(rect.m_top, std::numeric_limits<PDFL_Fixed>::min());
}
