// Rendering: every ink's separation page drawn by the host, kept as a plate
// in the plate cache and, when ticked, composed into the view image;
// recomposing from the cached plates; following the view window's size.
#include "Exchange/ZOVA/ZOVA_ColorSepTool.h"

#include "Exchange/XCHG/XCHG_AVCalls.h"
#include "Exchange/ZOVA/ZOVA_PageStateGuard.h"
#include "Exchange/ZOVA/ZOVA_PlateGeometry.h"
#include "Exchange/ZOVA/ZOVA_Resources.h"
#include "GLIB/GLIB_Exception.h"
#include "GLIB/GLIB_Log.h"
#include "hostpdf/PDFL_PDCalls.h"

#include <algorithm>

namespace {

constexpr int32_t White = 255;

// A separation page of the output document, released on every way out.
class AcquiredPage {
public:
    AcquiredPage(PDFL_PDDoc doc, int32_t number) : m_page(PDFL_PDDocAcquirePage(doc, number)) {}
    ~AcquiredPage() {
        try {
            PDFL_PDPageRelease(m_page);
        } catch (...) {
            GLIB_LOG(GLIB_LogError, "ZOVA_ColorSepTool: releasing a separation page failed");
        }
    }
    AcquiredPage(const AcquiredPage&) = delete;
    AcquiredPage& operator=(const AcquiredPage&) = delete;

    PDFL_PDPage Get() const { return m_page; }

private:
    PDFL_PDPage m_page;
};

class LockedPixels {
public:
    explicit LockedPixels(ZOVA_OffscreenImage& image) : m_image(image), m_bits(image.LockData()) {}
    ~LockedPixels() { m_image.UnlockData(); }
    LockedPixels(const LockedPixels&) = delete;
    LockedPixels& operator=(const LockedPixels&) = delete;

    const uint8_t* Row(int32_t y, int32_t rowBytes) const {
        return reinterpret_cast<const uint8_t*>(m_bits) + static_cast<size_t>(y) * rowBytes;
    }
    uint8_t* Row(int32_t y, int32_t rowBytes) {
        return reinterpret_cast<uint8_t*>(m_bits) + static_cast<size_t>(y) * rowBytes;
    }

private:
    ZOVA_OffscreenImage& m_image;
    uint32_t* m_bits;
};

// A plate is the blue byte of each pixel the host drew: 255 where blank.
void CopyPlate(const LockedPixels& pixels, int32_t rowBytes, int32_t width, int32_t height,
               uint8_t* plate) {
    for (int32_t y = 0; y < height; ++y) {
        const uint8_t* row = pixels.Row(y, rowBytes);
        uint8_t* out = plate + static_cast<size_t>(y) * width;
        for (int32_t x = 0; x < width; ++x)
            out[x] = row[static_cast<size_t>(x) * 4];
    }
}

uint8_t* Checked(uint8_t* block, uint32_t blockSize) {
    if (!block)
        throw GLIB_Exception(GLIB_OutOfMemoryCode,
                             "ZOVA_ColorSepTool: the plate cache has no block of " +
                                 std::to_string(blockSize) + " bytes",
                             __FILE__, __LINE__);
    return block;
}

}  // namespace

void ZOVA_ColorSepTool::DrawingSize(int32_t& width, int32_t& height) const {
    // Both images are the screen's size; a larger window is drawn only as
    // far as they reach.
    width = std::max(0, m_windowWidth);
    height = std::max(0, m_windowHeight);
    for (const ZOVA_WinOffscreenImage* image : {&m_viewImage, &m_pageImage}) {
        int32_t imageWidth = 0, imageHeight = 0;
        if (image->IsValid())
            image->Size(&imageWidth, &imageHeight);
        width = std::min(width, imageWidth);
        height = std::min(height, imageHeight);
    }
}

