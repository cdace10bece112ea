#include "CPDF/function/CPDF_StitchingFunction.h"

#include "CPDF/CPDF_Exception.h"
#include "CPDF/CPDF_Utils.h"
#include "CPDF/function/CPDF_ExpInterpFunction.h"
#include "CPDF/iCPDF_ValidationMessage.h"
#include "GLIB/GLIB_Assert.h"
#include "GLIB/GLIB_New.h"
#include "GLOB/GLOB_ObjectFactory.h"

#include <cmath>

namespace {

GLOB_Object InnerBoundsObject(const std::vector<double>& bounds, const GLOB_Doc& doc) {
    const uint32_t inner = bounds.size() > 2 ? static_cast<uint32_t>(bounds.size() - 2) : 0;
    const GLOB_Object array = doc.NewArray(inner, false);
    for (uint32_t i = 0; i < inner; ++i)
        array.ArrayPut(i, doc.NewReal(bounds[i + 1], false));
    return array;
}

// Reads "Bounds" into the full bounds vector; false when it is unusable.
bool ReadBounds(const GLOB_Object& object, double d0, double d1, bool domainUsable, std::vector<double>& bounds,
                iCPDF_ValidationMessage& collector) {
    GLOB_Object value;
    if (!object.Known(GLOB_Name("Bounds"), &value)) {
        collector.Stream() << "Stitching function is missing Bounds entry";
        return false;
    }
    std::string numbers;
    if (!CPDF_Utils::IsValidNumberArray(value, -1, &numbers)) {
        collector.Stream() << "Stitching function has invalid Bounds entry: " << numbers;
        return false;
    }
    const uint32_t b = value.Length();
    bounds.assign(1, d0);
    for (uint32_t i = 0; i < b; ++i)
        bounds.push_back(value.Get(i).AsNumber());
    bounds.push_back(d1);
    if (!domainUsable)
        return true;
    for (size_t e = 1; e < bounds.size(); ++e) {
        if (bounds[e] < bounds[e - 1]) {
            collector.Stream() << "Stitching function has invalid Bounds array: "
                               << "The bounds array must be an increasing set of numbers, found entries: "
                               << bounds[e - 1] << " " << bounds[e];
            return false;
        }
    }
    return true;
}

}  // namespace

CPDF_StitchingFunction::Core::Core(const std::vector<CPDF_Function>& functions, const std::vector<double>& bounds,
                                   const CPDF_DecodeArray& encode)
    : m_functions(functions), m_bounds(bounds), m_encode(encode) {
    m_domain.Set(0, bounds.front(), bounds.back());
}

void CPDF_StitchingFunction::Core::MakeObject(GLOB_Object& out, const GLOB_Doc& doc) const {
    const GLOB_Object dict = doc.NewDict(8, true);
    dict.DictPut(GLOB_Name("FunctionType"), doc.NewInteger(CPDF_FunctionTypeStitching, false));
    dict.DictPut(GLOB_Name("Domain"), m_domain.MakeObject(&doc));
    dict.DictPut(GLOB_Name("Encode"), m_encode.MakeObject(&doc));
    dict.DictPut(GLOB_Name("Bounds"), InnerBoundsObject(m_bounds, doc));
    const GLOB_Object functions = doc.NewArray(static_cast<uint32_t>(m_functions.size()), false);
    for (uint32_t i = 0; i < m_functions.size(); ++i)
        functions.ArrayPut(i, m_functions[i].Object());
    dict.DictPut(GLOB_Name("Functions"), functions);
    if (m_hasRange)
        dict.DictPut(GLOB_Name("Range"), m_range.MakeObject(&doc));
    out = dict;
}

CPDF_StitchingFunction::CPDF_StitchingFunction()
    : m_core(GLIB_NEW Core({CPDF_Function(CPDF_ExpInterpFunction())}, {0.0, 1.0}, CPDF_DecodeArray(0u))) {
    GLOB_Object object;
    m_core->MakeObject(object, GLOB_ObjectFactory::MemoryDoc());
    SetObject(object);
}

