#include "CPDF/color/CPDF_ICCBasedColorSpace.h"

#include "CPDF/CPDF_Exception.h"
#include "CPDF/CPDF_Utils.h"
#include "CPDF/color/CPDF_DeviceColorSpace.h"
#include "CPDF/iCPDF_MessageText.h"
#include "CPDF/iCPDF_ValidationMessage.h"
#include "GLIB/GLIB_Assert.h"

#include <algorithm>
#include <array>

namespace {

const char* const Family = "ICCBased";

}  // namespace

CPDF_ICCBasedColorSpace::CPDF_ICCBasedColorSpace(const GLOB_Object& object) { SetObject(object); }

unsigned CPDF_ICCBasedColorSpace::NumComponents() const {
    return static_cast<unsigned>(StreamDict().DictGet(GLOB_Name("N")).AsInteger());
}

CPDF_Color CPDF_ICCBasedColorSpace::InitialColor() const { return CPDF_Color(NumComponents()); }

GLOB_Name CPDF_ICCBasedColorSpace::FamilyName() const { return GLOB_Name(Family); }

std::ostream& CPDF_ICCBasedColorSpace::Print(std::ostream& os) const {
    const CPDF_ColorSpace alternate = AlternateColorSpace();
    const unsigned n = Dimension();
    alternate.Print(os << "ColorSpace: " << Family << " [ Dimension " << n << " Alternate: ") << " Range [ ";
    for (unsigned i = 0; i < n; ++i) {
        const std::pair<double, double> range = Range(i);
        os << "( " << range.first << ", " << range.second << " )" << " ";
    }
    return os << " ] ]";
}

bool CPDF_ICCBasedColorSpace::IsValid(const GLOB_Object& object, std::string* messages) const {
    return IsValidColorSpace(object, messages);
}

unsigned CPDF_ICCBasedColorSpace::Dimension() const { return NumComponents(); }

bool CPDF_ICCBasedColorSpace::HasAlternate(CPDF_ColorSpace* out) const {
    return CPDF_Utils::ReadEntry(StreamDict(), "Alternate", out,
                                 [](const GLOB_Object& alternate) { return CPDF_ColorSpace(alternate); });
}

CPDF_ColorSpace CPDF_ICCBasedColorSpace::AlternateColorSpace() const {
    CPDF_ColorSpace alternate;
    if (HasAlternate(&alternate))
        return alternate;
    const unsigned n = Dimension();
    switch (n) {
    case 1:
        return CPDF_ColorSpace(CPDF_DeviceGrayColorSpace());
    case 3:
        return CPDF_ColorSpace(CPDF_DeviceRGBColorSpace());
    case 4:
        return CPDF_ColorSpace(CPDF_DeviceCMYKColorSpace());
    default:
        GLIB_THROW(CPDF_Exception, CPDF_InvalidColorSpaceCode, "Invalid ICCBased colorspace dimension: " << n);
    }
}

bool CPDF_ICCBasedColorSpace::HasRange(std::pair<double, double>* out) const {
    GLOB_Object range;
    if (!StreamDict().Known(GLOB_Name("Range"), &range))
        return false;
    if (out) {
        const uint32_t pairs = std::min(Dimension(), range.Length() / 2);
        for (uint32_t i = 0; i < pairs; ++i)
            out[i] = std::make_pair(range.Get(2 * i).AsNumber(), range.Get(2 * i + 1).AsNumber());
    }
    return true;
}

std::pair<double, double> CPDF_ICCBasedColorSpace::Range(unsigned idx) const {
    const unsigned n = Dimension();
    GLIB_ASSERT_CMP(idx, <, n);
    // Four pairs hold every valid space; a larger N only comes of a change
    // after validation.
    std::array<std::pair<double, double>, 4> table = {};
    if (n > table.size())
        return idx < table.size() ? table[idx] : std::make_pair(0.0, 0.0);
    if (!HasRange(table.data()))
        return std::make_pair(0.0, 1.0);
    return table[idx];
}

