#include "Exchange/ZOVA/ZOVA_View.h"

#include "GLIB/GLIB_Assert.h"
#include "GLIB/GLIB_Exception.h"
#include "GLIB/GLIB_Log.h"
#include "hostpdf/PDFL_PDCalls.h"
#include "separation/CSEP_ToPressSpaceConverter.h"
#include "separation/CSEP_Utils.h"

#include <cmath>
#include <exception>
#include <limits>
#include <utility>

namespace {

const int32_t kDpi[ZOVA_View::ResolutionCount] = {0, 150, 300, 600, 1200, 2400};
const double kMagnification[ZOVA_View::MagnificationCount] = {1, 2, 4, 8, 16};

// A damaged box (no width, corners swapped, NaN) must not divide by zero or
// less: such a side counts as one point.
double UsableSide(double side) { return side >= 1.0 ? side : 1.0; }

double Width(const GLIB_Rect& box) { return box.Urx() - box.Llx(); }
double Height(const GLIB_Rect& box) { return box.Ury() - box.Lly(); }

// Box corners are stored as written, so both are ordered before they meet.
GLIB_Rect PageBoxOf(const CPDF_Page& page) {
    GLIB_Rect media = page.MediaBox();
    media.Normalize();
    GLIB_Rect box = page.CropBox();
    box.Normalize();
    return box.Intersect(media) ? box : media;
}

int32_t MaxResolutionFor(const GLIB_Rect& box) {
    const double side = UsableSide(Height(box) > Width(box) ? Height(box) : Width(box));
    const double maxDpi = std::trunc(ZOVA_View::MaxPixelSpan / side);
    for (int32_t res = ZOVA_View::ResolutionCount - 1; res > 1; --res)
        if (maxDpi >= kDpi[res])
            return res;
    return 1;
}

CPDF_Color InkColor(const CPDF_Colorant& ink, const CPDF_ResourcesDict& resources) {
    CPDF_Color color(8);
    try {
        CSEP_Utils::CMYKRecipe(ink, resources, color);
    } catch (const GLIB_Exception& e) {
        if (e.Code() != CSEP_UnsupportedCode)
            throw;
        // The page still separates; this ink's swatch just shows nothing.
        color = CPDF_Color(4);
    }
    return color;
}

std::vector<CPDF_Colorant> ProcessInks() {
    return {CPDF_Colorant("Cyan"), CPDF_Colorant("Magenta"), CPDF_Colorant("Yellow"), CPDF_Colorant("Black")};
}

std::string InkName(const CPDF_Colorant& ink) { return ink.CStr() ? ink.CStr() : ""; }

}  // namespace

// The inks, colours and box of a page, made before the view changes.
struct ZOVA_View::Model {
    std::vector<std::string> m_names;
    std::vector<CPDF_Color> m_colors;
    GLIB_Rect m_box;
};

ZOVA_View::ZOVA_View() = default;

ZOVA_View::~ZOVA_View() {
    try {
        Clear();
    } catch (const GLIB_Exception& e) {
        GLIB_LOG(GLIB_LogError, "ZOVA_View: giving back the page's resources failed: " << e.What());
    } catch (...) {
        GLIB_LOG(GLIB_LogError, "ZOVA_View: giving back the page's resources failed");
    }
}

void ZOVA_View::Clear() {
    m_page = ZOVA_HeldPage();
    m_names.clear();
    m_colors.clear();
    m_shown.clear();
    m_center = GLIB_Point();
    // The temporary files go even when the host refuses to close.
    std::exception_ptr failure;
    try {
        CloseOutputDoc();
    } catch (...) {
        failure = std::current_exception();
    }
    try {
        m_job.DeleteTempFiles();
    } catch (...) {
        if (!failure)
            failure = std::current_exception();
    }
    if (failure)
        std::rethrow_exception(failure);
}

void ZOVA_View::SetPage(const ZOVA_HeldPage& page) {
    GLIB_ASSERT(!page.IsNull());
    Clear();
    Model model;
    const CPDF_ResourcesDict resources = CSEP_Utils::PageResources(page.Page());
    std::vector<CPDF_Colorant> inks = ProcessInks();
    resources.CollectSpotColorants(&inks, /*thisDictOnly=*/false, /*clearFirst=*/false);
    for (const CPDF_Colorant& ink : inks) {
        model.m_names.push_back(InkName(ink));
        model.m_colors.push_back(InkColor(ink, resources));
    }
    model.m_box = PageBoxOf(page.Page());
    Take(page, model);
}

