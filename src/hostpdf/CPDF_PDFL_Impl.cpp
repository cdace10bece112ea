#include "hostpdf/CPDF_PDFL_Impl.h"

#include "CPDF/CPDF_Exception.h"
#include "GLIB/GLIB_Assert.h"
#include "GLIB/GLIB_Log.h"
#include "GLIB/GLIB_New.h"
#include "hostpdf/COSF_PDFL_Impl.h"
#include "hostpdf/COSF_PDFL_Library.h"
#include "hostpdf/PDFL_PDCalls.h"

#include <algorithm>
#include <cmath>
#include <limits>

CPDF_PDFL_Impl::~CPDF_PDFL_Impl() = default;

PDFL_Fixed CPDF_PDFL_Impl::BoxFixed(double v) {
    const double scaled = std::trunc(v * 65536 + 0.5);
    const double lowest = std::numeric_limits<PDFL_Fixed>::min();
    const double highest = std::numeric_limits<PDFL_Fixed>::max();
    if (std::isnan(scaled) || scaled < lowest || scaled > highest) {
        GLIB_LOG(GLIB_LogWarning, "Page box value " << v << " does not fit the host's fixed point");
        return std::isnan(scaled) ? 0 : static_cast<PDFL_Fixed>(std::clamp(scaled, lowest, highest));
    }
    return static_cast<PDFL_Fixed>(scaled);
}

void CPDF_PDFL_Impl::DeletePages(int first, int last) {
    COSF_PDFL_ASSERT_INITIALIZED();
    PDFL_PDDocDeletePages(m_pdDoc, first, last, nullptr, nullptr);
}

void CPDF_PDFL_Impl::AttachCosDoc(GLOB_Impl* cosImpl) {
    GLIB_ASSERT(cosImpl != NULL);
    PDFL_PDDoc pdDoc = nullptr;
    if (cosImpl->ImplementationType() == COSF_PDFL_IMPL_TYPE)
        pdDoc = static_cast<COSF_PDFL_Impl*>(cosImpl)->PDDoc();
    if (!pdDoc)
        GLIB_THROW(CPDF_Exception, CPDF_NoPageDocumentCode, "Opening a non-PDF Cos document as PDF document");
    m_pdDoc = pdDoc;
}

void CPDF_PDFL_Impl::MovePage(int index, int target) {
    COSF_PDFL_ASSERT_INITIALIZED();
    const int32_t after = target == 0 ? -1 : std::min(target, PDFL_PDDocGetNumPages(m_pdDoc) - 1);
    PDFL_PDPage page = PDFL_PDDocAcquirePage(m_pdDoc, index);
    try {
        PDFL_PDDocMovePage(m_pdDoc, after, page);
    } catch (...) {
        PDFL_PDPageRelease(page);
        throw;
    }
    PDFL_PDPageRelease(page);
}

CPDF_Page CPDF_PDFL_Impl::CreatePage(const CPDF_Doc& doc, int index, const GLIB_Rect& mediaBox) {
    COSF_PDFL_ASSERT_INITIALIZED();
    const PDFL_FixedRect box{BoxFixed(mediaBox.Llx()), BoxFixed(mediaBox.Ury()), BoxFixed(mediaBox.Urx()),
                             BoxFixed(mediaBox.Lly())};
    const int32_t count = PDFL_PDDocGetNumPages(m_pdDoc);
    const int32_t after = index == 0 ? -1 : index >= count ? count - 1 : index - 1;
    PDFL_PDPage page = PDFL_PDDocCreatePage(m_pdDoc, after, box);
    const PDFL_CosObj cosPage = PDFL_PDPageGetCosObj(page);
    PDFL_PDPageRelease(page);
    const GLOB_Object pageDict = COSF_PDFL_ObjectFromCosObj(doc, cosPage);
    pageDict.DictPut(GLOB_Name("Resources"), doc.NewDict(0, false));
    return CPDF_Page(pageDict);
}

CPDF_Doc CPDF_PDFL_NewDoc() {
    COSF_PDFL_ASSERT_INITIALIZED();
    return CPDF_Doc(COSF_PDFL_NewDoc().Impl(), GLIB_NEW CPDF_PDFL_Impl());
}

CPDF_Doc CPDF_PDFL_DocFromPDDoc(PDFL_PDDoc pdDoc) {
    COSF_PDFL_ASSERT_INITIALIZED();
    return CPDF_Doc(COSF_PDFL_DocFromPDDoc(pdDoc).Impl(), GLIB_NEW CPDF_PDFL_Impl(pdDoc));
}
