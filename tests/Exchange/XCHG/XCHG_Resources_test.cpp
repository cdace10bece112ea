// Resources of the plug-in module (here the test program's own tables) and
// the rectangle hit test.
#include "XCHG_ReportFixture.h"

#include "Exchange/XCHG/XCHG_CancelRequester.h"
#include "Exchange/XCHG/XCHG_Resources.h"
#include "win32/win32_resources.h"

#include <cstring>

namespace {

const int16_t g_outline[] = {1, 0, 255, 0, 0};
const int16_t g_seven[] = {4, 128, 255, 0, 51, 255, 255};
const int16_t g_short[] = {3, 255};
const Win32CustomResource g_custom[] = {
    {"PDCL", 1301, g_outline, sizeof g_outline},
    {"PDCL", 1310, g_seven, sizeof g_seven},
    {"PDCL", 1311, g_short, sizeof g_short},
};
const Win32ResourceTables g_tables = [] {
    Win32ResourceTables tables;
    tables.m_custom = g_custom;
    tables.m_customCount = sizeof g_custom / sizeof g_custom[0];
    return tables;
}();
const Win32ResourceRegistration g_registration(g_tables);

class ResourcesTest : public ReportTest {};

TEST(HitTestRect, EdgeBandsAndCorners) {
    const PDFL_AVRect rect{100, 50, 300, 200};
    struct Case {
        int x, y;
        uint32_t flags;
    };
    const Case cases[] = {
        {100, 50, 3},  {105, 55, 15}, {98, 55, 0},  {100, 48, 0},  {99, 120, 2},  {101, 120, 2},
        {299, 120, 8}, {301, 120, 8}, {302, 120, 0}, {200, 49, 1}, {200, 201, 4}, {200, 202, 0},
        {300, 200, 12}, {100, 200, 6}, {300, 50, 9}, {200, 120, 15}, {98, 50, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.x << "," << c.y);
        EXPECT_EQ(XCHG_HitTestRect(static_cast<int16_t>(c.x), static_cast<int16_t>(c.y), rect), c.flags);
    }
    // Bands that overlap on a thin rectangle: the left and top edges win.
    EXPECT_EQ(XCHG_HitTestRect(11, 21, PDFL_AVRect{10, 20, 12, 22}), 3u);
}

TEST_F(ResourcesTest, ColoursFromThePdclResource) {
    struct Case {
        uint16_t id;
        int16_t space;
        PDFL_Fixed values[4];
    };
    const Case cases[] = {
        {1301, 1, {0, 65536, 0, 0}},
        {1310, 4, {32897, 65536, 0, 13107}},   // seven values: the first five
        {1311, 3, {65536, 0, 0, 0}},           // the rest stays cleared
        {1399, 0, {0, 0, 0, 0}},               // missing
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.id);
        PDFL_PDColorValueRec color;
        std::memset(&color, 0x5A, sizeof color);
        XCHG_LoadColor(c.id, &color);
        EXPECT_EQ(color.m_space, c.space);
        EXPECT_EQ(color.m_padding, 0);
        for (int i = 0; i < 4; ++i)
            EXPECT_EQ(color.m_value[i], c.values[i]) << "component " << i + 1;
    }
}

TEST_F(ResourcesTest, StringsWithTheMissingText) {
    char text[256];
    EXPECT_STREQ(XCHG_LoadString(4242, text, sizeof text), "*** Unknown string ID: 4242 ***");
    EXPECT_STREQ(XCHG_LoadString(20012, text, sizeof text),
                 "The plug-in %s failed when using the directory %s for its preference file.");
    char small[12];
    EXPECT_STREQ(XCHG_LoadString(4242, small, sizeof small), "*** Unknown");
    EXPECT_STREQ(XCHG_LoadString(20010, small, sizeof small), "The plug-in");
    EXPECT_EQ(XCHG_LoadBitmap(999), nullptr);
}

TEST_F(ResourcesTest, ShouldCancelFollowsTheSharedManager) {
    GLIB_CancelMgr manager;
    XCHG_CancelRequester requester;
    requester.SetCancelMgr(manager);
    PDFL_CancelProc proc = XCHG_CancelRequester::CancelProc();
    EXPECT_EQ(VIEW_CallPlugin([&] { return proc(&requester); }), 0);
    manager.SetCancelled(true);
    EXPECT_EQ(VIEW_CallPlugin([&] { return proc(&requester); }), 1);
    EXPECT_TRUE(requester.IsCancelled());
    EXPECT_TRUE(VIEW_Recorder::RaisedToHost().empty());
}

}  // namespace
