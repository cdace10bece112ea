// The page a separations view shows, held by its document and page number:
// the document handle keeps the document open for as long as the view holds
// the page, and the page dictionary is looked up once, when the page is
// taken. A value; copies hold the same page.
//
// The host form holds the host's page too: acquired by number when taken,
// released once, when the last copy goes.
#pragma once

#include "CPDF/document/CPDF_Doc.h"
#include "CPDF/document/CPDF_Page.h"
#include "viewer/host_api.h"

#include <cstdint>
#include <memory>
#include <type_traits>

class ZOVA_HeldPage {
public:
    // No page: a Null page of no document, rotation 0.
    ZOVA_HeldPage() = default;
    // Page number (0-based) of doc; the page tree's failures pass on.
    ZOVA_HeldPage(const CPDF_Doc& doc, uint32_t number);
    // The page a host page shows: its document and number from the host,
    // the page acquired anew by that number, the object model's view of it
    // made through the host back-ends. Host errors pass on, nothing held.
    explicit ZOVA_HeldPage(PDFL_PDPage hostPage);

    bool IsNull() const { return m_page.Object().IsNull(); }
    const CPDF_Doc& Doc() const { return m_doc; }
    uint32_t Number() const { return m_number; }
    const CPDF_Page& Page() const { return m_page; }
    // The acquired host page; null for the object-model form.
    PDFL_PDPage HostPage() const { return m_hostPage.get(); }

    // The inherited "Rotate" as the host gives it: an Integer taken modulo
    // 360 into 0..359, and 0 when that is not 0, 90, 180 or 270 or the entry
    // is not an Integer, so that a document's value never reaches the FATAL
    // log that guards the view's rotation tables. The host form asks the
    // host and keeps only those four values. Never throws.
    int Rotation() const;

private:
    using HostPageRec = std::remove_pointer_t<PDFL_PDPage>;

    CPDF_Doc m_doc;
    uint32_t m_number = 0;
    CPDF_Page m_page;
    std::shared_ptr<HostPageRec> m_hostPage;
    int m_hostRotation = 0;
};
