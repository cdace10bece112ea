// The text state of a graphics state: font, size, spacings, horizontal
// scaling, leading, rendering mode, rise, and the text and text line
// matrices (the record is iCPDF_TextStateCore). A copy-on-write value: copies
// share one counted record, and every setter first gives its handle a record
// of its own when the record is shared; a record held by one handle changes
// in place.
//
// Text objects do not reset it: BT sets only the two matrices to identity,
// everything else persists across text objects, as PDF requires.
#pragma once

#include "COMN_COWReferenceCountPointer.h"
#include "CPDF/content/iCPDF_TextStateCore.h"

#include <cstdint>
#include <iosfwd>

class CPDF_TextState {
public:
    enum RenderingMode : int32_t {
        Fill = iCPDF_TextStateCore::Fill,
        Stroke = iCPDF_TextStateCore::Stroke,
        FillAndStroke = iCPDF_TextStateCore::FillAndStroke,
        Nothing = iCPDF_TextStateCore::Nothing,
        FillAndClip = iCPDF_TextStateCore::FillAndClip,
        StrokeAndClip = iCPDF_TextStateCore::StrokeAndClip,
        FillStrokeAndClip = iCPDF_TextStateCore::FillStrokeAndClip,
        Clip = iCPDF_TextStateCore::Clip,
    };

    // A record of the initial values.
    CPDF_TextState();

    // Every value back to its initial one.
    void SetDefaults();
    // Asserts that the font is a dictionary (Tf stores only fonts found in
    // the resources), and stores it all the same.
    void SetFont(const GLOB_Object& font);
    void SetFontSize(double size);
    void SetCharSpacing(double spacing);
    void SetWordSpacing(double spacing);
    // A factor: 1.0 is 100 %.
    void SetHorizontalScaling(double factor);
    void SetLeading(double leading);
    void SetRise(double rise);
    // Asserts Fill <= Tr <= Clip, and stores it all the same.
    void SetRenderingMode(int32_t Tr);
    void SetTextMatrix(const GLIB_Matrix& m);
    void SetLineMatrix(const GLIB_Matrix& m);
    // The matrix becomes m × matrix: m applied first (Td, TD, T*, ' and ").
    void ConcatTextMatrix(const GLIB_Matrix& m);
    void ConcatLineMatrix(const GLIB_Matrix& m);

    int32_t RenderMode() const { return m_core->RenderMode(); }
    double CharSpacing() const { return m_core->CharSpacing(); }
    double WordSpacing() const { return m_core->WordSpacing(); }
    double HorizontalScaling() const { return m_core->HorizontalScaling(); }
    double FontSize() const { return m_core->FontSize(); }
    const GLOB_Object& Font() const { return m_core->Font(); }
    double Leading() const { return m_core->Leading(); }
    double Rise() const { return m_core->Rise(); }
    GLIB_Matrix TextMatrix() const { return m_core->TextMatrix(); }
    GLIB_Matrix LineMatrix() const { return m_core->LineMatrix(); }
    GLIB_Matrix TextRenderingMatrix() const { return m_core->TextRenderingMatrix(); }

    // One shared record, or equal records (iCPDF_TextStateCore::operator==).
    bool operator==(const CPDF_TextState& other) const;
    bool operator!=(const CPDF_TextState& other) const { return !(*this == other); }

    // "Fill" … "Clip" for the modes, "?" for any other value.
    static const char* RenderingModeName(int32_t mode);
    // "***** Text State *****", then one "Label<padding>: value" line per
    // parameter, the font in PDF syntax.
    void Print(std::ostream& os) const;
    // The printout, logged at level 8.
    void Dump() const;

private:
    iCPDF_TextStateCore& Detach() { return *m_core.Mutable(); }

    COMN_COWReferenceCountPointer<iCPDF_TextStateCore> m_core;
};
