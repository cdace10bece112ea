// The view list: at most ten views, least recently used first, and the
// current one in step with the host's front page.
#include "Exchange/ZOVA/ZOVA_ColorSepTool.h"

#include "Exchange/XCHG/XCHG_AVCalls.h"
#include "GLIB/GLIB_Assert.h"
#include "hostpdf/PDFL_PDCalls.h"

bool ZOVA_ColorSepTool::Holds(const ZOVA_View& view, PDFL_PDPage page) {
    const PDFL_PDPage held = view.Page().HostPage();
    if (!held || !page)
        return false;
    return held == page || (PDFL_PDPageGetDoc(held) == PDFL_PDPageGetDoc(page) &&
                            static_cast<int32_t>(view.Page().Number()) == PDFL_PDPageGetNumber(page));
}

PDFL_PDDoc ZOVA_ColorSepTool::DocOf(const ZOVA_View& view) {
    const PDFL_PDPage held = view.Page().HostPage();
    return held ? PDFL_PDPageGetDoc(held) : nullptr;
}

ZOVA_View& ZOVA_ColorSepTool::CurrentView() {
    return m_viewCurrent ? *m_viewCurrent : m_viewDefault;
}

ZOVA_View* ZOVA_ColorSepTool::FindView(PDFL_PDPage page, bool moveToBack) {
    for (auto it = m_views.begin(); it != m_views.end(); ++it) {
        if (!Holds(**it, page))
            continue;
        ZOVA_View* const found = it->get();
        if (moveToBack)
            m_views.splice(m_views.end(), m_views, it);
        return found;
    }
    return nullptr;
}

ZOVA_View* ZOVA_ColorSepTool::NewView() {
    if (m_views.size() >= MaxViews)
        return m_views.front().get();
    m_views.push_back(std::make_unique<ZOVA_View>());
    return m_views.back().get();
}

void ZOVA_ColorSepTool::NewViewForPageView(PDFL_AVPageView pageView) {
    m_viewCurrent = NewView();
    GLIB_ASSERT(m_viewCurrent != NULL);
    // A page that cannot be modelled is still held: Update then says what
    // is wrong with it, and the reused view is not left empty.
    m_viewCurrent->ReloadPage(ZOVA_HeldPage(XCHG_AVPageViewGetPage(pageView)));
    PDFL_AVRect aperture{};
    XCHG_AVPageViewGetAperture(pageView, &aperture);
    PDFL_FixedRect visible{};
    XCHG_AVPageViewDeviceRectToPage(pageView, &aperture, &visible);
    m_viewCurrent->SetCenter(GLIB_Point((double(visible.m_left) + visible.m_right) / 65536.0 / 2,
                                        (double(visible.m_top) + visible.m_bottom) / 65536.0 / 2));
}

void ZOVA_ColorSepTool::SelectPageView(PDFL_AVPageView pageView) {
    const PDFL_PDPage page = pageView ? XCHG_AVPageViewGetPage(pageView) : nullptr;
    if (!page) {
        m_viewCurrent = nullptr;
        ClearImage();
        m_colorDialog.UpdateFromView(m_viewDefault);
        m_colorDialog.SetStatus(ZOVA_ColorDialog::StatusReady);
        return;
    }
    m_viewCurrent = FindView(page, true);
    if (!m_viewCurrent) {
        NewViewForPageView(pageView);
        GLIB_ASSERT(m_viewCurrent != NULL);
        SetPageState(ZOVA_View::PageNeedsUpdate);
    } else if (m_viewCurrent->PageState() != ZOVA_View::PageReady) {
        SetPageState(m_viewCurrent->PageState());
    } else {
        // Only the view rendered last has its plates in the cache.
        SetPageState(ZOVA_View::PageNeedsRender);
    }
    m_colorDialog.UpdateFromView(*m_viewCurrent);
    DrawFrame(pageView);
}

void ZOVA_ColorSepTool::DropView(std::list<std::unique_ptr<ZOVA_View>>::iterator it) {
    if (it->get() == m_viewCurrent)
        m_viewCurrent = nullptr;
    m_views.erase(it);
}

void ZOVA_ColorSepTool::WindowWillClose(XCHG_AVWindowObj* window) {
    if (window == &m_viewWindow && m_colorDialog.IsAlive() && m_colorDialog.IsVisible())
        m_colorDialog.Hide();
    if (window == &m_colorDialog && m_viewWindow.IsAlive())
        m_viewWindow.Destroy();
    FreeImagesAndCache();
}

void ZOVA_ColorSepTool::FreeImagesAndCache() {
    m_viewImage.Free();
    m_pageImage.Free();
    if (m_plateCache)
        m_plateCache->Clear(true);
    m_plateCache.reset();
    m_plateItems.clear();
    m_plateWidth = 0;
    m_plateHeight = 0;
    m_itemCount = 0;
}
