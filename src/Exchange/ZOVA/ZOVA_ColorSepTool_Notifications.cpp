// The host's notifications and the adjust-cursor procedure: trampolines
// that find the tool in their client data, and the handlers.
#include "Exchange/ZOVA/ZOVA_ColorSepTool.h"

#include "Exchange/XCHG/XCHG_AVCalls.h"
#include "GLIB/GLIB_Assert.h"
#include "hostpdf/PDFL_ExceptionHandler.h"
#include "hostpdf/PDFL_PDCalls.h"

namespace {

constexpr int16_t PageViewPageChanged = 2;
constexpr uint16_t FullSave = 1;

template <class Member>
auto Dispatch(const char* method, void* clientData, Member member) {
    return PDFL_CallbackGuard("ZOVA_ColorSepTool", method, [=] {
        auto* ourObj = static_cast<ZOVA_ColorSepTool*>(clientData);
        GLIB_ASSERT(ourObj != NULL);
        return member(*ourObj);
    });
}

}  // namespace

void ZOVA_ColorSepTool::Notification_AVAppFrontDocDidChange(PDFL_AVDoc doc, void* clientData) {
    Dispatch("Notification_AVAppFrontDocDidChange", clientData,
             [=](ZOVA_ColorSepTool& tool) { tool.FrontDocDidChange(doc); });
}

PDFL_Bool ZOVA_ColorSepTool::Notification_AdjustCursor(PDFL_AVPageView pageView, int16_t x,
                                                       int16_t y, void* clientData) {
    // The base operation, called directly: this procedure never claims the
    // cursor; the tool's own AdjustCursor does while it is active.
    return Dispatch("Notification_AdjustCursor", clientData, [=](ZOVA_ColorSepTool& tool) {
        return tool.XCHG_AVToolObj::AdjustCursor(pageView, x, y);
    });
}

void ZOVA_ColorSepTool::Notification_AVPageViewDidChange(PDFL_AVPageView pageView, int16_t how,
                                                         void* clientData) {
    Dispatch("Notification_AVPageViewDidChange", clientData,
             [=](ZOVA_ColorSepTool& tool) { tool.PageViewDidChange(pageView, how); });
}

void ZOVA_ColorSepTool::Notification_PDPageContentsDidChange(PDFL_PDPage page, void* clientData) {
    Dispatch("Notification_PDPageContentsDidChange", clientData,
             [=](ZOVA_ColorSepTool& tool) { tool.PageContentsDidChange(page); });
}

void ZOVA_ColorSepTool::Notification_AVDocWillClose(PDFL_AVDoc doc, void* clientData) {
    Dispatch("Notification_AVDocWillClose", clientData,
             [=](ZOVA_ColorSepTool& tool) { tool.DocWillClose(doc); });
}

void ZOVA_ColorSepTool::Notification_PDDocWillSaveEx(PDFL_PDDoc doc, PDFL_PDDocSaveParams* params,
                                                     void* clientData) {
    Dispatch("Notification_PDDocWillSaveEx", clientData,
             [=](ZOVA_ColorSepTool& tool) { tool.DocWillSave(doc, params); });
}

void ZOVA_ColorSepTool::Notification_AVDocDidDeactivate(PDFL_AVDoc doc, void* clientData) {
    Dispatch("Notification_AVDocDidDeactivate", clientData,
             [=](ZOVA_ColorSepTool& tool) { tool.DocDidDeactivate(doc); });
}

void ZOVA_ColorSepTool::FrontDocDidChange(PDFL_AVDoc doc) {
    if (!m_colorDialog.IsAlive() || !m_colorDialog.IsVisible())
        return;
    SelectPageView(doc ? XCHG_AVDocGetPageView(doc) : nullptr);
}

void ZOVA_ColorSepTool::PageViewDidChange(PDFL_AVPageView pageView, int16_t how) {
    if (IsActive() && pageView && (how & PageViewPageChanged))
        SelectPageView(pageView);
}

void ZOVA_ColorSepTool::PageContentsDidChange(PDFL_PDPage page) {
    ZOVA_View* const view = FindView(page, false);
    if (!view)
        return;
    // Taken before the rebuild, which moves the view's centre to (0, 0).
    const GLIB_Point center = CurrentView().Center();
    // A page that no longer gives its inks stays in its view: the next
    // separation says what is wrong with it.
    view->ReloadPage(ZOVA_HeldPage(page));
    view->SetCenter(center);
    if (view == m_viewCurrent && m_colorDialog.IsAlive() && m_colorDialog.IsVisible()) {
        m_colorDialog.UpdateFromView(*view);
        SetPageState(ZOVA_View::PageNeedsUpdate);
    } else {
        view->SetPageState(ZOVA_View::PageNeedsUpdate);
    }
}

void ZOVA_ColorSepTool::DocWillClose(PDFL_AVDoc doc) {
    // Every view of the document goes: each holds one of its pages, which
    // must not outlive it.
    const PDFL_PDDoc pdDoc = XCHG_AVDocGetPDDoc(doc);
    for (auto it = m_views.begin(); it != m_views.end();) {
        auto next = std::next(it);
        if (pdDoc && DocOf(**it) == pdDoc)
            DropView(it);
        it = next;
    }
}

void ZOVA_ColorSepTool::DocWillSave(PDFL_PDDoc doc, const PDFL_PDDocSaveParams* params) {
    if (!params || !(params->m_saveFlags & FullSave))
        return;
    for (auto it = m_views.begin(); it != m_views.end(); ++it) {
        if (DocOf(**it) == doc) {
            DropView(it);
            return;
        }
    }
}

void ZOVA_ColorSepTool::DocDidDeactivate(PDFL_AVDoc doc) {
    if (!m_viewCurrent)
        return;
    const PDFL_AVPageView pageView = XCHG_AVDocGetPageView(doc);
    if (pageView && Holds(*m_viewCurrent, XCHG_AVPageViewGetPage(pageView)))
        RefreshFrame(pageView);
}
