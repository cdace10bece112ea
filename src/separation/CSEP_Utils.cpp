#include "separation/CSEP_Utils.h"

#include "CPDF/color/CPDF_DeviceNColorSpace.h"
#include "CPDF/color/CPDF_SeparationColorSpace.h"
#include "GLIB/GLIB_Assert.h"
#include "GLIB/GLIB_Exception.h"
#include "GLIB/GLIB_Log.h"
#include "separation/CSEP_ColorSeparator.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

double FactorFromF(double t) { return t <= 0.206893034 ? (t - 0.137931) / 7.787 : t * t * t; }

double Clamped(double v) { return std::min(1.0, std::max(0.0, v)); }

double Gamma(double v) {
    const double corrected = v >= 0.00304 ? 1.055 * std::pow(v, 0.41666667) - 0.055 : 12.92 * v;
    return std::min(1.0, std::max(0.0, corrected));
}

}  // namespace

void CSEP_Utils::CMYKRecipe(const CPDF_Colorant& ink, const CPDF_ResourcesDict& resources, CPDF_Color& recipe) {
    recipe.SetNumComponents(4);
    const char* const process[] = {"Cyan", "Magenta", "Yellow", "Black"};
    for (unsigned i = 0; i < 4; ++i) {
        if (ink == CPDF_Colorant(process[i])) {
            recipe.SetComponent(i, 1.0);
            return;
        }
    }

    std::vector<CPDF_ColorSpace> spaces;
    resources.CollectColorSpaces(&spaces, false, false);
    CPDF_ColorSpace found;
    int index = -1;
    for (CPDF_ColorSpace space : spaces) {
        // A Pattern over an Indexed space reaches the Separation in two steps.
        for (CPDF_ColorSpace base = space.BaseColorSpace(); !base.IsNull(); base = space.BaseColorSpace())
            space = base;
        index = space.ColorantIndex(ink);
        if (index >= 0) {
            found = space;
            break;
        }
    }
    if (index < 0) {
        GLIB_LOG(GLIB_LogWarning, "Spot color " << ink << "not in dictionary." << " Can't create recipie.");
        return;
    }

    CPDF_ColorSpace alternate;
    CPDF_Function tintTransform;
    if (found.IsSeparation()) {
        alternate = found.AsSeparation().AlternateColorSpace();
        tintTransform = found.AsSeparation().TintTransform();
    } else {
        alternate = found.AsDeviceN().AlternateColorSpace();
        tintTransform = found.AsDeviceN().TintTransform();
    }
    if (tintTransform.DomainDimension() >= MaxTintComponents || tintTransform.RangeDimension() >= MaxTintComponents ||
        static_cast<unsigned>(index) >= MaxTintComponents)
        GLIB_THROW(GLIB_Exception, CSEP_UnsupportedCode,
                   "Tint transform of " << ink << " (colorant " << index << ") has "
                                        << tintTransform.DomainDimension() << " inputs and "
                                        << tintTransform.RangeDimension() << " outputs, fewer than "
                                        << MaxTintComponents << " expected");
    double in[MaxTintComponents] = {};
    double out[MaxTintComponents] = {};
    in[index] = 1.0;
    tintTransform.Evaluate(in, out, 1);
    const CPDF_Color alternateColor(out, std::min(alternate.NumComponents(), MaxTintComponents));

    try {
        CSEP_ColorSeparator separator;
        separator.SetColorSpace(alternate);
        separator.ConvertColor(alternateColor, recipe);
    } catch (const GLIB_Exception&) {
        // Content in these spaces cannot be separated, but an ink's display
        // colour only needs a close CMYK equivalent.
        if (AlternateToCMYK(alternate, alternateColor, recipe))
            return;
        recipe.Zero();
        GLIB_THROW(GLIB_Exception, CSEP_UnsupportedCode, "alternate space " << alternate.FamilyName().CStr());
    }
}

bool CSEP_Utils::AlternateToCMYK(const CPDF_ColorSpace& alternate, const CPDF_Color& color, CPDF_Color& cmyk) {
    unsigned n = 0;
    switch (alternate.Type()) {
    case CPDF_ColorSpace::Lab:
        cmyk = LabToCMYK(color);
        return true;
    case CPDF_ColorSpace::DeviceRGB:
    case CPDF_ColorSpace::CalRGB:
        n = 3;
        break;
    case CPDF_ColorSpace::CalGray:
        n = 1;
        break;
    case CPDF_ColorSpace::ICCBased:
        n = alternate.NumComponents();
        break;
    default:
        return false;
    }
    if (n != 1 && n != 3 && n != 4)
        return false;
    CPDF_Color clamped(n);
    for (unsigned i = 0; i < n; ++i)
        clamped.SetComponent(i, Clamped(i < color.NumComponents() ? color.Component(i) : 0));
    if (n == 3) {
        cmyk = RGBToCMYK(clamped);
    } else if (n == 1) {
        cmyk = CPDF_Color(4u);
        cmyk.SetComponent(3, 1 - clamped.Component(0));
    } else {
        cmyk = clamped;
    }
    return true;
}

CPDF_Color CSEP_Utils::RGBToCMYK(const CPDF_Color& rgb) {
    const double top = std::max({rgb.Component(0), rgb.Component(1), rgb.Component(2)});
    CPDF_Color cmyk(4u);
    for (unsigned i = 0; i < 3; ++i)
        cmyk.SetComponent(i, top - rgb.Component(i));
    cmyk.SetComponent(3, 1 - top);
    return cmyk;
}

CPDF_Color CSEP_Utils::LabToXYZ(const CPDF_Color& lab) {
    const double fy = (lab.Component(0) + 16) / 116;
    const double f[3] = {fy + lab.Component(1) * 0.002, fy, fy - lab.Component(2) * 0.005};
    const double white[3] = {96.42, 100.0, 82.49};
    CPDF_Color xyz(3u);
    for (unsigned i = 0; i < 3; ++i)
        xyz.SetComponent(i, std::max(0.0, white[i] * FactorFromF(f[i])));
    return xyz;
}

CPDF_Color CSEP_Utils::XYZToRGB(const CPDF_Color& xyz) {
    const double m[3][3] = {{34.2501, -18.9616, -4.6434}, {-10.2423, 20.1586, -0.0633}, {0.5876, -2.1424, 14.3109}};
    CPDF_Color rgb(3u);
    for (unsigned i = 0; i < 3; ++i) {
        const double linear =
            (m[i][0] * xyz.Component(0) + m[i][1] * xyz.Component(1) + m[i][2] * xyz.Component(2)) / 1023;
        rgb.SetComponent(i, Gamma(linear));
    }
    return rgb;
}

CPDF_Color CSEP_Utils::LabToCMYK(const CPDF_Color& lab) { return RGBToCMYK(XYZToRGB(LabToXYZ(lab))); }

void CSEP_Utils::CopyKey(const char* key, const GLOB_Object& source, const GLOB_Object& destination) {
    const GLOB_Name name(key);
    const GLOB_Object value = source.DictGet(name);
    // The memory back-end would keep a /Key null, which readers take as absent.
    if (value.IsNull()) {
        destination.RemovePath(key);
        return;
    }
    destination.DictPut(name, destination.Doc().Copy(value, false));
}

CPDF_ResourcesDict CSEP_Utils::PageResources(const CPDF_Page& page) {
    if (page.InheritedAttribute("Resources", nullptr))
        return page.ResourcesDict();
    return CPDF_ResourcesDict(page.Object().Doc().NewDict(0));
}
