#include "CPDF/function/CPDF_ExpInterpFunction.h"

#include "CPDF/CPDF_Exception.h"
#include "CPDF/CPDF_Utils.h"
#include "CPDF/iCPDF_ValidationMessage.h"
#include "GLIB/GLIB_Assert.h"
#include "GLIB/GLIB_New.h"
#include "GLOB/GLOB_ObjectFactory.h"

#include <algorithm>
#include <cmath>

namespace {

const CPDF_Color& DefaultC0() {
    static const CPDF_Color c0(std::vector<double>{0.0});
    return c0;
}

const CPDF_Color& DefaultC1() {
    static const CPDF_Color c1(std::vector<double>{1.0});
    return c1;
}

std::vector<double> ValuesOf(const CPDF_Color& color) {
    return std::vector<double>(color.Components(), color.Components() + color.NumComponents());
}

// An optional colour entry; false when present but not a numeric array.
bool ReadColorEntry(const GLOB_Object& object, const char* key, const CPDF_Color& defaultColor,
                    std::vector<double>& out, iCPDF_ValidationMessage& collector) {
    GLOB_Object value;
    if (!object.Known(GLOB_Name(key), &value)) {
        out = ValuesOf(defaultColor);
        return true;
    }
    std::string numbers;
    if (!CPDF_Utils::IsValidNumberArray(value, -1, &numbers)) {
        collector.Stream() << "ExpInterp Function '" << key << "' entry must be a numeric array: " << numbers;
        return false;
    }
    out = ValuesOf(CPDF_Color(value));
    return true;
}

}  // namespace

CPDF_ExpInterpFunction::Core::Core(const CPDF_Color& c0, const CPDF_Color& c1, double n,
                                   const CPDF_IntervalSet& domain)
    : m_c0(ValuesOf(c0)), m_c1(ValuesOf(c1)), m_n(n) {
    m_domain = domain;
}

void CPDF_ExpInterpFunction::Core::SetC0(const CPDF_Color& c0) { m_c0 = ValuesOf(c0); }

void CPDF_ExpInterpFunction::Core::SetC1(const CPDF_Color& c1) { m_c1 = ValuesOf(c1); }

void CPDF_ExpInterpFunction::Core::MakeObject(GLOB_Object& out, const GLOB_Doc& doc) const {
    const GLOB_Object dict = doc.NewDict(4, true);
    dict.DictPut(GLOB_Name("FunctionType"), doc.NewInteger(CPDF_FunctionTypeExpInterp, false));
    const CPDF_Color c0(m_c0);
    if (c0 != DefaultC0())
        dict.DictPut(GLOB_Name("C0"), c0.MakeObject(&doc));
    const CPDF_Color c1(m_c1);
    if (c1 != DefaultC1())
        dict.DictPut(GLOB_Name("C1"), c1.MakeObject(&doc));
    dict.DictPut(GLOB_Name("N"), doc.NewReal(m_n, false));
    dict.DictPut(GLOB_Name("Domain"), m_domain.MakeObject(&doc));
    if (m_hasRange)
        dict.DictPut(GLOB_Name("Range"), m_range.MakeObject(&doc));
    out = dict;
}

CPDF_ExpInterpFunction::CPDF_ExpInterpFunction()
    : m_core(GLIB_NEW Core(DefaultC0(), DefaultC1(), 1.0, CPDF_IntervalSet())) {
    GLOB_Object object;
    m_core->MakeObject(object, GLOB_ObjectFactory::MemoryDoc());
    SetObject(object);
}

CPDF_ExpInterpFunction::CPDF_ExpInterpFunction(const GLOB_Doc& doc, const CPDF_Color& c0, const CPDF_Color& c1,
                                               double n, const CPDF_IntervalSet& domain) {
    GLIB_ASSERT_CMP(c0.NumComponents(), ==, c1.NumComponents());
    GLIB_ASSERT_CMP(domain.NumIntervals(), ==, 1u);
    m_core = GLIB_NEW Core(c0, c1, n, domain);
    GLOB_Object object;
    m_core->MakeObject(object, doc);
    SetObject(object);
}

CPDF_ExpInterpFunction::CPDF_ExpInterpFunction(const GLOB_Object& object) : m_core(GLIB_NEW Core) {
    std::string messages;
    if (!ParseCommon(object, CPDF_FunctionTypeExpInterp, GLOB_Object::KindDict, true, &m_core->m_domain,
                     &m_core->m_range, &messages))
        CPDF_THROW_INVALID(CPDF_InvalidFunctionCode, messages);
    iCPDF_ValidationMessage collector(&messages);
    // Evaluation reads one input per point: another Domain would read past
    // the caller's inputs or mix up the points.
    if (m_core->m_domain.NumIntervals() != 1)
        collector.Stream() << "ExpInterp Function must have a Domain of dimension 1, found: "
                           << m_core->m_domain.NumIntervals();
    GLOB_Object value;
    if (!object.Known(GLOB_Name("N"), &value))
        collector.Stream() << "ExpInterp Function is missing 'N' (gamma) entry";
    else if (!value.IsNumber())
        collector.Stream() << "ExpInterp Function 'N' entry must be numeric, found "
                           << GLOB_Object::TypeString(value.Type());
    else
        m_core->m_n = value.AsNumber();
    const bool c0Usable = ReadColorEntry(object, "C0", DefaultC0(), m_core->m_c0, collector);
    const bool c1Usable = ReadColorEntry(object, "C1", DefaultC1(), m_core->m_c1, collector);
    const size_t n0 = m_core->m_c0.size();
    const size_t n1 = m_core->m_c1.size();
    if (c0Usable && c1Usable && n0 != n1)
        collector.Stream() << "ExpInterp Function 'C0' and 'C1' dimensions must agree.  Found: " << n0 << " and "
                           << n1;
    const bool hasRange = object.Known(GLOB_Name("Range"));
    if (hasRange) {
        const unsigned r = m_core->m_range.NumIntervals();
        if (c0Usable && n0 != r)
            collector.Stream() << "ExpInterp Function 'C0' size must agree with range dimension (" << r
                               << "), found: " << n0;
        else if (c1Usable && n1 != r)
            collector.Stream() << "ExpInterp Function 'C1' size must agree with range dimension (" << r
                               << "), found: " << n1;
    }
    if (!collector.IsValid()) {
        collector.Flush();
        CPDF_THROW_INVALID(CPDF_InvalidFunctionCode, messages);
    }
    m_core->m_hasRange = hasRange;
    SetObject(object);
}

