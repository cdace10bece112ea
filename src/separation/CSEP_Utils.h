// Free functions of the separation engine: an ink's CMYK equivalent (its
// "recipe"), which the separation page's SeparationInfo and the plug-in's
// ink colours are built from, the Lab conversion it falls back on, and the
// copying of one dictionary entry into another document.
#pragma once

#include "CPDF/color/CPDF_Color.h"
#include "CPDF/color/CPDF_ColorSpace.h"
#include "CPDF/color/CPDF_DeviceNColorSpace.h"
#include "CPDF/color/CPDF_Colorant.h"
#include "CPDF/document/CPDF_Page.h"
#include "CPDF/document/CPDF_ResourcesDict.h"
#include "GLOB/GLOB_Object.h"

namespace CSEP_Utils {

// Tint transforms of this many inputs or outputs, or more, are refused:
// the same limit as the colorants of a DeviceN space.
constexpr unsigned MaxTintComponents = CPDF_DeviceNColorSpace::ColorantLimit;

// Sets recipe to 4 components (C, M, Y, K): a unit vector for "Cyan",
// "Magenta", "Yellow" and "Black" (exact names). For a spot ink, the first
// colour space of the resources and every resource dictionary nested in
// them (CollectColorSpaces; an Indexed or Pattern space stands for its
// base) that names the ink gives its alternate space and tint transform;
// the transform is evaluated with the ink's input at 1 and the others at 0,
// and the alternate colour converted by a CSEP_ColorSeparator: a DeviceCMYK
// alternate gives its four values, DeviceGray K = 1 - gray. The spaces the
// colour separator refuses go through AlternateToCMYK.
// - No space names the ink: a warning "Spot color <ink>not in dictionary.
//   Can't create recipie." and a zero recipe.
// - An alternate neither converts: the recipe is zero and GLIB_Exception
//   1128001 "alternate space <family>" is thrown.
// - A tint transform of MaxTintComponents inputs or outputs or more, or an
//   ink at that place among the colorants or later: a zero recipe and
//   GLIB_Exception 1128001.
// Errors of the resources, the spaces and the transform pass through.
void CMYKRecipe(const CPDF_Colorant& ink, const CPDF_ResourcesDict& resources, CPDF_Color& recipe);

// The CMYK equivalent of color in alternate, a space the colour separator
// refuses: Lab through LabToCMYK; DeviceRGB, CalRGB and ICCBased of 3
// components through RGBToCMYK; CalGray and ICCBased of 1 give K = 1 - gray;
// ICCBased of 4 its four values. Components are clamped to 0..1. False,
// cmyk untouched, for any other space.
bool AlternateToCMYK(const CPDF_ColorSpace& alternate, const CPDF_Color& color, CPDF_Color& cmyk);
// C, M, Y = max(R, G, B) - R, G, B and K = 1 - max(R, G, B).
CPDF_Color RGBToCMYK(const CPDF_Color& rgb);

// L*, a*, b* to CMYK through XYZ (white point X 96.42, Y 100, Z 82.49) and
// gamma-corrected RGB clamped to 0..1, then RGBToCMYK.
CPDF_Color LabToCMYK(const CPDF_Color& lab);
// X, Y, Z on the scale of the white point, negative values as 0.
CPDF_Color LabToXYZ(const CPDF_Color& lab);
// R, G, B gamma corrected and clamped to 0..1.
CPDF_Color XYZToRGB(const CPDF_Color& xyz);

// Puts under key of destination the value under key of source, copied into
// destination's document unless it belongs there already. A key source
// lacks (or holds null) is left absent in destination.
void CopyKey(const char* key, const GLOB_Object& source, const GLOB_Object& destination);

// The page's resources (CPDF_Page::ResourcesDict). A page that has none,
// itself or inherited, is a blank page drawing nothing: a new empty direct
// dictionary of its document, which is not changed. Resources that are not
// a dictionary still fail as there.
CPDF_ResourcesDict PageResources(const CPDF_Page& page);

}  // namespace CSEP_Utils