void ZOVA_ColorSepTool::Render(ZOVA_View* view) {
    m_cancelMgr.SetCancelled(false);
    m_viewCurrent = view;
    int32_t width = 0, height = 0;
    DrawingSize(width, height);
    m_viewImage.Fill(width, height, White);
    if (!view->OutputDoc() && !SeparatePage()) {
        SetPageState(ZOVA_View::PageNeedsRender);
        return;
    }

    ZOVA_PageStateGuard guard(ZOVA_View::PageRendering, ZOVA_View::PageNeedsRender, this);
    m_viewWindow.InvalidateAll();
    const int rotation = view->Page().Rotation();
    const GLIB_Rect box = view->PageBox();
    ZOVA_PlateGeometry geometry{};
    if (!ZOVA_MakePlateGeometry(width, height, view->EffectiveDpi(width, height), view->Center(),
                                rotation, box.Urx() - box.Llx(), box.Ury() - box.Lly(), geometry)) {
        GLIB_LOG(GLIB_LogFatal, "Unexpected value for page rotate: " << rotation);
        return;
    }
    m_viewWindow.SetImageRect(geometry.m_areaLeft, geometry.m_areaTop, geometry.m_areaRight,
                              geometry.m_areaBottom);
    PreparePlates(width, height, view->NumColorants());

    for (int32_t ink = 0; ink < view->NumColorants() && !m_cancelMgr.IsCancelled(); ++ink)
        if (!RenderInk(*view, ink, geometry, width, height))
            return;
    if (!m_cancelMgr.IsCancelled()) {
        guard.Commit(ZOVA_View::PageReady);
    } else {
        // Stopped: the inks composed so far stay on show.
        guard.Dismiss();
        view->SetPageState(ZOVA_View::PageNeedsRender);
        m_colorDialog.SetStatus(ZOVA_ColorDialog::StatusNeedsUpdate);
    }
    m_viewWindow.InvalidateAll();
}

void ZOVA_ColorSepTool::PreparePlates(int32_t width, int32_t height, int32_t inkCount) {
    if (width == m_plateWidth && height == m_plateHeight && inkCount == m_itemCount)
        return;
    // Another ink count empties the cache as another size does: the old
    // items would otherwise hold pool slots and block files until a window
    // closes.
    m_plateWidth = width;
    m_plateHeight = height;
    m_itemCount = inkCount;
    m_plateItems.clear();
    if (!m_plateCache)
        return;
    m_plateCache->SetBlockSize(static_cast<uint32_t>(width) * static_cast<uint32_t>(height));
    for (int32_t ink = 0; ink < inkCount; ++ink)
        m_plateItems.push_back(m_plateCache->NewItem());
}

bool ZOVA_ColorSepTool::RenderInk(const ZOVA_View& view, int32_t ink,
                                  const ZOVA_PlateGeometry& geometry, int32_t width,
                                  int32_t height) {
    const AcquiredPage page(view.OutputDoc(), ink);
    LockedPixels pixels(m_pageImage);
    const int32_t rowBytes = m_pageImage.RowBytes();
    for (int32_t y = 0; y < height; ++y)
        std::fill_n(pixels.Row(y, rowBytes), rowBytes, uint8_t(0xFF));

    try {
        m_pageImage.DrawPage(page.Get(), geometry.m_matrix, geometry.m_update,
                             XCHG_CancelRequester::CancelProc(), &m_cancelRequester);
    } catch (const GLIB_Exception& e) {
        GLIB_LOG(GLIB_LogError, "GLIB_Exception while rendering page : " << e.What());
        AlertString(ZOVA_StringSeparateFailed);
        return false;
    } catch (...) {
        GLIB_LOG(GLIB_LogError, "Unknow Exception while rendering page");
        AlertString(ZOVA_StringSeparateFailed);
        return false;
    }
    if (m_cancelMgr.ShouldCancel())
        return true;

    uint8_t* plate = nullptr;
    try {
        plate = m_plateItems.size() > size_t(ink) && m_plateCache
                    ? m_plateCache->Block(m_plateItems[ink], /*load=*/false)
                    : nullptr;
        CopyPlate(pixels, rowBytes, width, height,
                  Checked(plate, static_cast<uint32_t>(width) * static_cast<uint32_t>(height)));
    } catch (const GLIB_Exception& e) {
        GLIB_LOG(GLIB_LogError, "GLIB Exception encoutered acquiring cache: " << e.What());
        AlertString(ZOVA_StringDiskError);
        return false;
    } catch (...) {
        GLIB_LOG(GLIB_LogError, "Unknown exception encoutered acquiring cache.");
        AlertString(ZOVA_StringDiskError);
        return false;
    }
    if (view.IsColorantShown(ink))
        m_colorLookupTable.Composite(m_viewImage, plate, view.ColorantColor(ink), width, height);
    m_cancelMgr.ShouldCancel();
    return true;
}