GLOB_Stream CPDF_ICCBasedColorSpace::ProfileStream() const { return StreamDict().OpenStream(2); }

bool CPDF_ICCBasedColorSpace::IsValidColorSpace(const GLOB_Object& object, std::string* messages) {
    iCPDF_ValidationMessage collector(messages);
    if (!object.IsArray()) {
        collector.Stream() << "ICCBased colorspace must be type Array, found " << iCPDF_TypeOf(object);
        return false;
    }
    if (object.Length() != 2) {
        collector.Stream() << "ICCBased colorspace array length must be 2, found " << object.Length();
        return false;
    }
    const GLOB_Object family = object.Get(0);
    if (!family.IsName() || family.AsName() != Family) {
        collector.Stream() << "ICCBased colorspace array 0 entry must be 'ICCBased', found " << iCPDF_SyntaxOf{family};
        return false;
    }
    const GLOB_Object stream = object.Get(1);
    if (!stream.IsStream()) {
        collector.Stream() << "ICCBased colorspace array 1 entry must be a stream, found " << iCPDF_TypeOf(stream);
        return false;
    }
    GLOB_Object value;
    if (!stream.Known(GLOB_Name("N"), &value)) {
        collector.Stream() << "ICCBased colorspace missing dimension.";
        return false;
    }
    if (!value.IsInteger()) {
        collector.Stream() << "ICCBaseed colorspace dimension should be an integer, found " << iCPDF_TypeOf(value);
        return false;
    }
    const int n = value.AsInteger();
    std::string text;
    if (!IsValidDimension(n, &text)) {
        collector.Stream() << "ICCBased colorspace invalid dimension: " << text;
        return false;
    }

    if (stream.Known(GLOB_Name("Alternate"), &value)) {
        try {
            if (!IsValidAlternate(CPDF_ColorSpace(value), n, &text))
                collector.Stream() << "ICCBased colorspace has invalid alternate space: " << text;
        } catch (const CPDF_Exception& e) {
            if (e.Code() != CPDF_InvalidColorSpaceCode)
                throw;
            collector.Stream() << "ICCBased colorspace has invalid alternate space: " << e.What();
        }
    }

    if (stream.Known(GLOB_Name("Range"), &value)) {
        if (!value.IsArray()) {
            collector.Stream() << "ICCBased Range parameter should be type Array, found " << iCPDF_TypeOf(value);
        } else if (value.Length() != static_cast<uint32_t>(2 * n)) {
            collector.Stream() << "ICCBased Range parameter should have length 2*Dimension = " << 2 * n << ", found "
                               << value.Length();
        } else {
            for (uint32_t i = 0; i < value.Length(); ++i) {
                const GLOB_Object element = value.Get(i);
                if (!element.IsNumber())
                    collector.Stream() << "ICCBased Range array entries should be numeric, "
                                       << "at index " << i << " found " << iCPDF_TypeOf(element);
            }
        }
    }
    return collector.IsValid();
}

bool CPDF_ICCBasedColorSpace::IsValidDimension(int n, std::string* messages) {
    iCPDF_ValidationMessage collector(messages);
    if (n != 1 && n != 3 && n != 4)
        collector.Stream() << "ICCBased colorspace dimension must be 1, 3, or 4; found " << n;
    return collector.IsValid();
}

bool CPDF_ICCBasedColorSpace::IsValidAlternate(const CPDF_ColorSpace& alternate, int n, std::string* messages) {
    GLIB_ASSERT_CMP(alternate.Type(), !=, CPDF_ColorSpace::Null);
    iCPDF_ValidationMessage collector(messages);
    const unsigned count = alternate.NumComponents();
    if (count != static_cast<unsigned>(n))
        collector.Stream() << "ICCBased alternate colorspace dimension must match space dimension. "
                           << "Expected " << n << ", found " << count;
    if (alternate.Type() == CPDF_ColorSpace::Pattern)
        collector.Stream() << "ICCBased alternate colorspace cannot be a pattern space. ";
    return collector.IsValid();
}
