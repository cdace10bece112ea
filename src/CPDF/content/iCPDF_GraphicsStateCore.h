// The record behind CPDF_GraphicsState: every parameter of the graphics
// state of ISO 32000 8.4 that the content model keeps. A plain value that
// CPDF_GraphicsState shares between its copies and copies before a change.
// Its own copy shares what is itself a shared handle (the clip list, the
// dash pattern, both colours, the names and the text state) until one of
// them is replaced.
//
// The setters that check a range report a failed check to the assertion
// handler ("width>=0.0 :: -2>=0") and store the value all the same: the
// content operators and ExtGState entries are checked before they get here.
//
// The default device functions are objects of the memory document, made on
// first use (a program that never asks for them never builds them) and kept
// to the end of the process. Each accessor hands out a new handle of the one
// object, so a state at its defaults holds the very object the accessor
// gives, and GLOB_Object::operator== can tell the default from an equal copy.
#pragma once

#include "CPDF/color/CPDF_Color.h"
#include "CPDF/color/CPDF_ColorSpace.h"
#include "CPDF/content/CPDF_DashPattern.h"
#include "CPDF/content/CPDF_PathList.h"
#include "CPDF/content/CPDF_TextState.h"
#include "GLIB/GLIB_Geometry.h"
#include "GLOB/GLOB_Name.h"
#include "GLOB/GLOB_Object.h"

#include <cstdint>

class iCPDF_GraphicsStateCore {
public:
    enum LineCapStyle : int32_t { ButtEndCaps = 0, RoundEndCaps = 1, ProjectingSquareCaps = 2 };
    enum LineJoinStyle : int32_t { MiterJoins = 0, RoundJoins = 1, BevelJoins = 2 };

    // The defaults of a page's content: identity CTM, no clip, DeviceGray
    // fill and stroke in its initial colour, no pattern names, overprint off,
    // the default functions and halftone, phase (0, 0), butt caps, miter
    // joins, a solid dash, width 1, miter limit 10, flatness 0, smoothness
    // 0.02, stroke adjustment on, /RelativeColorimetric, the text state's
    // defaults.
    iCPDF_GraphicsStateCore();

    void SetDefaults();

    // {FunctionType 2, Domain [0 1], C0 [0], C1 [1], N 1}: evaluating it
    // returns its input. /Identity of TR and TR2.
    static GLOB_Object IdentityFunction();
    // Another dictionary of the same entries, not the same object:
    // /Default of BG, BG2, TR and TR2.
    static GLOB_Object DefaultBlackGeneration();
    static GLOB_Object DefaultTransfer();
    // {FunctionType 2, Domain [0 1], C0 [-1], C1 [1], N 1}: /Default of UCR
    // and UCR2.
    static GLOB_Object DefaultUndercolorRemoval();
    // A Null object: /Default of HT and HT2.
    static GLOB_Object DefaultHalftone();
    // target becomes a new direct dictionary in target's document:
    // FunctionType 2, Domain [d0 d1], C0 [c0], C1 [c1], N 1, in this order,
    // every number an Integer.
    static void MakeLinearFunction(GLOB_Object& target, int32_t d0, int32_t d1, int32_t c0, int32_t c1);

    // Asserting setters; each stores its value whatever the check found.
    // ButtEndCaps <= style <= ProjectingSquareCaps.
    void SetLineCap(int32_t style);
    // MiterJoins <= style <= BevelJoins.
    void SetLineJoin(int32_t style);
    // 0.0 <= percent <= 1.0 (a fraction, despite the name).
    void SetSmoothness(double percent);
    void SetLineWidth(double width);  // width >= 0.0
    void SetMiterLimit(double ratio);  // ratio >= 1.0
    // A dictionary or stream.
    void SetBlackGeneration(const GLOB_Object& function);
    void SetUndercolorRemoval(const GLOB_Object& function);
    // A dictionary, stream, or an array of them (one per colorant).
    void SetTransfer(const GLOB_Object& function);
    // Null, a dictionary or a stream.
    void SetHalftone(const GLOB_Object& dict);

    // Field by field, stopping at the first difference: CTM (GLIB_Matrix
    // tolerances), clip, overprint, spaces (same kind, objects deeply
    // equal), colours, pattern names, the device functions deeply equal,
    // halftone phase, cap, join, dash, the doubles exactly, stroke
    // adjustment, intent, text state. GLOB_Object::IsDeepEqual's exceptions
    // pass through.
    bool operator==(const iCPDF_GraphicsStateCore& other) const;

private:
    friend class CPDF_GraphicsState;

    GLIB_Matrix m_ctm;
    CPDF_PathList m_clipPath;
    bool m_strokeOverprint;
    bool m_fillOverprint;
    int32_t m_overprintMode;
    GLOB_Object m_blackGeneration;
    CPDF_DashPattern m_dashPattern;
    double m_flatness;
    GLOB_Object m_halftone;
    int32_t m_halftonePhaseX;
    int32_t m_halftonePhaseY;
    int32_t m_lineCap;
    int32_t m_lineJoin;
    double m_lineWidth;
    double m_miterLimit;
    bool m_strokeAdjustment;
    double m_smoothness;
    GLOB_Object m_transfer;
    GLOB_Object m_undercolorRemoval;
    CPDF_Color m_fillColor;
    CPDF_ColorSpace m_fillColorSpace;
    GLOB_Name m_fillPattern;
    CPDF_Color m_strokeColor;
    CPDF_ColorSpace m_strokeColorSpace;
    GLOB_Name m_strokePattern;
    GLOB_Name m_renderingIntent;
    CPDF_TextState m_textState;
};
