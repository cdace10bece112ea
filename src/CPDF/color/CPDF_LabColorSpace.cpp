#include "CPDF/color/CPDF_LabColorSpace.h"

#include "CPDF/iCPDF_MessageText.h"
#include "CPDF/iCPDF_ValidationMessage.h"
#include "GLIB/GLIB_Assert.h"

namespace {

const char* const Family = "Lab";
const std::pair<double, double> DefaultRange(-100.0, 100.0);

std::ostream& PrintRange(std::ostream& os, const std::pair<double, double>& range) {
    return os << "( " << range.first << ", " << range.second << " )";
}

void CheckPair(const GLOB_Object& range, uint32_t first, const char* axis, iCPDF_ValidationMessage& collector) {
    const GLOB_Object start = range.Get(first);
    const GLOB_Object end = range.Get(first + 1);
    if (!start.IsNumber() || !end.IsNumber()) {
        collector.Stream() << "Lab Range parameters should be numeric, "
                           << "found '" << axis << "' range: [" << iCPDF_SyntaxOf{start} << ", "
                           << iCPDF_SyntaxOf{end} << "]";
        return;
    }
    std::string text;
    if (!CPDF_LabColorSpace::IsValidABRange(std::pair<double, double>(start.AsNumber(), end.AsNumber()), &text))
        collector.Stream() << "Lab space has invalid '" << axis << "' range: " << text;
}

}  // namespace

CPDF_LabColorSpace::CPDF_LabColorSpace() { AdoptObject(DefaultObject(Family)); }

CPDF_LabColorSpace::CPDF_LabColorSpace(const GLOB_Object& object) { SetObject(object); }

unsigned CPDF_LabColorSpace::NumComponents() const { return 3; }

CPDF_Color CPDF_LabColorSpace::InitialColor() const {
    return CPDF_Color(std::vector<double>{0.0, ARange().first, BRange().first});
}

GLOB_Name CPDF_LabColorSpace::FamilyName() const { return GLOB_Name(Family); }

std::ostream& CPDF_LabColorSpace::Print(std::ostream& os) const {
    const std::pair<double, double> b = BRange();
    const std::pair<double, double> a = ARange();
    PrintPoints(os) << " a* range ";
    PrintRange(os, a) << " b* range ";
    return PrintRange(os, b) << " ]";
}

bool CPDF_LabColorSpace::IsValid(const GLOB_Object& object, std::string* messages) const {
    return IsValidColorSpace(object, messages);
}

bool CPDF_LabColorSpace::HasRange(std::pair<double, double>* a, std::pair<double, double>* b) const {
    GLOB_Object range;
    if (!Dict().Known(GLOB_Name("Range"), &range))
        return false;
    if (a)
        *a = std::make_pair(range.Get(0).AsNumber(), range.Get(1).AsNumber());
    if (b)
        *b = std::make_pair(range.Get(2).AsNumber(), range.Get(3).AsNumber());
    return true;
}

std::pair<double, double> CPDF_LabColorSpace::ARange() const {
    std::pair<double, double> a = DefaultRange;
    HasRange(&a, nullptr);
    return a;
}

std::pair<double, double> CPDF_LabColorSpace::BRange() const {
    std::pair<double, double> b = DefaultRange;
    HasRange(nullptr, &b);
    return b;
}

void CPDF_LabColorSpace::SetRange(const std::pair<double, double>& aRange, const std::pair<double, double>& bRange) {
    GLIB_ASSERT(IsValidABRange(aRange, nullptr) && IsValidABRange(bRange, nullptr));
    PutColor("Range", CPDF_Color(std::vector<double>{aRange.first, aRange.second, bRange.first, bRange.second}));
}

void CPDF_LabColorSpace::SetARange(const std::pair<double, double>& aRange) { SetRange(aRange, BRange()); }

void CPDF_LabColorSpace::SetBRange(const std::pair<double, double>& bRange) { SetRange(ARange(), bRange); }

bool CPDF_LabColorSpace::IsValidColorSpace(const GLOB_Object& object, std::string* messages) {
    iCPDF_ValidationMessage collector(messages);
    GLOB_Object dict;
    if (!CheckDictionary(object, Family, collector, &dict))
        return false;
    GLOB_Object range;
    if (dict.Known(GLOB_Name("Range"), &range)) {
        if (!range.IsArray()) {
            collector.Stream() << "Lab Range entry should be an array, found " << iCPDF_TypeOf(range);
        } else if (range.Length() != 4) {
            collector.Stream() << "Lab Range array should be length 4, found " << range.Length();
        } else {
            CheckPair(range, 0, "a*", collector);
            CheckPair(range, 2, "b*", collector);
        }
    }
    return collector.IsValid();
}

bool CPDF_LabColorSpace::IsValidABRange(const std::pair<double, double>& range, std::string* messages) {
    iCPDF_ValidationMessage collector(messages);
    if (!(range.first <= range.second))
        collector.Stream() << "Range start point is greater than its end point: " << range.first << " > "
                           << range.second;
    return collector.IsValid();
}