void ZOVA_View::ReloadPage(const ZOVA_HeldPage& page) {
    GLIB_ASSERT(!page.IsNull());
    try {
        SetPage(page);
        return;
    } catch (const GLIB_Exception& e) {
        GLIB_LOG(GLIB_LogWarning, "ZOVA_View: the page keeps the inks it can give: " << e.What());
    }
    // Whatever SetPage left, the view holds the page again with the inks
    // separating it would gather, so that the next separation reports the
    // real fault and a page that separates after all renders ink for ink.
    try {
        Clear();
    } catch (const GLIB_Exception& e) {
        GLIB_LOG(GLIB_LogError, "ZOVA_View: giving back the page's resources failed: " << e.What());
    }
    Model model;
    std::vector<CPDF_Colorant> inks = ProcessInks();
    CPDF_ResourcesDict resources;
    try {
        resources = CSEP_Utils::PageResources(page.Page());
        resources.CollectSpotColorants(&inks, /*thisDictOnly=*/false, /*clearFirst=*/false);
    } catch (const GLIB_Exception&) {
        inks = ProcessInks();
    }
    for (const CPDF_Colorant& ink : inks) {
        model.m_names.push_back(InkName(ink));
        try {
            model.m_colors.push_back(InkColor(ink, resources));
        } catch (const GLIB_Exception&) {
            model.m_colors.push_back(CPDF_Color(4));
        }
    }
    try {
        model.m_box = PageBoxOf(page.Page());
    } catch (const GLIB_Exception&) {
        model.m_box = GLIB_Rect();
    }
    Take(page, model);
}

void ZOVA_View::Take(const ZOVA_HeldPage& page, Model& model) {
    m_page = page;
    m_names.swap(model.m_names);
    m_colors.swap(model.m_colors);
    m_shown.assign(m_names.size(), 1);
    m_pageBox = model.m_box;
    m_maxResolution = MaxResolutionFor(model.m_box);
    m_magnification = 0;
    m_resolution = m_maxResolution >= 2 ? 2 : 1;
    m_center = GLIB_Point();
}

CPDF_Color ZOVA_View::ColorantColor(int32_t index) const {
    GLIB_ASSERT(index >= 0);
    GLIB_ASSERT(index < NumColorants());
    return m_colors[index];
}

void ZOVA_View::SetColorantColor(int32_t index, const CPDF_Color& color) {
    GLIB_ASSERT(index >= 0);
    GLIB_ASSERT_CMP(index, <, NumColorants());
    m_colors[index] = color;
}

void ZOVA_View::ColorantColors(std::vector<CPDF_Color>& colors) const { colors = m_colors; }

void ZOVA_View::ColorantNames(std::vector<CPDF_Colorant>& names) const {
    names.clear();
    for (const std::string& name : m_names)
        names.emplace_back(name.c_str());
}

bool ZOVA_View::IsColorantShown(int32_t index) const {
    GLIB_ASSERT(index >= 0);
    GLIB_ASSERT_CMP(index, <, NumColorants());
    return m_shown[index] != 0;
}

void ZOVA_View::SetColorantShown(int32_t index, bool shown) {
    GLIB_ASSERT(index >= 0);
    GLIB_ASSERT_CMP(index, <, NumColorants());
    m_shown[index] = shown ? 1 : 0;
}

void ZOVA_View::SetResolution(int32_t res) {
    GLIB_ASSERT(res >= 0);
    GLIB_ASSERT_CMP(res, <=, m_maxResolution);
    m_resolution = res;
    if (res == FitResolution)
        m_center = BoxMiddle();
}

void ZOVA_View::SetMagnification(int32_t index) {
    GLIB_ASSERT(index >= 0);
    GLIB_ASSERT(index < MagnificationCount);
    m_magnification = index;
}

double ZOVA_View::MagnificationFactor() const { return kMagnification[m_magnification]; }

int32_t ZOVA_View::EffectiveDpi(int32_t width, int32_t height) const {
    if (m_resolution != FitResolution)
        return kDpi[m_resolution];
    double boxWidth = UsableSide(Width(m_pageBox));
    double boxHeight = UsableSide(Height(m_pageBox));
    const int rotation = m_page.Rotation();
    switch (rotation) {
    case 0:
    case 180:
        break;
    case 90:
    case 270:
        std::swap(boxWidth, boxHeight);
        break;
    default:
        GLIB_LOG(GLIB_LogFatal, "Unexpected value for page rotate: " << rotation);
        return 1;
    }
    const double x = width * 72.0 / boxWidth;
    const double y = height * 72.0 / boxHeight;
    const double fit = x < y ? x : y;
    // Callers divide by the answer: a tiny view still gets 1 dpi.
    if (!(fit >= 1.0))
        return 1;
    if (fit >= static_cast<double>(std::numeric_limits<int32_t>::max()))
        return std::numeric_limits<int32_t>::max();
    return static_cast<int32_t>(fit);
}

void ZOVA_View::SetCenter(const GLIB_Point& center) {
    m_center = m_resolution == FitResolution ? BoxMiddle() : center;
}

void ZOVA_View::SetOutputDoc(PDFL_PDDoc doc) {
    if (doc == m_outputDoc)
        return;
    // The new document is kept even when the old one fails to close.
    const PDFL_PDDoc previous = m_outputDoc;
    m_outputDoc = doc;
    if (previous)
        PDFL_PDDocClose(previous);
}

void ZOVA_View::SetJobContext(const CSEP_SepJobContext& job) {
    m_job.DeleteTempFiles();
    m_job = job;
}

GLIB_Point ZOVA_View::BoxMiddle() const { return GLIB_Point(Width(m_pageBox) / 2, Height(m_pageBox) / 2); }

void ZOVA_View::CloseOutputDoc() {
    // Forgotten first: a handle the host failed to close is not closed twice.
    const PDFL_PDDoc doc = m_outputDoc;
    m_outputDoc = nullptr;
    if (doc)
        PDFL_PDDocClose(doc);
}
