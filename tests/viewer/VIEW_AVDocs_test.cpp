// Front documents and page views as the plug-in reaches them through the
// function table: page <-> device conversion for every rotation and
// resolution, the notifications of opening, raising, page changes, closing
// and saving, the overlay log, cursors, modifiers and a scripted drag.
#include "support/TestSupport.h"
#include "support/PdfText.h"
#include "VIEW_TestDocs.h"
#include "viewer/VIEW_App.h"
#include "viewer/VIEW_AVDocs.h"
#include "viewer/VIEW_Callbacks.h"
#include "viewer/VIEW_Host.h"
#include "viewer/VIEW_HostError.h"
#include "viewer/VIEW_Input.h"
#include "viewer/VIEW_PD.h"
#include "viewer/VIEW_PageViews.h"
#include "viewer/VIEW_Paths.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

template <int Slot>
typename PDFL_Slot<PDFL_AcroViewTable, Slot>::Proc AV() {
    return reinterpret_cast<typename PDFL_Slot<PDFL_AcroViewTable, Slot>::Proc>(
        VIEW_Host::Table(PDFL_AcroViewTable)[Slot]);
}

std::string OnePagePdf(const std::string& pageEntries) {
    return PdfText("%PDF-1.4", {
                                   "<< /Type /Catalog /Pages 2 0 R >>",
                                   "<< /Type /Pages /Kids [3 0 R 4 0 R] /Count 2 >>",
                                   "<< /Type /Page /Parent 2 0 R " + pageEntries + " >>",
                                   "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 612 792] >>",
                               });
}

struct Heard {
    int32_t m_selector;
    const void* m_subject;
    int32_t m_extra;  // how (14), the save flags (56), else 0
};
std::vector<Heard> gHeard;
std::vector<bool> gFileExistedAtSave;
std::string gSavePath;

void OnDoc2(PDFL_AVDoc doc, void*) { gHeard.push_back({2, doc, 0}); }
void OnDoc6(PDFL_AVDoc doc, void*) { gHeard.push_back({6, doc, 0}); }
void OnDoc7(PDFL_AVDoc doc, void*) { gHeard.push_back({7, doc, 0}); }
void OnView14(PDFL_AVPageView view, int16_t how, void*) { gHeard.push_back({14, view, how}); }
void OnPage34(PDFL_PDPage page, void*) { gHeard.push_back({34, page, 0}); }
void OnSave56(PDFL_PDDoc doc, PDFL_PDDocSaveParams* params, void*) {
    gHeard.push_back({56, doc, params->m_size == sizeof(PDFL_PDDocSaveParams) ? params->m_saveFlags : -1});
    std::FILE* const file = std::fopen(gSavePath.c_str(), "rb");
    gFileExistedAtSave.push_back(file != nullptr);
    if (file)
        std::fclose(file);
}

class AVDocsTest : public ::testing::Test {
protected:
    void SetUp() override {
        VIEW_Host::Reset();
        gHeard.clear();
        gFileExistedAtSave.clear();
    }
    void TearDown() override {
        VIEW_Host::Reset();
        EXPECT_EQ(VIEW_PD::OpenDocCount(), 0u);
    }
    PDFL_PDDoc OpenPD(const std::string& name, const std::string& bytes) {
        return VIEW_OpenTestDoc(m_dir.File(name), bytes);
    }
    template <class Proc>
    void Listen(int32_t selector, Proc proc) {
        const PDFL_ASCallback callback =
            VIEW_Callbacks::Create(VIEW_Host::ExtensionID(), reinterpret_cast<PDFL_Proc>(proc));
        AV<41>()(selector, VIEW_Host::ExtensionID(), callback, nullptr);
    }
    ScratchDir m_dir;
};

PDFL_FixedRect FixedRect(int left, int bottom, int right, int top) {
    return {left * 65536, bottom * 65536, right * 65536, top * 65536};
}

