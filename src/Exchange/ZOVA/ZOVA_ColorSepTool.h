// The separations tool: the spine of the plug-in. It owns the Separations
// window and the view window, up to ten separation views (one per host page
// recently looked at, least recently used first), the view and page images,
// the ink colour lookup table, the plate cache and the cancel machinery. It
// reacts to its tool callbacks, host notifications and the commands of its
// two windows, keeps the current view in step with the host's front page,
// separates the current view's page and renders it.
//
// Page states of a view: 0 needs update, 1 separating, 2 separated, 3 needs
// render, 4 rendering, 5 ready. SetPageState is the one setter that also
// drives the cursor, the view image and the Separations window's status.
//
// Every host callback is a static Notification_ trampoline under the
// callback guard; a null client data fails the assertion "ourObj != NULL".
#pragma once

#include "Exchange/XCHG/XCHG_CancelRequester.h"
#include "Exchange/ZOVA/ZOVA_ColorDialog.h"
#include "Exchange/ZOVA/ZOVA_ColorLookupTable.h"
#include "Exchange/ZOVA/ZOVA_RectTool.h"
#include "Exchange/ZOVA/ZOVA_View.h"
#include "Exchange/ZOVA/ZOVA_ViewWindow.h"
#include "Exchange/ZOVA/ZOVA_WinOffscreenImage.h"
#include "GLIB/GLIB_CancelMgr.h"
#include "GLIB/GLIB_GenCache.h"
#include "CPDF/color/CPDF_Color.h"
#include "viewer/host_api.h"

#include <cstdint>
#include <list>
#include <memory>
#include <vector>

struct ZOVA_PlateGeometry;

class ZOVA_ColorSepTool : public ZOVA_RectTool {
public:
    static constexpr size_t MaxViews = 10;
    static constexpr int32_t InitialWindowSize = 100;
    static constexpr int32_t BusyCursor = 1112;
    static constexpr int32_t DragCursor = 1206;
    // The byte the view image is cleared to while nothing is shown.
    static constexpr int32_t ClearedImageByte = 51;

    // A new ZOVA_CancelMgrCore for the Separations window's Stop button
    // becomes the cancel manager's core; the requester shares the manager.
    ZOVA_ColorSepTool();
    // Destroys a living view window, drops the plate cache and every view.
    ~ZOVA_ColorSepTool() override;

    // ---- Tool operations (ZOVA_ColorSepTool_Tool.cpp)
    // Images, plate cache and view window made when missing; when the view
    // window is hidden, the active page view is selected and both windows
    // are shown; then the frame is drawn.
    void Activate(PDFL_Bool persistent) override;
    // Takes the frame off the active page view and refreshes it.
    void Deactivate() override;
    PDFL_Bool DoKeyDown(uint16_t key, int16_t flags) override;
    // The atom of "VELM:ZOVA_ColorSepTool".
    PDFL_ASAtom GetType() override;
    // Notifications 2, the adjust-cursor procedure, 14, 34, 7, 56 and 6, the
    // frame colour and drawing procedure, then the Separations window
    // (dialog 401), resolution 2 and magnification 0.
    void OnRegister() override;
    // The adjust-cursor procedure, notifications 14, 2, 34, 7, 56 and 6,
    // then the drawing procedure: nothing stays registered.
    void OnUnregister() override;

    // ---- The frame (ZOVA_ColorSepTool_Frame.cpp)
    uint16_t FrameColorResource() override { return 1301; }
    // The window's area around the current view's centre, in 16.16 terms
    // that saturate instead of overflowing.
    void FrameRect(PDFL_AVPageView pageView, PDFL_FixedRect& rect) override;
    // Moves the current view's centre to rect's middle, kept inside the
    // page box; a move of 0.1 or less in both directions does nothing.
    void FrameChanged(PDFL_AVPageView pageView, const PDFL_FixedRect& rect) override;
    bool ShowsFrameOn(PDFL_AVPageView pageView) override;

    // ---- Views (ZOVA_ColorSepTool_Views.cpp)
    // The current view, or the default view when there is none.
    ZOVA_View& CurrentView();
    bool HasCurrentView() const { return m_viewCurrent != nullptr; }
    // The first view holding page (by host page's document and number);
    // with moveToBack it becomes the most recently used.
    ZOVA_View* FindView(PDFL_PDPage page, bool moveToBack);
    // A new view at the back, or with ten views the front one reused in
    // place.
    ZOVA_View* NewView();
    void NewViewForPageView(PDFL_AVPageView pageView);
    // Makes the page view's page current (a ready view needs rendering
    // again) and tells the Separations window; null shows nothing.
    void SelectPageView(PDFL_AVPageView pageView);
    // One of the two windows is closing: hides or destroys the other and
    // drops the images and the plate cache.
    void WindowWillClose(XCHG_AVWindowObj* window);
    const std::list<std::unique_ptr<ZOVA_View>>& Views() const { return m_views; }

    // ---- Commands of the windows (ZOVA_ColorSepTool_Commands.cpp)
    void SetCancelled(bool flag);
    // A view in state 0 only gets its image cleared unless forced; any
    // other current view is rendered.
    void Update(bool force);
    void SetResolution(int32_t index);
    void SetMagnification(int32_t index);
    void SetInkShown(int32_t index, bool shown);
    void SetInkColor(int32_t index, const CPDF_Color& color);
    // Fills the view image with ClearedImageByte and invalidates the window.
    void ClearImage();
    // String id (at most 512 bytes) in a host note alert.
    void AlertString(uint32_t id);

