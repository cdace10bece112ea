// The Lab family: L*, a* and b* relative to a CIE white point. Besides the
// shared CIE keys its dictionary may hold "Range", four numbers: a* start,
// a* end, b* start, b* end (default -100 100 -100 100), each start at most
// its end. There is no range for L*. For the plates it paints the process
// inks.
//
// Answers: 3 components, initial colour (0, a* start, b* start), Colorants
// the process inks, no names, no base. Print: "ColorSpace: Lab [ WhitePoint
// <color> BlackPoint <color> a* range ( <start>, <end> ) b* range ( <start>,
// <end> ) ]".
//
// IsValidColorSpace: the shared CIE check, then for a present "Range": "Lab
// Range entry should be an array, found <type>" or "Lab Range array should
// be length 4, found <n>", else for each of the a* and b* pairs "Lab Range
// parameters should be numeric, found 'a*' range: [<syntax>, <syntax>]" or
// "Lab space has invalid 'a*' range: " and IsValidABRange's line.
#pragma once

#include "CPDF/color/CPDF_CIEColorSpaceCore.h"

#include <utility>

class CPDF_LabColorSpace : public CPDF_CIEColorSpaceCore {
public:
    // The default CIE object.
    CPDF_LabColorSpace();
    explicit CPDF_LabColorSpace(const GLOB_Object& object);
    CPDF_LabColorSpace(const CPDF_LabColorSpace& other) = default;

    unsigned NumComponents() const override;
    CPDF_Color InitialColor() const override;
    GLOB_Name FamilyName() const override;
    std::ostream& Print(std::ostream& os) const override;
    bool IsValid(const GLOB_Object& object, std::string* messages) const override;

    // Whether "Range" is present; when it is, a and b (when not null)
    // receive elements 0 and 1, respectively 2 and 3.
    bool HasRange(std::pair<double, double>* a, std::pair<double, double>* b) const;
    // (-100, 100) when "Range" is absent.
    std::pair<double, double> ARange() const;
    std::pair<double, double> BRange() const;
    // Assert IsValidABRange of each pair; store four Reals under "Range",
    // the other pair as it reads now.
    void SetRange(const std::pair<double, double>& aRange, const std::pair<double, double>& bRange);
    void SetARange(const std::pair<double, double>& aRange);
    void SetBRange(const std::pair<double, double>& bRange);

    static bool IsValidColorSpace(const GLOB_Object& object, std::string* messages);
    // "Range start point is greater than its end point: <start> > <end>"
    // unless start <= end (NaN fails).
    static bool IsValidABRange(const std::pair<double, double>& range, std::string* messages);
};