TEST_F(AVDocsTest, PageAndDeviceSpaceMeetForEveryRotationAndResolution) {
    struct Case {
        const char* m_rotate;
        int32_t m_dpi;
        PDFL_AVRect m_aperture;
        PDFL_AVRect m_device;  // of the page-space rectangle (10, 20)-(50, 40)
    };
    // A 200 x 100 page box whose user-space origin is not page space's.
    const Case cases[] = {
        {"0", 72, {0, 0, 200, 100}, {10, 60, 50, 80}},
        {"90", 72, {0, 0, 100, 200}, {20, 10, 40, 50}},
        {"180", 72, {0, 0, 200, 100}, {150, 20, 190, 40}},
        {"270", 72, {0, 0, 100, 200}, {60, 150, 80, 190}},
        {"-90", 72, {0, 0, 100, 200}, {60, 150, 80, 190}},
        {"0", 144, {0, 0, 400, 200}, {20, 120, 100, 160}},
        {"90", 36, {0, 0, 50, 100}, {10, 5, 20, 25}},
    };
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string("rotate ") + c.m_rotate + " at " + std::to_string(c.m_dpi) + " dpi");
        const PDFL_PDDoc pd = OpenPD("r" + std::to_string(n++) + ".pdf",
                                     OnePagePdf(std::string("/MediaBox [-50 300 400 900] ") +
                                                "/CropBox [10 400 210 500] /Rotate " + c.m_rotate));
        const PDFL_AVDoc doc = AV<45>()(pd, nullptr);
        const PDFL_AVPageView view = AV<49>()(doc);
        VIEW_PageViews::SetResolution(view, c.m_dpi);
        PDFL_AVRect aperture{};
        AV<108>()(view, &aperture);
        EXPECT_EQ((std::vector<int>{aperture.m_left, aperture.m_top, aperture.m_right, aperture.m_bottom}),
                  (std::vector<int>{c.m_aperture.m_left, c.m_aperture.m_top, c.m_aperture.m_right,
                                    c.m_aperture.m_bottom}));
        // Given upside down: conversion normalises.
        PDFL_FixedRect page = FixedRect(50, 40, 10, 20);
        PDFL_AVRect device{};
        AV<154>()(view, &page, &device);
        EXPECT_EQ((std::vector<int>{device.m_left, device.m_top, device.m_right, device.m_bottom}),
                  (std::vector<int>{c.m_device.m_left, c.m_device.m_top, c.m_device.m_right,
                                    c.m_device.m_bottom}));
        PDFL_FixedRect back{};
        AV<155>()(view, &device, &back);
        EXPECT_EQ((std::vector<int32_t>{back.m_left, back.m_bottom, back.m_right, back.m_top}),
                  (std::vector<int32_t>{10 * 65536, 20 * 65536, 50 * 65536, 40 * 65536}));
        VIEW_AVDocs::Close(doc);
    }
}

TEST_F(AVDocsTest, DeviceRectanglesRoundAndStayInSixteenBits) {
    const PDFL_AVDoc doc = AV<45>()(OpenPD("a.pdf", OnePagePdf("/MediaBox [0 0 100 100]")), "A");
    const PDFL_AVPageView view = AV<49>()(doc);
    PDFL_FixedRect page = {0x8000 + 65536, 0, 30000 * 65536, 65536 * 99 + 0x7FFF};
    PDFL_AVRect device{};
    AV<154>()(view, &page, &device);
    EXPECT_EQ(device.m_left, 2);   // 1.5 rounds away from zero
    EXPECT_EQ(device.m_top, 1);    // 100 - 99.49...
    EXPECT_EQ(device.m_right, 30000);
    VIEW_PageViews::SetResolution(view, 720);
    AV<154>()(view, &page, &device);
    EXPECT_EQ(device.m_right, 32767);
    EXPECT_EQ(device.m_bottom, 1000);
}

TEST_F(AVDocsTest, FrontDocumentChangesAndClosingAreHeardInOrder) {
    for (int32_t selector : {2, 6, 7})
        Listen(selector, selector == 2 ? OnDoc2 : selector == 6 ? OnDoc6 : OnDoc7);
    const PDFL_PDDoc pdA = OpenPD("a.pdf", OnePagePdf("/MediaBox [0 0 100 100]"));
    const PDFL_PDDoc pdB = OpenPD("b.pdf", OnePagePdf("/MediaBox [0 0 100 100]"));
    EXPECT_EQ(AV<12>()(), nullptr);
    const PDFL_AVDoc a = AV<45>()(pdA, nullptr);
    const PDFL_AVDoc b = AV<45>()(pdB, "B");
    EXPECT_EQ(AV<12>()(), b);
    EXPECT_EQ(AV<48>()(b), pdB);
    // The same PD document again raises its window.
    EXPECT_EQ(AV<45>()(pdA, nullptr), a);
    EXPECT_EQ(AV<12>()(), a);
    VIEW_AVDocs::Close(a);
    EXPECT_EQ(AV<12>()(), b);
    VIEW_AVDocs::Close(b);
    EXPECT_EQ(AV<12>()(), nullptr);
    const std::vector<std::pair<int32_t, const void*>> expected = {
        {2, a}, {6, a}, {2, b}, {6, b}, {2, a}, {7, a}, {2, b}, {7, b}, {2, nullptr}};
    ASSERT_EQ(gHeard.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(gHeard[i].m_selector, expected[i].first);
        EXPECT_EQ(gHeard[i].m_subject, expected[i].second);
    }
    // Closing the windows closed the PD documents they kept.
    EXPECT_EQ(VIEW_PD::OpenDocCount(), 0u);
    EXPECT_EQ(VIEW_PD::AcquiredPageCount(), 0u);
}