    // ---- Page states and separating (ZOVA_ColorSepTool_Separate.cpp)
    // Stores state in the current view, then the window, cursor and image
    // as the state's row says; a value outside 0 to 5 is a FATAL log.
    void SetPageState(int32_t state);
    // Separates the current view's page into a new output document, which
    // the view keeps with the job. False, with an alert unless the user
    // cancelled, when it fails; the view keeps its previous job when the
    // failure came before the separation succeeded.
    bool SeparatePage();

    // ---- Rendering (ZOVA_ColorSepTool_Render.cpp)
    // Makes view current, separates its page when it has no output document,
    // then draws every ink's plate into the plate cache and composes the
    // ticked ones: state 5, or 3 after a failure (alert 2002 for the drawing,
    // 2001 for the cache) or a Stop (the inks composed so far stay shown).
    void Render(ZOVA_View* view);
    // Composes the view image again from the cached plates, read back from
    // their files when spilled; only when they are the current view's. A
    // cache failure shows alert 2001 and keeps what was composed.
    void Recompose();
    // The view window's interior size changed: the centre moves so that the
    // page point at the window's top-left corner stays (inside the page
    // box), then the view is updated.
    void WindowDidResize();

    // ---- What the windows and tests see
    ZOVA_ColorDialog& ColorDialog() { return m_colorDialog; }
    ZOVA_ViewWindow& ViewWindow() { return m_viewWindow; }
    ZOVA_WinOffscreenImage& ViewImage() { return m_viewImage; }
    GLIB_CancelMgr& CancelMgr() { return m_cancelMgr; }
    int32_t WindowWidth() const { return m_windowWidth; }
    int32_t WindowHeight() const { return m_windowHeight; }
    void SetWindowSize(int32_t width, int32_t height);
    bool HasPlateCache() const { return m_plateCache != nullptr; }
    const GLIB_GenCache* PlateCache() const { return m_plateCache.get(); }

    // ---- Host callbacks (ZOVA_ColorSepTool_Notifications.cpp)
    static void Notification_AVAppFrontDocDidChange(PDFL_AVDoc doc, void* clientData);
    static PDFL_Bool Notification_AdjustCursor(PDFL_AVPageView pageView, int16_t x, int16_t y,
                                               void* clientData);
    static void Notification_AVPageViewDidChange(PDFL_AVPageView pageView, int16_t how,
                                                 void* clientData);
    static void Notification_PDPageContentsDidChange(PDFL_PDPage page, void* clientData);
    static void Notification_AVDocWillClose(PDFL_AVDoc doc, void* clientData);
    static void Notification_PDDocWillSaveEx(PDFL_PDDoc doc, PDFL_PDDocSaveParams* params,
                                             void* clientData);
    static void Notification_AVDocDidDeactivate(PDFL_AVDoc doc, void* clientData);

    // The notification handlers.
    void FrontDocDidChange(PDFL_AVDoc doc);
    void PageViewDidChange(PDFL_AVPageView pageView, int16_t how);
    void PageContentsDidChange(PDFL_PDPage page);
    // Drops every view whose page belongs to the closing document.
    void DocWillClose(PDFL_AVDoc doc);
    // With bit 0 of the save flags, drops the first of the document's views.
    void DocWillSave(PDFL_PDDoc doc, const PDFL_PDDocSaveParams* params);
    void DocDidDeactivate(PDFL_AVDoc doc);

private:
    // Whether view holds the host page (same document, same number).
    static bool Holds(const ZOVA_View& view, PDFL_PDPage page);
    // The host document of view's page, or null.
    static PDFL_PDDoc DocOf(const ZOVA_View& view);
    // Deletes the view at it; the current view is forgotten first.
    void DropView(std::list<std::unique_ptr<ZOVA_View>>::iterator it);
    // The images and the plate cache, gone until the next activation.
    void FreeImagesAndCache();
    void RegisterNotifications();
    void UnregisterNotifications();
    // The window's size, cut to the images' size.
    void DrawingSize(int32_t& width, int32_t& height) const;
    // A new plate size or ink count empties the cache and makes one new
    // item per ink.
    void PreparePlates(int32_t width, int32_t height, int32_t inkCount);
    // Draws, caches and composes one ink; false when a failure ended the
    // render (its alert shown).
    bool RenderInk(const ZOVA_View& view, int32_t ink, const ZOVA_PlateGeometry& geometry,
                   int32_t width, int32_t height);

    ZOVA_View m_viewDefault;
    ZOVA_View* m_viewCurrent = nullptr;
    std::list<std::unique_ptr<ZOVA_View>> m_views;
    int32_t m_windowWidth = InitialWindowSize;
    int32_t m_windowHeight = InitialWindowSize;
    ZOVA_ViewWindow m_viewWindow;
    ZOVA_ColorDialog m_colorDialog;
    ZOVA_ColorLookupTable m_colorLookupTable;
    GLIB_CancelMgr m_cancelMgr;
    XCHG_CancelRequester m_cancelRequester;
    ZOVA_WinOffscreenImage m_viewImage;
    ZOVA_WinOffscreenImage m_pageImage;
    std::unique_ptr<GLIB_GenCache> m_plateCache;
    std::vector<GLIB_GenCache::ItemPosition> m_plateItems;
    int32_t m_plateWidth = 0;
    int32_t m_plateHeight = 0;
    int32_t m_itemCount = 0;

    // Host callbacks of the notifications and the adjust-cursor procedure.
    PDFL_ASCallback m_frontDocDidChange = nullptr;
    PDFL_ASCallback m_adjustCursor = nullptr;
    PDFL_ASCallback m_pageViewDidChange = nullptr;
    PDFL_ASCallback m_pageContentsDidChange = nullptr;
    PDFL_ASCallback m_docWillClose = nullptr;
    PDFL_ASCallback m_docWillSave = nullptr;
    PDFL_ASCallback m_docDidDeactivate = nullptr;
};