CPDF_StitchingFunction::CPDF_StitchingFunction(const GLOB_Object& object) : m_core(GLIB_NEW Core) {
    Core& core = *m_core;
    GLOB_Object functions;
    // Before Bounds and Encode, which are as long: a count that cannot pass
    // costs no reading.
    if (object.Known(GLOB_Name("Functions"), &functions) && functions.IsArray())
        CPDF_Function::CheckRoomFor(functions.Length());
    std::string messages;
    if (!ParseCommon(object, CPDF_FunctionTypeStitching, GLOB_Object::KindDict, true, &core.m_domain, &core.m_range,
                     &messages))
        CPDF_THROW_INVALID(CPDF_InvalidFunctionCode, messages);
    iCPDF_ValidationMessage collector(&messages);

    const unsigned numDomain = core.m_domain.NumIntervals();
    // Without an interval the outer bounds have no source: they are 0 and
    // take no part in the order check.
    bool domainUsable = numDomain > 0;
    double d0 = 0;
    double d1 = 0;
    if (numDomain != 1)
        collector.Stream() << "Stitching function must have a Domain of dimension 1, found :" << numDomain;
    if (numDomain > 0)
        core.m_domain.Get(0, d0, d1);
    if (numDomain == 1 && d0 > d1) {
        collector.Stream() << "The domain paramters must be increasing, found " << d0 << " " << d1;
        domainUsable = false;
    }

    const bool boundsUsable = ReadBounds(object, d0, d1, domainUsable, core.m_bounds, collector);

    bool encodeUsable = true;
    GLOB_Object value;
    if (!object.Known(GLOB_Name("Encode"), &value)) {
        collector.Stream() << "Stitching function is missing Encode entry.";
        encodeUsable = false;
    } else {
        try {
            core.m_encode = CPDF_DecodeArray(value);
        } catch (const CPDF_Exception& e) {
            core.m_encode = CPDF_DecodeArray(0u);
            collector.Stream() << "Stitching function has invalid Encode entry: " << e.What();
            encodeUsable = false;
        }
    }

    uint32_t k = 0;
    unsigned common = 0;
    if (!object.Known(GLOB_Name("Functions"), &value)) {
        collector.Stream() << "Stitching function is missing Functions entry.";
    } else if (!value.IsArray()) {
        collector.Stream() << "Stitching function Functions entry should be an array, found: "
                           << GLOB_Object::TypeString(value.Type());
    } else if (value.Length() == 0) {
        collector.Stream() << "Stitching function 'Functions' entry has length 0.";
    } else {
        k = value.Length();
        core.m_functions.resize(k);
        bool anyRead = false;
        for (uint32_t i = 0; i < k; ++i) {
            try {
                core.m_functions[i] = CPDF_Function(value.Get(i));
            } catch (const CPDF_FunctionNestingException&) {
                throw;
            } catch (const CPDF_Exception& e) {
                collector.Stream() << "Stitching function subfunction " << i << " is invalid: " << e.What();
                continue;
            }
            // Each point hands its sub-function one input.
            const unsigned inputs = core.m_functions[i].DomainDimension();
            if (inputs != 1)
                collector.Stream() << "Stitching function subfunction " << i
                                   << " must have a Domain of dimension 1, found: " << inputs;
            const unsigned outputs = core.m_functions[i].RangeDimension();
            if (anyRead && outputs != common)
                collector.Stream() << "Stitching function has subfuctions with disagreeing Range dimensions: "
                                   << common << " " << outputs;
            common = outputs;
            anyRead = true;
        }
    }

    if (k >= 1 && boundsUsable && encodeUsable) {
        if (core.m_encode.Dimension() != k)
            collector.Stream() << "Stitching function 'Functions' and 'Encode' lengths must agree, found: " << k
                               << ", " << core.m_encode.Dimension();
        if (core.m_bounds.size() != k + size_t(1))
            collector.Stream() << "Stitching function with " << k << " sub-functions must have a 'Bounds' entry of length "
                               << k - 1 << ", found: " << core.m_bounds.size() - 2;
    }
    const bool hasRange = object.Known(GLOB_Name("Range"));
    if (common > 0 && hasRange && core.m_range.NumIntervals() != common)
        collector.Stream() << "Stitching function 'Range' dimension " << core.m_range.NumIntervals()
                           << " doesn't agree with subfuction Range" << common;

    if (!collector.IsValid()) {
        collector.Flush();
        CPDF_THROW_INVALID(CPDF_InvalidFunctionCode, messages);
    }
    core.m_hasRange = hasRange;
    SetObject(object);
}

GLOB_Name CPDF_StitchingFunction::TypeName() const { return GLOB_Name("Stitching"); }

std::ostream& CPDF_StitchingFunction::Print(std::ostream& os) const {
    const Core& core = *m_core;
    TypeName().Print(os);
    os << " Function\n";
    os << "Domain:       " << Domain() << "\n";
    if (core.m_hasRange)
        os << "Range:        " << Range() << "\n";
    const int m = NumIntervals();
    os << "Subintervals: " << m << "\n";
    for (int i = 0; i < m; ++i) {
        os << "Subfunction " << i << " on subinterval [ " << core.m_bounds[i] << " " << core.m_bounds[i + 1]
           << " ] with encoding [ ";
        // A function made without arguments has no Encode yet.
        if (static_cast<unsigned>(i) < core.m_encode.Dimension()) {
            double e0, e1;
            core.m_encode.Get(i, e0, e1);
            os << e0 << " " << e1;
        }
        os << "]\n";
        core.m_functions[i].Print(os);
    }
    return os;
}

CPDF_IntervalSet CPDF_StitchingFunction::Range() const {
    const Core& core = *m_core;
    if (core.m_hasRange)
        return core.m_range;
    GLIB_ASSERT(!core.m_functions.empty());
    CPDF_IntervalSet range = core.m_functions[0].Range();
    for (size_t i = 1; i < core.m_functions.size(); ++i)
        range.Union(core.m_functions[i].Range());
    return range;
}

