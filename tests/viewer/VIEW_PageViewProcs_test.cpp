// Page-view drawing and adjust-cursor procedures: called in the order of
// registration with their own data, each unregistration removing one.
#include "viewer/VIEW_Callbacks.h"
#include "viewer/VIEW_Host.h"
#include "viewer/VIEW_Input.h"
#include "viewer/VIEW_PD.h"
#include "viewer/VIEW_PageViewProcs.h"
#include "viewer/VIEW_PageViews.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<std::string>& Heard() {
    static std::vector<std::string> heard;
    return heard;
}

void Draw(PDFL_AVPageView, PDFL_AVRect* update, void* data) {
    Heard().push_back(std::string("draw ") + static_cast<const char*>(data) + " " +
                      std::to_string(update ? update->m_right : -1));
}

PDFL_Bool Cursor(PDFL_AVPageView, int16_t x, int16_t y, void* data) {
    Heard().push_back(std::string("cursor ") + static_cast<const char*>(data) + " " + std::to_string(x) +
                      "," + std::to_string(y));
    return std::string(static_cast<const char*>(data)) == "claims";
}

class VIEW_PageViewProcsTest : public ::testing::Test {
protected:
    void SetUp() override {
        VIEW_Host::Reset();
        Heard().clear();
        m_view = VIEW_PageViews::New(VIEW_PD::DocCreate());
    }
    void TearDown() override { VIEW_Host::Reset(); }
    static PDFL_ASCallback Make(PDFL_Proc proc) { return VIEW_Callbacks::Create(VIEW_Host::ExtensionID(), proc); }
    PDFL_AVPageView m_view = nullptr;
};

}  // namespace

TEST_F(VIEW_PageViewProcsTest, DrawingProceduresRunInRegistrationOrder) {
    const PDFL_ASCallback a = Make(reinterpret_cast<PDFL_Proc>(&Draw));
    const PDFL_ASCallback b = Make(reinterpret_cast<PDFL_Proc>(&Draw));
    VIEW_PageViewProcs::RegisterDrawing(b, const_cast<char*>("b"));
    VIEW_PageViewProcs::RegisterDrawing(a, const_cast<char*>("a"));
    VIEW_PageViewProcs::RegisterDrawing(b, const_cast<char*>("b2"));
    VIEW_PageViewProcs::Draw(m_view);
    EXPECT_EQ(Heard(), (std::vector<std::string>{"draw b 0", "draw a 0", "draw b2 0"}));

    Heard().clear();
    VIEW_PageViewProcs::UnregisterDrawing(b);  // the first of two
    VIEW_PageViewProcs::Draw(m_view);
    EXPECT_EQ(Heard(), (std::vector<std::string>{"draw a 0", "draw b2 0"}));
    VIEW_PageViewProcs::UnregisterDrawing(b);
    VIEW_PageViewProcs::UnregisterDrawing(a);
    VIEW_PageViewProcs::UnregisterDrawing(a);  // not registered: nothing
    EXPECT_EQ(VIEW_PageViewProcs::DrawingCount(), 0u);
}

TEST_F(VIEW_PageViewProcsTest, CursorProceduresAskedUntilOneClaims) {
    const PDFL_ASCallback declines = Make(reinterpret_cast<PDFL_Proc>(&Cursor));
    const PDFL_ASCallback claims = Make(reinterpret_cast<PDFL_Proc>(&Cursor));
    const PDFL_ASCallback never = Make(reinterpret_cast<PDFL_Proc>(&Cursor));
    VIEW_PageViewProcs::RegisterAdjustCursor(declines, const_cast<char*>("declines"));
    VIEW_PageViewProcs::RegisterAdjustCursor(claims, const_cast<char*>("claims"));
    VIEW_PageViewProcs::RegisterAdjustCursor(never, const_cast<char*>("never"));
    EXPECT_TRUE(VIEW_PageViewProcs::MoveCursor(m_view, 12, -3));
    EXPECT_EQ(Heard(), (std::vector<std::string>{"cursor declines 12,-3", "cursor claims 12,-3"}));
    int16_t x = 0, y = 0;
    VIEW_Input::MousePosition(&x, &y);
    EXPECT_EQ(x, 12);
    EXPECT_EQ(y, -3);

    // Nobody claims and the host's own tool has no procedure.
    VIEW_PageViewProcs::UnregisterAdjustCursor(claims);
    Heard().clear();
    EXPECT_FALSE(VIEW_PageViewProcs::MoveCursor(m_view, 1, 2));
    EXPECT_EQ(Heard(), (std::vector<std::string>{"cursor declines 1,2", "cursor never 1,2"}));
}

TEST_F(VIEW_PageViewProcsTest, AnUnknownProcedureIsRefused) {
    EXPECT_ANY_THROW(VIEW_PageViewProcs::RegisterDrawing(reinterpret_cast<PDFL_ASCallback>(0x1234), nullptr));
    EXPECT_EQ(VIEW_PageViewProcs::DrawingCount(), 0u);
}
