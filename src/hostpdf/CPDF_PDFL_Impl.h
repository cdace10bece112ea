// The page-structure back-end over the host's PD layer: pages are created,
// deleted and moved by the host. It never owns the host document; closing
// it belongs to the object-model back-end (COSF_PDFL_Impl).
//
// Page positions reach the host as the page after which to act: -1 puts a
// page at the front. A media box reaches it in 16.16 fixed point, each
// value as trunc(v * 65536 + 0.5) (clamped to the fixed range), in the
// order left, top, right, bottom.
#pragma once

#include "CPDF/document/CPDF_Doc.h"
#include "CPDF/document/CPDF_Impl.h"
#include "viewer/host_api.h"

class CPDF_PDFL_Impl : public CPDF_Impl {
public:
    CPDF_PDFL_Impl() = default;
    explicit CPDF_PDFL_Impl(PDFL_PDDoc pdDoc) : m_pdDoc(pdDoc) {}
    ~CPDF_PDFL_Impl() override;

    void DeletePages(int first, int last) override;
    // Takes the host PD document of a host back-end; a back-end of another
    // kind, or a Cos-only document, throws CPDF_Exception 1128026.
    void AttachCosDoc(GLOB_Impl* cosImpl) override;
    // Page index goes after page min(target, count - 1); target 0: the front.
    void MovePage(int index, int target) override;
    // The new page goes after page index - 1 (-1 for 0; the last page when
    // index is at or past the count) and gets an empty direct "Resources".
    CPDF_Page CreatePage(const CPDF_Doc& doc, int index, const GLIB_Rect& mediaBox) override;
    void DetachCosDoc(GLOB_Impl*) override {}

    PDFL_PDDoc PDDoc() const { return m_pdDoc; }

    // The fixed value the host is given for a box coordinate.
    static PDFL_Fixed BoxFixed(double v);

private:
    PDFL_PDDoc m_pdDoc = nullptr;
};

// Each asserts COSF_PDFL_Library::IsInitialized(). NewDoc: both back-ends
// empty, for CPDF_Doc::Create or CreateWithFileName to fill.
CPDF_Doc CPDF_PDFL_NewDoc();
// Both back-ends over a document the host has open; neither closes it.
CPDF_Doc CPDF_PDFL_DocFromPDDoc(PDFL_PDDoc pdDoc);
