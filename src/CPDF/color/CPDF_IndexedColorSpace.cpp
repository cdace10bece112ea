#include "CPDF/color/CPDF_IndexedColorSpace.h"

#include "CPDF/color/iCPDF_TryColorSpace.h"
#include "CPDF/iCPDF_MessageText.h"
#include "CPDF/iCPDF_ValidationMessage.h"
#include "FILT/FILT_TupleBuffer.h"
#include "GLIB/GLIB_Assert.h"
#include "GLIB/GLIB_New.h"
#include "GLOB/GLOB_ObjectFactory.h"
#include "GLOB/GLOB_StringStream.h"

#include <algorithm>

namespace {

const char* const Family = "Indexed";

GLOB_Object MakeArray(const GLOB_Doc& doc, bool indirect, const CPDF_ColorSpace& base, unsigned numSamples,
                      const GLOB_Object& lookup) {
    const GLOB_Object array = doc.NewArray(4, indirect);
    array.ArrayPut(0, doc.NewName(GLOB_Name(Family)));
    array.ArrayPut(1, base.MakeObject(&doc));
    array.ArrayPut(2, doc.NewInteger(static_cast<int32_t>(numSamples) - 1));
    array.ArrayPut(3, lookup);
    return array;
}

}  // namespace

CPDF_IndexedColorSpace::CPDF_IndexedColorSpace() = default;

CPDF_IndexedColorSpace::CPDF_IndexedColorSpace(const GLOB_Object& object) { SetObject(object); }

CPDF_IndexedColorSpace::CPDF_IndexedColorSpace(const CPDF_ColorSpace& baseColorSpace, unsigned numSamples,
                                               GLOB_Stream lookup, const GLOB_Doc& doc) {
    GLIB_ASSERT(IsValidNumSamples(numSamples, nullptr));
    GLIB_ASSERT(IsValidBaseColorSpace(baseColorSpace, nullptr));
    const GLOB_Object stream = doc.NewStream(lookup, 0, GLOB_Object(), GLOB_Object(), -1);
    AdoptObject(MakeArray(doc, true, baseColorSpace, numSamples, stream));
}

CPDF_IndexedColorSpace::CPDF_IndexedColorSpace(const CPDF_ColorSpace& baseColorSpace, unsigned numSamples,
                                               const GLOB_Object& lookup) {
    GLIB_ASSERT(IsValidNumSamples(numSamples, nullptr));
    GLIB_ASSERT(IsValidBaseColorSpace(baseColorSpace, nullptr));
    AdoptObject(MakeArray(GLOB_ObjectFactory::MemoryDoc(), false, baseColorSpace, numSamples, lookup));
}

CPDF_IndexedColorSpace::CPDF_IndexedColorSpace(const CPDF_IndexedColorSpace& other)
    : CPDF_ColorSpaceCore(other), m_table(other.m_table) {}

unsigned CPDF_IndexedColorSpace::NumComponents() const { return 1; }

CPDF_Color CPDF_IndexedColorSpace::InitialColor() const {
    static const CPDF_Color indexZero(1u);
    return indexZero;
}

bool CPDF_IndexedColorSpace::HasBaseColorSpace(CPDF_ColorSpace* out) const {
    if (out)
        *out = CPDF_ColorSpace(Object().Get(1));
    return true;
}

GLOB_Name CPDF_IndexedColorSpace::FamilyName() const { return GLOB_Name(Family); }

std::ostream& CPDF_IndexedColorSpace::Print(std::ostream& os) const {
    BaseColorSpace().Print(os << "ColorSpace: " << Family << " [ BaseColorSpace ");
    return os << " NumSamples " << NumSamples() << " ]";
}

std::vector<CPDF_Colorant> CPDF_IndexedColorSpace::Colorants() const { return BaseColorSpace().Colorants(); }

bool CPDF_IndexedColorSpace::IsValid(const GLOB_Object& object, std::string* messages) const {
    return IsValidColorSpace(object, messages);
}

unsigned CPDF_IndexedColorSpace::NumSamples() const {
    return static_cast<unsigned>(Object().Get(2).AsInteger()) + 1u;
}

GLOB_Object CPDF_IndexedColorSpace::Lookup() const { return Object().Get(3); }

GLOB_Stream CPDF_IndexedColorSpace::LookupStream() const {
    const GLOB_Object lookup = Lookup();
    if (lookup.IsString())
        return GLOB_Stream(GLIB_NEW GLOB_StringStream(lookup.AsString().AsStdString()));
    return lookup.OpenStream(2);
}

