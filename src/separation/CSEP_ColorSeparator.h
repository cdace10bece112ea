// Turns colours and colour constructs of any supported source space into
// press space: it owns one converter of every kind, selects the one that
// fits the current colour space, and forwards every conversion to it. The
// content separator keeps one for fill and one for stroke; the resource
// separator and the ink recipes use their own.
//
// Selection by the space's kind:
//   DeviceCMYK, DeviceGray           their converters
//   Separation "All" / "None"        SeparationAll / SepNone
//   Separation of any other ink      Separation
//   DeviceN                          DeviceN
//   Indexed, Pattern without base    Null
//   Pattern over a space             the selection for that space, then the
//                                    Pattern space is made current
//   DeviceRGB, ICCBased, CalGray,    GLIB_Exception 1128001 "Unsupported
//   CalRGB, Lab                      colorspace" and the space printed
//   a Null space                     GLIB_Exception 1128001 "Encountered
//                                    illegal colorspace: " and the space
// A refused space, or one the converter refuses (1128004 for an ink the job
// lacks), leaves the current converter and space as they were.
#pragma once

#include "CPDF/color/CPDF_Color.h"
#include "CPDF/color/CPDF_ColorSpace.h"
#include "GLOB/GLOB_Object.h"
#include "separation/CSEP_DeviceCMYKConverter.h"
#include "separation/CSEP_DeviceGrayConverter.h"
#include "separation/CSEP_DeviceNConverter.h"
#include "separation/CSEP_NullConverter.h"
#include "separation/CSEP_SepJobContext.h"
#include "separation/CSEP_SepNoneConverter.h"
#include "separation/CSEP_SeparationAllConverter.h"
#include "separation/CSEP_SeparationConverter.h"

#include <vector>

class CSEP_ColorSeparator {
public:
    // DeviceGray selected; a job of its own (no inks) until SetJobContext.
    CSEP_ColorSeparator();
    CSEP_ColorSeparator(const CSEP_ColorSeparator&) = delete;
    CSEP_ColorSeparator& operator=(const CSEP_ColorSeparator&) = delete;

    // Gives the job to every converter.
    void SetJobContext(const CSEP_SepJobContext& job);
    // Selects the converter for colorSpace (table above), runs its
    // ConvertColorSpace, and makes colorSpace current.
    void SetColorSpace(const CPDF_ColorSpace& colorSpace);
    const CPDF_ColorSpace& ColorSpace() const { return m_colorSpace; }
    // The selected converter.
    CSEP_ToPressSpaceConverter& Converter() const { return *m_pCurrent; }

    // Forwarded to the selected converter.
    void ConvertColor(const CPDF_Color& color, CPDF_Color& pressColor);
    void ConvertImage(const GLOB_Object& image, std::vector<GLOB_Object>& out);
    void ConvertIndexed(const CPDF_IndexedColorSpace& space, std::vector<GLOB_Object>& out);
    void ConvertShading(const GLOB_Object& shading, std::vector<GLOB_Object>& out);

private:
    CSEP_ToPressSpaceConverter* Select(const CPDF_ColorSpace& colorSpace);

    CSEP_ToPressSpaceConverter* m_pCurrent;
    CSEP_DeviceCMYKConverter m_deviceCMYK;
    CSEP_DeviceGrayConverter m_deviceGray;
    CSEP_DeviceNConverter m_deviceN;
    CSEP_NullConverter m_null;
    CSEP_SeparationConverter m_separation;
    CSEP_SeparationAllConverter m_separationAll;
    CSEP_SepNoneConverter m_sepNone;
    CPDF_ColorSpace m_colorSpace;
};
