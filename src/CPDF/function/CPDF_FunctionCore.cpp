#include "CPDF/function/CPDF_FunctionCore.h"

#include "CPDF/CPDF_Exception.h"
#include "CPDF/iCPDF_ValidationMessage.h"
#include "GLIB/GLIB_Assert.h"
#include "GLOB/GLOB_Impl.h"

CPDF_FunctionCore::CPDF_FunctionCore() = default;

CPDF_FunctionCore::~CPDF_FunctionCore() = default;

bool CPDF_FunctionCore::HasRange() const { return true; }

CPDF_IntervalSet CPDF_FunctionCore::Range() const { return SubCore().m_range; }

unsigned CPDF_FunctionCore::RangeDimension() const { return Range().NumIntervals(); }

void CPDF_FunctionCore::SetDomain(const CPDF_IntervalSet& domain) {
    GLIB_ASSERT_CMP(domain.NumIntervals(), ==, DomainDimension());
    SubCore().m_domain = domain;
    GLOB_Doc doc = m_object.Doc();
    m_object.DictPut(GLOB_Name("Domain"), domain.MakeObject(&doc));
}

void CPDF_FunctionCore::SetRange(const CPDF_IntervalSet& range) {
    GLIB_ASSERT_CMP(range.NumIntervals(), ==, RangeDimension());
    SubCore().m_range = range;
    GLOB_Doc doc = m_object.Doc();
    m_object.DictPut(GLOB_Name("Range"), range.MakeObject(&doc));
}

int CPDF_FunctionCore::FunctionType() const { return m_object.DictGet(GLOB_Name("FunctionType")).AsInteger(); }

CPDF_IntervalSet CPDF_FunctionCore::Domain() const { return SubCore().m_domain; }

unsigned CPDF_FunctionCore::DomainDimension() const { return SubCore().m_domain.NumIntervals(); }

void CPDF_FunctionCore::Evaluate(double* in, double* out, unsigned count) {
    SubCore().m_domain.Clip(in, count);
    EvaluateUnclipped(in, out, count);
    if (HasRange())
        Range().Clip(out, count);
}

bool CPDF_FunctionCore::operator==(const CPDF_FunctionCore& other) const {
    GLOB_Impl* impl = m_object.GetImpl();
    return impl == other.m_object.GetImpl() && impl->IsEqual(m_object, other.m_object);
}

namespace {

// Reads one interval set entry into *out; a set that does not read becomes
// the message prefix + its text.
void ParseIntervals(const GLOB_Object& value, const char* prefix, CPDF_IntervalSet* out,
                    iCPDF_ValidationMessage& collector) {
    try {
        *out = CPDF_IntervalSet(value);
    } catch (const CPDF_Exception& e) {
        collector.Stream() << prefix << e.What();
    }
}

}  // namespace

bool CPDF_FunctionCore::ParseCommon(const GLOB_Object& object, int functionType, int objectType, bool rangeOptional,
                                    CPDF_IntervalSet* domain, CPDF_IntervalSet* range, std::string* messages) {
    iCPDF_ValidationMessage collector(messages);
    const int32_t type = object.Type();
    if (type != objectType) {
        std::ostream& os = collector.Stream();
        if (objectType == GLOB_Object::KindDict)
            os << "Expected type Dictionary, found ";
        else if (objectType == GLOB_Object::KindStream)
            os << "Expected type Stream, found ";
        else
            os << "Function has invalid object type (must be Stream or Dict): ";
        os << GLOB_Object::TypeString(type);
        return false;
    }
    GLOB_Object value;
    if (!object.Known(GLOB_Name("FunctionType"), &value))
        collector.Stream() << "Function missing FunctionType entry";
    else if (!value.IsInteger())
        collector.Stream() << "FunctionType must be an Integer, found: " << GLOB_Object::TypeString(value.Type());
    else if (value.AsInteger() != functionType)
        collector.Stream() << "Expected FunctionType entry to be " << functionType << ", found: " << value.AsInteger();

    if (!object.Known(GLOB_Name("Domain"), &value))
        collector.Stream() << "Function missing domain entry";
    else
        ParseIntervals(value, "Domain is invalid: ", domain, collector);

    if (object.Known(GLOB_Name("Range"), &value))
        ParseIntervals(value, "Range is invalid: ", range, collector);
    else if (!rangeOptional)
        collector.Stream() << "Function is missing Range entry";
    return collector.IsValid();
}
