// The model behind the separations window: the page shown, its inks in
// display order ("Cyan", "Magenta", "Yellow", "Black", then the page's spot
// inks as its resources give them) with their CMYK equivalents and ticks,
// the page box, the resolution and magnification, the centre of the visible
// area, the page state of the separate-and-render cycle, and the separation
// job and host document that hold the page's separation pages.
//
// Ink indexes, resolution and magnification indexes are 32-bit integers.
// Resolution index 0 is Fit, 1 to 5 are 150, 300, 600, 1200 and 2400 dpi;
// magnification index 0 to 4 is a factor of 1, 2, 4, 8 and 16.
//
// Index faults are assertions: ColorantColor "index >= 0" and
// "index < NumColorants()"; IsColorantShown, SetColorantShown and
// SetColorantColor "index<NumColorants() :: 7<6" (and "index >= 0");
// SetResolution "res<=m_maxResolution :: 6<=5" (and "res >= 0");
// SetMagnification "index >= 0" and "index < MagnificationCount".
//
// No page box side divides anything while it is not positive: a crop box
// that misses the media box gives the media box, and a box side below one
// point counts as one point for the largest resolution and for Fit.
#pragma once

#include "CPDF/color/CPDF_Color.h"
#include "CPDF/color/CPDF_Colorant.h"
#include "Exchange/ZOVA/ZOVA_HeldPage.h"
#include "GLIB/GLIB_Geometry.h"
#include "separation/CSEP_SepJobContext.h"
#include "viewer/host_api.h"

#include <cstdint>
#include <string>
#include <vector>

class ZOVA_View {
public:
    static constexpr int32_t FitResolution = 0;
    static constexpr int32_t ResolutionCount = 6;
    static constexpr int32_t MagnificationCount = 5;
    // 72 × 31968: at its largest resolution the longer side of a page is at
    // most 31968 pixels.
    static constexpr double MaxPixelSpan = 2301696.0;

    // No page, no inks, centre (0, 0), page state 5 (ready), a new empty
    // job, 300 dpi allowing up to 2400, magnification 1, page box all 0.
    ZOVA_View();
    // Clear; a failure there is logged, never thrown.
    ~ZOVA_View();
    ZOVA_View(const ZOVA_View&) = delete;
    ZOVA_View& operator=(const ZOVA_View&) = delete;

    // Lets the page go, closes the output document, empties the inks, sets
    // the centre to (0, 0) and deletes the job's temporary files. Every step
    // runs; the first failure of the last two then passes on.
    void Clear();

    // page must not be Null. Clear, then the model of page: the inks, all shown, each with its
    // CMYK equivalent (CSEP_Utils::CMYKRecipe over the page's resources; an
    // ink whose equivalent fails with 1128001 keeps four zeros and shows
    // nothing, any other failure passes on), the page box (crop box ∩ media
    // box, both normalised), the largest resolution the box allows,
    // magnification 1, 300 dpi (150 when that is too much), centre (0, 0).
    // A failure leaves the view cleared. A page without resources is blank:
    // the four process inks.
    void SetPage(const ZOVA_HeldPage& page);
    // A page shown or changed in the host: SetPage, except that a page whose model
    // cannot be made is still held, with the inks that can be gathered (the
    // process inks when its spots cannot be), a colour of four zeros for
    // each ink whose equivalent fails and an empty box when the page has
    // none. The page's faults are logged, not thrown.
    void ReloadPage(const ZOVA_HeldPage& page);
    const ZOVA_HeldPage& Page() const { return m_page; }

    int32_t NumColorants() const { return static_cast<int32_t>(m_names.size()); }
    // A copy sharing the stored colour's core.
    CPDF_Color ColorantColor(int32_t index) const;
    void SetColorantColor(int32_t index, const CPDF_Color& color);
    // Empty the vector, then every ink's in ink order.
    void ColorantColors(std::vector<CPDF_Color>& colors) const;
    void ColorantNames(std::vector<CPDF_Colorant>& names) const;
    bool IsColorantShown(int32_t index) const;
    void SetColorantShown(int32_t index, bool shown);

    int32_t Resolution() const { return m_resolution; }
    // res from 0 to MaxResolution; Fit also moves the centre to the middle
    // of the page box.
    void SetResolution(int32_t res);
    int32_t MaxResolution() const { return m_maxResolution; }
    int32_t Magnification() const { return m_magnification; }
    void SetMagnification(int32_t index);
    double MagnificationFactor() const;

    // The dots per inch of the resolution in a view of width × height
    // pixels. Fit: the largest at which the whole page box, turned by the
    // page's rotation, fits the view, truncated; at least 1 whatever the
    // view's size.
    int32_t EffectiveDpi(int32_t width, int32_t height) const;

    // The point of the page box at the middle of the window, in points from
    // the box's lower-left corner.
    GLIB_Point Center() const { return m_center; }
    // In Fit the centre is always the middle of the page box and center is
    // ignored.
    void SetCenter(const GLIB_Point& center);
    GLIB_Rect PageBox() const { return m_pageBox; }

    // The page states of the separate-and-render cycle.
    enum : int32_t {
        PageNeedsUpdate = 0,
        PageSeparating = 1,
        PageSeparated = 2,
        PageNeedsRender = 3,
        PageRendering = 4,
        PageReady = 5
    };
    // Stored as given; the separate-and-render cycle gives the values.
    int32_t PageState() const { return m_pageState; }
    void SetPageState(int32_t state) { m_pageState = state; }

    // The host document that holds the separation pages of the page; null
    // when there is none.
    PDFL_PDDoc OutputDoc() const { return m_outputDoc; }
    // Closes the one held (unless it is doc itself), then keeps doc.
    void SetOutputDoc(PDFL_PDDoc doc);
    // Deletes the present job's temporary files, then shares job.
    void SetJobContext(const CSEP_SepJobContext& job);

private:
    struct Model;
    // Holds page with model's inks, all shown, and box, at the first
    // resolution the box allows, magnification 1, centre (0, 0).
    void Take(const ZOVA_HeldPage& page, Model& model);
    // The middle of the page box, from its lower-left corner.
    GLIB_Point BoxMiddle() const;
    // Closes the output document, if any, and forgets it.
    void CloseOutputDoc();

    ZOVA_HeldPage m_page;
    PDFL_PDDoc m_outputDoc = nullptr;
    std::vector<CPDF_Color> m_colors;
    std::vector<std::string> m_names;
    std::vector<uint8_t> m_shown;
    GLIB_Point m_center;
    int32_t m_pageState = PageReady;
    CSEP_SepJobContext m_job;
    int32_t m_resolution = 2;
    int32_t m_maxResolution = 5;
    int32_t m_magnification = 0;
    GLIB_Rect m_pageBox;
};
