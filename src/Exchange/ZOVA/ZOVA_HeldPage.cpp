#include "Exchange/ZOVA/ZOVA_HeldPage.h"

ZOVA_HeldPage::ZOVA_HeldPage(const CPDF_Doc& doc, uint32_t number)
    : m_doc(doc), m_number(number), m_page(doc.Page(number)) {}

int ZOVA_HeldPage::Rotation() const {
    GLOB_Object rotate;
    if (IsNull() || !m_page.InheritedAttribute("Rotate", &rotate) || !rotate.IsInteger())
        return 0;
    int rotation = rotate.AsInteger() % 360;
    if (rotation < 0)
        rotation += 360;
    return rotation % 90 == 0 ? rotation : 0;
}
