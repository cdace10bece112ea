#include "Exchange/ZOVA/ZOVA_HeldPage.h"

#include "GLIB/GLIB_Exception.h"
#include "GLIB/GLIB_Log.h"
#include "hostpdf/COSF_PDFL_Impl.h"
#include "hostpdf/CPDF_PDFL_Impl.h"
#include "hostpdf/PDFL_PDCalls.h"

namespace {

// 0 unless a quarter turn the view's tables know.
int QuarterTurn(int rotation) {
    rotation %= 360;
    if (rotation < 0)
        rotation += 360;
    return rotation % 90 == 0 ? rotation : 0;
}

// The last copy gives the page back; a release the host refuses is logged,
// as a destructor cannot pass it on.
void ReleaseHostPage(PDFL_PDPage page) {
    try {
        PDFL_PDPageRelease(page);
    } catch (const GLIB_Exception& e) {
        GLIB_LOG(GLIB_LogError, "ZOVA_HeldPage: releasing the page failed: " << e.What());
    } catch (...) {
        GLIB_LOG(GLIB_LogError, "ZOVA_HeldPage: releasing the page failed");
    }
}

}  // namespace

ZOVA_HeldPage::ZOVA_HeldPage(const CPDF_Doc& doc, uint32_t number)
    : m_doc(doc), m_number(number), m_page(doc.Page(number)) {}

ZOVA_HeldPage::ZOVA_HeldPage(PDFL_PDPage hostPage) {
    const PDFL_PDDoc pdDoc = PDFL_PDPageGetDoc(hostPage);
    const int32_t number = PDFL_PDPageGetNumber(hostPage);
    // Owned from here, so a later failure still releases it.
    m_hostPage.reset(PDFL_PDDocAcquirePage(pdDoc, number), ReleaseHostPage);
    m_hostRotation = QuarterTurn(PDFL_PDPageGetRotate(m_hostPage.get()));
    m_doc = CPDF_PDFL_DocFromPDDoc(pdDoc);
    m_number = static_cast<uint32_t>(number);
    m_page = CPDF_Page(COSF_PDFL_ObjectFromCosObj(m_doc, PDFL_PDPageGetCosObj(m_hostPage.get())));
}

int ZOVA_HeldPage::Rotation() const {
    if (m_hostPage)
        return m_hostRotation;
    GLOB_Object rotate;
    if (IsNull() || !m_page.InheritedAttribute("Rotate", &rotate) || !rotate.IsInteger())
        return 0;
    return QuarterTurn(rotate.AsInteger());
}
