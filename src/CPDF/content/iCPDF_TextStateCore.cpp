#include "CPDF/content/iCPDF_TextStateCore.h"

#include "GLIB/GLIB_Assert.h"

iCPDF_TextStateCore::iCPDF_TextStateCore()
    : m_Tr(Fill), m_charSpacing(0.0), m_wordSpacing(0.0), m_horizontalScaling(1.0), m_fontSize(0.0),
      m_leading(0.0), m_rise(0.0) {}

void iCPDF_TextStateCore::SetDefaults() { *this = iCPDF_TextStateCore(); }

void iCPDF_TextStateCore::SetFont(const GLOB_Object& Tf) {
    GLIB_ASSERT(Tf.IsDict());
    m_font = Tf;
}

int32_t iCPDF_TextStateCore::RenderMode() const {
    GLIB_ASSERT_CMP(m_Tr, >=, iCPDF_TextStateCore::Fill);
    GLIB_ASSERT_CMP(m_Tr, <=, iCPDF_TextStateCore::Clip);
    return m_Tr;
}

GLIB_Matrix iCPDF_TextStateCore::TextRenderingMatrix() const {
    return GLIB_Matrix(m_fontSize * m_horizontalScaling, 0, 0, m_fontSize, 0, m_rise) * m_textMatrix;
}

bool iCPDF_TextStateCore::operator==(const iCPDF_TextStateCore& o) const {
    return m_Tr == o.m_Tr && m_charSpacing == o.m_charSpacing && m_wordSpacing == o.m_wordSpacing &&
           m_horizontalScaling == o.m_horizontalScaling && m_fontSize == o.m_fontSize && m_font == o.m_font &&
           m_leading == o.m_leading && m_rise == o.m_rise && m_textMatrix == o.m_textMatrix &&
           m_lineMatrix == o.m_lineMatrix;
}