TEST_F(AVDocsTest, PageChangesAndContentChangesAreHeard) {
    Listen(14, OnView14);
    Listen(34, OnPage34);
    const PDFL_AVDoc doc = AV<45>()(OpenPD("a.pdf", OnePagePdf("/MediaBox [0 0 100 100]")), nullptr);
    const PDFL_AVPageView view = AV<49>()(doc);
    EXPECT_EQ(VIEW_PD::PageGetNumber(AV<109>()(view)), 0);
    VIEW_PageViews::GoToPage(view, 0);  // no change, nothing heard
    VIEW_PageViews::GoToPage(view, 1);
    const PDFL_PDPage second = AV<109>()(view);
    EXPECT_EQ(VIEW_PD::PageGetNumber(second), 1);
    VIEW_AVDocs::PageContentsDidChange(second);
    EXPECT_THROW(VIEW_PageViews::GoToPage(view, 2), VIEW_HostRaise);
    EXPECT_EQ(VIEW_PageViews::PageNumber(view), 1);
    ASSERT_EQ(gHeard.size(), 2u);
    EXPECT_EQ(gHeard[0].m_selector, 14);
    EXPECT_EQ(gHeard[0].m_subject, view);
    EXPECT_EQ(gHeard[0].m_extra, 2);
    EXPECT_EQ(gHeard[1].m_selector, 34);
    EXPECT_EQ(gHeard[1].m_subject, second);
    EXPECT_EQ(VIEW_PD::AcquiredPageCount(), 1u);
}

TEST_F(AVDocsTest, SavingIsHeardBeforeTheFileIsWrittenWithItsFullSaveBit) {
    Listen(56, OnSave56);
    const PDFL_PDDoc pd = OpenPD("a.pdf", OnePagePdf("/MediaBox [0 0 100 100]"));
    gSavePath = m_dir.File("saved.pdf");
    const PDFL_ASPathName path = VIEW_Paths::Make(gSavePath);
    VIEW_PD::DocSave(pd, 0x21, path, nullptr);
    VIEW_PD::DocSave(pd, 0, nullptr, nullptr);
    // Refused flags are refused before anyone hears of a save.
    EXPECT_THROW(VIEW_PD::DocSave(pd, 4, path, nullptr), VIEW_AssertionFailure);
    VIEW_Paths::Release(path);
    ASSERT_EQ(gHeard.size(), 2u);
    EXPECT_EQ(gHeard[0].m_subject, pd);
    EXPECT_EQ(gHeard[0].m_extra, 1);
    EXPECT_EQ(gHeard[1].m_extra, 0);
    EXPECT_EQ(gFileExistedAtSave, (std::vector<bool>{false, true}));
    VIEW_PD::DocClose(pd);
}

