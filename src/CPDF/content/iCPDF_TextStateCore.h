// The record behind CPDF_TextState: the text state parameters of ISO 32000
// 9.3 with the text matrix and the text line matrix. A plain value that
// CPDF_TextState shares between its copies and copies before a change.
//
// The horizontal scaling is kept as a factor (1.0 for 100 %), the unit that
// TextRenderingMatrix needs; the Tz percentage is divided by 100 on its way
// in.
#pragma once

#include "GLIB/GLIB_Geometry.h"
#include "GLOB/GLOB_Object.h"

#include <cstdint>

class iCPDF_TextStateCore {
public:
    // Text rendering modes (Tr).
    enum RenderingMode : int32_t {
        Fill = 0,
        Stroke = 1,
        FillAndStroke = 2,
        Nothing = 3,
        FillAndClip = 4,
        StrokeAndClip = 5,
        FillStrokeAndClip = 6,
        Clip = 7,
    };

    // Mode Fill, spacings, size, leading and rise 0, scaling 1, a Null font,
    // identity matrices.
    iCPDF_TextStateCore();

    void SetDefaults();
    // Stores any mode; the reader asserts the range.
    void SetRenderingMode(int32_t mode) { m_Tr = mode; }
    // Asserts that the font is a dictionary, and stores it all the same.
    void SetFont(const GLOB_Object& Tf);
    void SetFontSize(double size) { m_fontSize = size; }
    void SetCharSpacing(double spacing) { m_charSpacing = spacing; }
    void SetWordSpacing(double spacing) { m_wordSpacing = spacing; }
    void SetHorizontalScaling(double factor) { m_horizontalScaling = factor; }
    void SetLeading(double leading) { m_leading = leading; }
    void SetRise(double rise) { m_rise = rise; }
    void SetTextMatrix(const GLIB_Matrix& m) { m_textMatrix = m; }
    void SetLineMatrix(const GLIB_Matrix& m) { m_lineMatrix = m; }
    // The matrix becomes m × matrix: m applied first.
    void ConcatTextMatrix(const GLIB_Matrix& m) { m_textMatrix.Concat(m); }
    void ConcatLineMatrix(const GLIB_Matrix& m) { m_lineMatrix.Concat(m); }

    // Asserts that the mode lies in Fill to Clip.
    int32_t RenderMode() const;
    double CharSpacing() const { return m_charSpacing; }
    double WordSpacing() const { return m_wordSpacing; }
    double HorizontalScaling() const { return m_horizontalScaling; }
    double FontSize() const { return m_fontSize; }
    const GLOB_Object& Font() const { return m_font; }
    double Leading() const { return m_leading; }
    double Rise() const { return m_rise; }
    const GLIB_Matrix& TextMatrix() const { return m_textMatrix; }
    const GLIB_Matrix& LineMatrix() const { return m_lineMatrix; }
    // [size × scaling, 0, 0, size, 0, rise] applied first, then the text
    // matrix.
    GLIB_Matrix TextRenderingMatrix() const;

    // Numbers compared exactly, the fonts as the same object, the matrices
    // within GLIB_Matrix's tolerances.
    bool operator==(const iCPDF_TextStateCore& other) const;

private:
    int32_t m_Tr;
    double m_charSpacing;
    double m_wordSpacing;
    double m_horizontalScaling;
    double m_fontSize;
    GLOB_Object m_font;
    double m_leading;
    double m_rise;
    GLIB_Matrix m_textMatrix;
    GLIB_Matrix m_lineMatrix;
};
