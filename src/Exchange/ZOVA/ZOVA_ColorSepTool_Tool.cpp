// Construction, the tool callbacks and registration.
#include "Exchange/ZOVA/ZOVA_ColorSepTool.h"

#include "Exchange/XCHG/XCHG_AVCalls.h"
#include "Exchange/XCHG/XCHG_HostBinding.h"
#include "Exchange/XCHG/iXCHG_Callbacks.h"
#include "Exchange/ZOVA/ZOVA_CancelMgrCore.h"
#include "Exchange/ZOVA/ZOVA_Resources.h"
#include "GLIB/GLIB_Exception.h"
#include "GLIB/GLIB_Log.h"
#include "hostpdf/PDFL_CorCalls.h"

namespace {

constexpr int32_t ViewWindowLayer = 2;
constexpr uint32_t ViewWindowFlags = 0xD0000000;
constexpr uint32_t DialogWindowFlags = 0x1A000000;
constexpr int16_t ViewWindowLeft = 30;
constexpr int16_t ViewWindowTop = 100;

void AllocateAtScreenSize(ZOVA_OffscreenImage& image) {
    if (image.IsValid())
        return;
    int32_t width = 0, height = 0;
    image.MaxSize(&width, &height);
    image.Allocate(width, height, 32);
}

}  // namespace

ZOVA_ColorSepTool::ZOVA_ColorSepTool() {
    // The dialog is made again at each registration, so the button is
    // looked up at each poll.
    m_cancelMgr = new ZOVA_CancelMgrCore([this] { return m_colorDialog.StopButton(); });
    m_cancelRequester.SetCancelMgr(m_cancelMgr);
}

ZOVA_ColorSepTool::~ZOVA_ColorSepTool() {
    try {
        if (m_viewWindow.IsAlive())
            m_viewWindow.Destroy();
    } catch (...) {
        GLIB_LOG(GLIB_LogError, "ZOVA_ColorSepTool: destroying the view window failed");
    }
    if (m_plateCache)
        m_plateCache->Clear(true);
    m_plateCache.reset();
    m_plateItems.clear();
    m_viewCurrent = nullptr;
    m_views.clear();
}

void ZOVA_ColorSepTool::Activate(PDFL_Bool persistent) {
    AllocateAtScreenSize(m_viewImage);
    AllocateAtScreenSize(m_pageImage);
    if (!m_plateCache) {
        int32_t width = 0, height = 0;
        m_viewImage.MaxSize(&width, &height);
        m_plateCache = std::make_unique<GLIB_GenCache>(4u * static_cast<uint32_t>(width) *
                                                           static_cast<uint32_t>(height),
                                                       nullptr);
    }
    if (!m_viewWindow.IsAlive()) {
        m_viewWindow.Create(ViewWindowLayer, ViewWindowFlags);
        m_viewWindow.SetTitle("Tintscope");
        m_viewWindow.SetTool(this);
        PDFL_AVRect frame{ViewWindowLeft, ViewWindowTop,
                          static_cast<int16_t>(ViewWindowLeft + m_windowWidth),
                          static_cast<int16_t>(ViewWindowTop + m_windowHeight)};
        m_viewWindow.SetFrame(frame);
    }
    if (!m_viewWindow.IsVisible()) {
        if (const PDFL_AVPageView pageView = ActivePageView())
            SelectPageView(pageView);
        m_viewWindow.Show();
        m_colorDialog.Show();
    }
    ZOVA_RectTool::Activate(persistent);
}

void ZOVA_ColorSepTool::Deactivate() {
    if (const PDFL_AVPageView pageView = ActivePageView()) {
        RefreshFrame(pageView);
        XCHG_AVPageViewRefresh(pageView);
    }
}

PDFL_Bool ZOVA_ColorSepTool::DoKeyDown(uint16_t, int16_t) {
    (void)IsActive();
    return 0;
}

PDFL_ASAtom ZOVA_ColorSepTool::GetType() {
    return PDFL_ASAtomFromString("VELM:ZOVA_ColorSepTool");
}

void ZOVA_ColorSepTool::OnRegister() {
    RegisterNotifications();
    ZOVA_RectTool::OnRegister();
    m_colorDialog.Create(ZOVA_DialogSeparations, 0, /*modal=*/false, DialogWindowFlags);
    m_colorDialog.SetTool(this);
    SetResolution(2);
    SetMagnification(0);
}

void ZOVA_ColorSepTool::OnUnregister() {
    UnregisterNotifications();
    ZOVA_RectTool::OnUnregister();
}

namespace {

template <class Proc>
void RegisterFor(int32_t selector, PDFL_ASCallback& callback, Proc proc, void* tool) {
    callback = iXCHG_MakeCallback(proc);
    XCHG_AVAppRegisterNotification(selector, gXCHG_ExtensionID, callback, tool);
}

void UnregisterFor(int32_t selector, PDFL_ASCallback& callback, void* tool) {
    if (!callback)
        return;
    XCHG_AVAppUnregisterNotification(selector, gXCHG_ExtensionID, callback, tool);
    iXCHG_DestroyCallback(callback);
}

}  // namespace

void ZOVA_ColorSepTool::RegisterNotifications() {
    RegisterFor(PDFL_AVAppFrontDocDidChangeNSEL, m_frontDocDidChange,
             &Notification_AVAppFrontDocDidChange, this);
    m_adjustCursor = iXCHG_MakeCallback(&Notification_AdjustCursor);
    XCHG_AVAppRegisterForPageViewAdjustCursor(m_adjustCursor, this);
    RegisterFor(PDFL_AVPageViewDidChangeNSEL, m_pageViewDidChange, &Notification_AVPageViewDidChange,
             this);
    RegisterFor(PDFL_PDPageContentsDidChangeNSEL, m_pageContentsDidChange,
             &Notification_PDPageContentsDidChange, this);
    RegisterFor(PDFL_AVDocWillCloseNSEL, m_docWillClose, &Notification_AVDocWillClose, this);
    RegisterFor(PDFL_PDDocWillSaveExNSEL, m_docWillSave, &Notification_PDDocWillSaveEx, this);
    RegisterFor(PDFL_AVDocDidDeactivateNSEL, m_docDidDeactivate, &Notification_AVDocDidDeactivate,
             this);
}

void ZOVA_ColorSepTool::UnregisterNotifications() {
    if (m_adjustCursor) {
        XCHG_AVAppUnregisterForPageViewAdjustCursor(m_adjustCursor);
        iXCHG_DestroyCallback(m_adjustCursor);
    }
    UnregisterFor(PDFL_AVPageViewDidChangeNSEL, m_pageViewDidChange, this);
    UnregisterFor(PDFL_AVAppFrontDocDidChangeNSEL, m_frontDocDidChange, this);
    UnregisterFor(PDFL_PDPageContentsDidChangeNSEL, m_pageContentsDidChange, this);
    UnregisterFor(PDFL_AVDocWillCloseNSEL, m_docWillClose, this);
    UnregisterFor(PDFL_PDDocWillSaveExNSEL, m_docWillSave, this);
    UnregisterFor(PDFL_AVDocDidDeactivateNSEL, m_docDidDeactivate, this);
}