void ZOVA_ColorSepTool::Recompose() {
    int32_t width = 0, height = 0;
    DrawingSize(width, height);
    m_viewImage.Fill(width, height, White);
    m_viewWindow.InvalidateAll();
    // Only plates of the view rendered last, at this size, are in the
    // cache; the callers recompose a ready view only, which has them.
    if (!m_viewCurrent || !m_viewCurrent->OutputDoc() || !m_plateCache ||
        width != m_plateWidth || height != m_plateHeight ||
        m_viewCurrent->NumColorants() != m_itemCount ||
        m_plateItems.size() != size_t(m_itemCount))
        return;

    const ZOVA_View& view = *m_viewCurrent;
    m_cancelMgr.SetCancelled(false);
    try {
        for (int32_t ink = 0; ink < view.NumColorants() && !m_cancelMgr.IsCancelled(); ++ink) {
            if (view.IsColorantShown(ink)) {
                const uint8_t* plate = Checked(m_plateCache->Block(m_plateItems[ink], /*load=*/true),
                                               m_plateCache->BlockSize());
                m_colorLookupTable.Composite(m_viewImage, plate, view.ColorantColor(ink), width,
                                             height);
            }
            m_cancelMgr.ShouldCancel();
        }
    } catch (const GLIB_Exception& e) {
        GLIB_LOG(GLIB_LogError, "GLIB Exception encoutered acquiring cache: " << e.What());
        AlertString(ZOVA_StringDiskError);
    } catch (...) {
        GLIB_LOG(GLIB_LogError, "Unknown exception encoutered acquiring cache");
        AlertString(ZOVA_StringDiskError);
    }
}

void ZOVA_ColorSepTool::WindowDidResize() {
    const PDFL_AVPageView pageView = ActivePageView();
    if (!pageView)
        return;
    RefreshFrame(pageView);
    const int32_t oldWidth = m_windowWidth, oldHeight = m_windowHeight;
    int16_t width = 0, height = 0;
    m_viewWindow.InteriorSize(width, height);
    m_windowWidth = width;
    m_windowHeight = height;
    if (m_windowWidth == oldWidth && m_windowHeight == oldHeight)
        return;

    if (m_viewCurrent) {
        ZOVA_View& view = *m_viewCurrent;
        const int rotation = view.Page().Rotation();
        const GLIB_Rect box = view.PageBox();
        GLIB_Point center = view.Center();
        if (ZOVA_ResizedCenter(oldWidth, oldHeight, m_windowWidth, m_windowHeight,
                               view.EffectiveDpi(m_windowWidth, m_windowHeight),
                               view.MagnificationFactor(), rotation, box.Urx() - box.Llx(),
                               box.Ury() - box.Lly(), center))
            view.SetCenter(center);
        else
            GLIB_LOG(GLIB_LogFatal, "Invalid return value from PDFL_PDPageGetRotate: " << rotation);
    }
    DrawFrame(pageView);
    Update(false);
}