GLOB_Name CPDF_ExpInterpFunction::TypeName() const { return GLOB_Name("ExpInterp"); }

std::ostream& CPDF_ExpInterpFunction::Print(std::ostream& os) const {
    TypeName().Print(os);
    os << " Function\n";
    os << "C0:     ";
    C0().Print(os) << "\n";
    os << "C1:     ";
    C1().Print(os) << "\n";
    os << "N:      " << m_core->m_n << "\n";
    os << "Domain: " << Domain() << "\n";
    if (m_core->m_hasRange)
        os << "Range:  " << Range() << "\n";
    return os;
}

CPDF_IntervalSet CPDF_ExpInterpFunction::Range() const {
    if (m_core->m_hasRange)
        return m_core->m_range;
    const std::vector<double>& c0 = m_core->m_c0;
    const std::vector<double>& c1 = m_core->m_c1;
    CPDF_IntervalSet range(static_cast<unsigned>(c0.size()));
    for (unsigned j = 0; j < c0.size(); ++j)
        range.Set(j, std::min(c0[j], c1[j]), std::max(c0[j], c1[j]));
    return range;
}

unsigned CPDF_ExpInterpFunction::RangeDimension() const {
    return m_core->m_hasRange ? m_core->m_range.NumIntervals() : static_cast<unsigned>(m_core->m_c0.size());
}

void CPDF_ExpInterpFunction::SetRange(const CPDF_IntervalSet& range) {
    CPDF_FunctionCore::SetRange(range);
    m_core->m_hasRange = true;
}

void CPDF_ExpInterpFunction::WriteColor(const char* key, const std::vector<double>& values,
                                        const CPDF_Color& omitted) {
    const CPDF_Color color(values);
    if (color == omitted) {
        Object().RemovePath(key);
        return;
    }
    const GLOB_Doc doc = Object().Doc();
    Object().DictPut(GLOB_Name(key), color.MakeObject(&doc));
}

void CPDF_ExpInterpFunction::SetC0(const CPDF_Color& c0) {
    GLIB_ASSERT_CMP(c0.NumComponents(), ==, RangeDimension());
    m_core->SetC0(c0);
    WriteColor("C0", m_core->m_c0, DefaultC0());
}

void CPDF_ExpInterpFunction::SetC1(const CPDF_Color& c1) {
    GLIB_ASSERT_CMP(c1.NumComponents(), ==, RangeDimension());
    m_core->SetC1(c1);
    WriteColor("C1", m_core->m_c1, DefaultC1());
}

void CPDF_ExpInterpFunction::SetC0C1(const CPDF_Color& c0, const CPDF_Color& c1) {
    GLIB_ASSERT_CMP(c0.NumComponents(), ==, c1.NumComponents());
    if (HasRange())
        GLIB_ASSERT_CMP(c0.NumComponents(), ==, RangeDimension());
    m_core->SetC0(c0);
    m_core->SetC1(c1);
    const GLOB_Doc doc = Object().Doc();
    Object().DictPut(GLOB_Name("C0"), c0.MakeObject(&doc));
    Object().DictPut(GLOB_Name("C1"), c1.MakeObject(&doc));
}

void CPDF_ExpInterpFunction::SetN(double n) {
    m_core->m_n = n;
    Object().DictPut(GLOB_Name("N"), Object().Doc().NewReal(n, false));
}

void CPDF_ExpInterpFunction::RemoveRange() {
    m_core->m_hasRange = false;
    Object().RemovePath("Range");
}

bool CPDF_ExpInterpFunction::operator==(const CPDF_ExpInterpFunction& other) const {
    return C0() == other.C0() && C1() == other.C1() && std::fabs(N() - other.N()) <= 1e-6 &&
           Domain() == other.Domain() && Range() == other.Range();
}

void CPDF_ExpInterpFunction::EvaluateUnclipped(double* in, double* out, unsigned count) {
    const size_t n = RangeDimension();
    const std::vector<double>& c0 = m_core->m_c0;
    const std::vector<double>& c1 = m_core->m_c1;
    const double exponent = m_core->m_n;
    if (exponent == 1.0) {
        for (size_t j = 0; j < n; ++j) {
            const double d = c1[j] - c0[j];
            for (size_t p = 0; p < count; ++p)
                out[p * n + j] = in[p] * d + c0[j];
        }
        return;
    }
    for (size_t p = 0; p < count; ++p) {
        const double v = std::pow(in[p], exponent);
        for (size_t j = 0; j < n; ++j)
            out[p * n + j] = v;
    }
    for (size_t j = 0; j < n; ++j) {
        const double d = c1[j] - c0[j];
        for (size_t p = 0; p < count; ++p)
            out[p * n + j] = out[p * n + j] * d + c0[j];
    }
}
