// The converter of spaces whose colours are never converted: Indexed spaces
// (the content separator writes the index itself and slices the palette)
// and Pattern spaces without an underlying space. Every conversion is a
// caller's mistake reported as GLIB_Exception 1128001 "Illegal method called
// on a CSEP_NullConverter.".
#pragma once

#include "separation/CSEP_ToPressSpaceConverter.h"

class CSEP_NullConverter : public CSEP_ToPressSpaceConverter {
public:
    void ConvertColor(const CPDF_Color& color, CPDF_Color& pressColor) override;
    void ConvertImage(const GLOB_Object& image, std::vector<GLOB_Object>& out) override;
    void ConvertIndexed(const CPDF_IndexedColorSpace& space, std::vector<GLOB_Object>& out) override;
    void ConvertShading(const GLOB_Object& shading, std::vector<GLOB_Object>& out) override;
    const char* ClassName() const override { return "CSEP_NullConverter"; }
};