unsigned CPDF_StitchingFunction::RangeDimension() const {
    const Core& core = *m_core;
    if (core.m_hasRange)
        return core.m_range.NumIntervals();
    GLIB_ASSERT(!core.m_functions.empty());
    return core.m_functions[0].RangeDimension();
}

void CPDF_StitchingFunction::SetDomain(const CPDF_IntervalSet& domain) {
    GLIB_ASSERT_CMP(domain.NumIntervals(), ==, DomainDimension());
    double x0, x1;
    domain.Get(0, x0, x1);
    std::vector<double>& bounds = m_core->m_bounds;
    if (bounds.size() > 2) {
        GLIB_ASSERT_CMP(x0, <=, bounds[1]);
        GLIB_ASSERT_CMP(x1, >=, bounds[bounds.size() - 2]);
    } else {
        GLIB_ASSERT_CMP(x0, <=, x1);
    }
    CPDF_FunctionCore::SetDomain(domain);
    bounds.front() = x0;
    bounds.back() = x1;
}

void CPDF_StitchingFunction::SetRange(const CPDF_IntervalSet& range) {
    CPDF_FunctionCore::SetRange(range);
    m_core->m_hasRange = true;
}

CPDF_Function CPDF_StitchingFunction::Function(unsigned i) const {
    GLIB_ASSERT_CMP(i, <, m_core->m_functions.size());
    return m_core->m_functions[i];
}

void CPDF_StitchingFunction::SetBounds(const std::vector<double>& bounds) {
    GLIB_ASSERT_CMP(bounds.size(), ==, NumIntervals() + size_t(1));
    for (size_t i = 1; i < bounds.size(); ++i) {
        const double iStart = bounds[i - 1];
        const double iEnd = bounds[i];
        GLIB_ASSERT_CMP(iStart, <=, iEnd);
    }
    m_core->m_bounds = bounds;
    CPDF_IntervalSet domain = Domain();
    domain.Set(0, bounds.front(), bounds.back());
    CPDF_FunctionCore::SetDomain(domain);
    Object().DictPut(GLOB_Name("Bounds"), InnerBoundsObject(bounds, Object().Doc()));
}

void CPDF_StitchingFunction::SetEncode(const CPDF_DecodeArray& encode) {
    GLIB_ASSERT_CMP(encode.Dimension(), ==, static_cast<unsigned>(NumIntervals()));
    m_core->m_encode = encode;
    const GLOB_Doc doc = Object().Doc();
    Object().DictPut(GLOB_Name("Encode"), encode.MakeObject(&doc));
}

void CPDF_StitchingFunction::SetFunction(const CPDF_Function& function, unsigned i) {
    GLIB_ASSERT_CMP(function.RangeDimension(), ==, RangeDimension());
    GLIB_ASSERT_CMP(i, <, m_core->m_functions.size());
    m_core->m_functions[i] = function;
    Object().GetPath("Functions").ArrayPut(i, function.Object());
}

void CPDF_StitchingFunction::RemoveRange() {
    m_core->m_hasRange = false;
    Object().RemovePath("Range");
}

bool CPDF_StitchingFunction::operator==(const CPDF_StitchingFunction& other) const {
    const Core& a = *m_core;
    const Core& b = *other.m_core;
    if (NumIntervals() != other.NumIntervals() || a.m_functions.size() != b.m_functions.size())
        return false;
    for (size_t i = 0; i < a.m_functions.size(); ++i) {
        if (a.m_functions[i] != b.m_functions[i])
            return false;
    }
    if (a.m_bounds.size() != b.m_bounds.size())
        return false;
    for (size_t i = 0; i < a.m_bounds.size(); ++i) {
        if (!(std::fabs(a.m_bounds[i] - b.m_bounds[i]) <= 1e-6))
            return false;
    }
    return a.m_encode == b.m_encode && Domain() == other.Domain() && Range() == other.Range();
}

void CPDF_StitchingFunction::EvaluateUnclipped(double* in, double* out, unsigned count) {
    const Core& core = *m_core;
    const size_t n = RangeDimension();
    const std::vector<double>& bounds = core.m_bounds;
    const size_t m = bounds.size() - 1;
    for (size_t p = 0; p < count; ++p) {
        double& x = in[p];
        size_t i = m - 1;
        for (size_t j = 0; j < m; ++j) {
            if (x < bounds[j + 1]) {
                i = j;
                break;
            }
        }
        double e0, e1;
        core.m_encode.Get(static_cast<unsigned>(i), e0, e1);
        if (bounds[i + 1] == bounds[i])
            x = e0;
        else
            CPDF_Utils::LinearRemap(&x, bounds[i], bounds[i + 1], e0, e1, 1, 1);
        core.m_functions[i].Evaluate(&x, out + p * n, 1);
    }
}