TEST_F(AVDocsTest, ADragLoopReadsTheScriptedMouseAndLogsItsFrameDrawing) {
    const PDFL_AVDoc doc = AV<45>()(OpenPD("a.pdf", OnePagePdf("/MediaBox [0 0 100 100]")), nullptr);
    const PDFL_AVPageView view = AV<49>()(doc);
    VIEW_Input::MoveMouse(5, 6);
    VIEW_Input::ScriptMouse({{5, 6, true}, {8, 6, true}, {8, 10, true}, {9, 11, false}});
    PDFL_AVRect band = {0, 0, 10, 10};
    int16_t lastX = 5, lastY = 6;
    while (AV<157>()()) {
        int16_t x = 0, y = 0;
        AV<132>()(view, &x, &y);
        if (x == lastX && y == lastY)
            continue;
        AV<129>()(view, &band);
        band.m_left += x - lastX;
        band.m_right += x - lastX;
        band.m_top += y - lastY;
        band.m_bottom += y - lastY;
        AV<129>()(view, &band);
        lastX = x;
        lastY = y;
    }
    EXPECT_EQ(VIEW_Input::MouseStepsLeft(), 0u);
    int16_t x = 0, y = 0;
    AV<132>()(view, &x, &y);
    EXPECT_EQ(x, 9);  // the release moved the mouse too
    EXPECT_EQ(y, 11);
    PDFL_PDColorValueRec red = {2, 0, {65536, 0, 0, 0}};
    AV<114>()(view, &red);
    AV<130>()(view, &band, 1, nullptr, 0);
    AV<126>()(view, &band);
    AV<127>()(view);
    const auto& log = VIEW_PageViews::Overlay(view);
    ASSERT_EQ(log.size(), 8u);
    EXPECT_EQ(log[3].m_kind, VIEW_OverlayKind::InvertOutline);
    EXPECT_EQ((std::vector<int>{log[3].m_rect.m_left, log[3].m_rect.m_top}), (std::vector<int>{3, 4}));
    EXPECT_EQ(log[4].m_kind, VIEW_OverlayKind::SetColor);
    EXPECT_EQ(log[4].m_color.m_value[0], 65536);
    EXPECT_EQ(log[5].m_kind, VIEW_OverlayKind::DrawOutline);
    EXPECT_EQ(log[5].m_lineWidth, 1);
    EXPECT_EQ(log[6].m_kind, VIEW_OverlayKind::InvertRect);
    EXPECT_EQ(log[7].m_kind, VIEW_OverlayKind::Refresh);
}

TEST_F(AVDocsTest, CursorsAndModifiers) {
    const PDFL_AVCursor arrow = AV<159>()(0);
    const PDFL_AVCursor cross = AV<159>()(1206);
    EXPECT_NE(arrow, nullptr);
    EXPECT_NE(arrow, cross);
    EXPECT_EQ(AV<159>()(1206), cross);
    EXPECT_EQ(VIEW_Input::CursorId(), -1);
    AV<160>()(cross);
    EXPECT_EQ(VIEW_Input::CursorId(), 1206);
    EXPECT_THROW(AV<160>()(reinterpret_cast<PDFL_AVCursor>(0x999)), VIEW_AssertionFailure);
    EXPECT_THROW(AV<159>()(-1), VIEW_AssertionFailure);
    EXPECT_EQ(AV<156>()(), 0);
    VIEW_Input::SetModifiers(8);
    EXPECT_EQ(AV<156>()(), 8);
}

TEST_F(AVDocsTest, BadArgumentsAreAssertionsAndLoseNothing) {
    const PDFL_PDDoc empty = VIEW_PD::DocCreate();
    const PDFL_AVDoc doc = AV<45>()(empty, nullptr);
    const PDFL_AVPageView view = AV<49>()(doc);
    EXPECT_EQ(AV<109>()(view), nullptr);
    PDFL_AVRect aperture = {1, 2, 3, 4};
    AV<108>()(view, &aperture);
    EXPECT_EQ(aperture.m_right, 0);
    PDFL_FixedRect page = FixedRect(0, 0, 1, 1);
    PDFL_AVRect device{};
    EXPECT_THROW(AV<154>()(view, &page, &device), VIEW_AssertionFailure);
    EXPECT_THROW(AV<108>()(view, nullptr), VIEW_AssertionFailure);
    EXPECT_THROW(AV<126>()(view, nullptr), VIEW_AssertionFailure);
    EXPECT_THROW(AV<130>()(view, &device, 1, nullptr, 2), VIEW_AssertionFailure);
    EXPECT_THROW(AV<48>()(reinterpret_cast<PDFL_AVDoc>(0x1234)), VIEW_AssertionFailure);
    EXPECT_THROW(AV<127>()(reinterpret_cast<PDFL_AVPageView>(0x1234)), VIEW_AssertionFailure);
    EXPECT_THROW(VIEW_PageViews::SetResolution(view, 0), VIEW_AssertionFailure);
    EXPECT_TRUE(VIEW_PageViews::Overlay(view).empty());
    EXPECT_EQ(AV<12>()(), doc);
    VIEW_AVDocs::Close(doc);
    EXPECT_EQ(VIEW_AVDocs::Count(), 0u);
}

}  // namespace