void CPDF_IndexedColorSpace::SetBaseColorSpace(const CPDF_ColorSpace& baseSpace) {
    GLIB_ASSERT(IsValidBaseColorSpace(baseSpace, nullptr));
    Object().ArrayPut(1, baseSpace.MakeObject());
    FreeColorTable();
}

CPDF_Color CPDF_IndexedColorSpace::Color(unsigned index) const {
    if (!m_table.IsOwner())
        BuildColorTable();
    // The table's own count, not hival: the array may have changed since.
    if (m_table.Count() == 0)
        return CPDF_Color(0u);
    return m_table.Get()[std::min(index, m_table.Count() - 1)];
}

void CPDF_IndexedColorSpace::BuildColorTable() const {
    // Only an array changed after validation holds more.
    const uint32_t n = std::min(NumSamples(), MaxNumSamples);
    const CPDF_ColorSpace base = BaseColorSpace();
    GLIB_ASSERT_CMP(base.Type(), !=, CPDF_ColorSpace::Null);
    const unsigned m = base.NumComponents();
    std::unique_ptr<CPDF_Color[]> table(GLIB_NEW CPDF_Color[n]);
    for (uint32_t i = 0; i < n; ++i)
        table[i].SetNumComponents(m);
    // A base of no components (a DeviceN of no names) has nothing to read.
    if (m > 0) {
        GLOB_Stream lookup = LookupStream();
        FILT_TupleBufferR tuples(m);
        CPDF_Color working(m);
        uint32_t filled = 0;
        while (filled < n) {
            tuples.Attach(lookup.Read());
            for (FILT_Size available; filled < n && (available = tuples.TuplesAvailable()) > 0;) {
                const FILT_Size take = std::min<FILT_Size>(available, n - filled);
                const uint8_t* bytes = tuples.GetPtr();
                for (FILT_Size t = 0; t < take; ++t, bytes += m) {
                    for (unsigned k = 0; k < m; ++k)
                        working.SetComponent(k, bytes[k] / 255.0);
                    table[filled++] = working;
                }
                tuples.Consume(take);
            }
            if (tuples.IsEndOfData())
                break;
        }
        lookup.Close();
    }
    CPDF_ColorTablePtr built(table.release(), n);
    m_table = built;
}

void CPDF_IndexedColorSpace::FreeColorTable() const { m_table.Reset(); }

bool CPDF_IndexedColorSpace::IsValidColorSpace(const GLOB_Object& object, std::string* messages) {
    iCPDF_ValidationMessage collector(messages);
    if (!CheckArrayHead(object, Family, 4, 4, collector))
        return false;
    CPDF_ColorSpace base;
    std::string text;
    if (!iCPDF_TryColorSpace(object.Get(1), &base, &text) || !IsValidBaseColorSpace(base, &text))
        collector.Stream() << "Indexed colorspace has invalid base colorspace: " << text;

    const GLOB_Object hival = object.Get(2);
    if (!hival.IsInteger()) {
        collector.Stream() << "Indexed colorspace maximum index should be an integer, found " << iCPDF_TypeOf(hival);
    } else if (hival.AsInteger() < 0) {
        collector.Stream() << "Indexed colorspace maximum index should be non-negative, found " << hival.AsInteger();
    } else if (!IsValidNumSamples(static_cast<unsigned>(hival.AsInteger()) + 1u, &text)) {
        collector.Stream() << text;
    }

    const GLOB_Object lookup = object.Get(3);
    if (!lookup.IsStream() && !lookup.IsString())
        collector.Stream() << "Indexed colorspace lookup table must either be a stream or a string, found "
                           << iCPDF_TypeOf(lookup);
    return collector.IsValid();
}

bool CPDF_IndexedColorSpace::IsValidBaseColorSpace(const CPDF_ColorSpace& baseSpace, std::string* messages) {
    iCPDF_ValidationMessage collector(messages);
    if (baseSpace.Type() == CPDF_ColorSpace::Indexed || baseSpace.Type() == CPDF_ColorSpace::Pattern)
        collector.Stream() << "Index colorspaces cannot have a base colorspace of type "
                           << iCPDF_NameText{baseSpace.FamilyName()};
    return collector.IsValid();
}

bool CPDF_IndexedColorSpace::IsValidNumSamples(unsigned numSamples, std::string* messages) {
    iCPDF_ValidationMessage collector(messages);
    if (numSamples == 0)
        collector.Stream() << "Indexed colorspaces must have at least one sample, not 0.";
    if (numSamples > MaxNumSamples)
        collector.Stream() << "Indexed colorspaces must have at most " << MaxNumSamples << " samples, not "
                           << numSamples;
    return collector.IsValid();
}
