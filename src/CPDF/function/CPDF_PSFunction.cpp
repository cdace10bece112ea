#include "CPDF/function/CPDF_PSFunction.h"

#include "CPDF/CPDF_Exception.h"
#include "GLIB/GLIB_Assert.h"
#include "GLIB/GLIB_New.h"
#include "GLOB/GLOB_ObjectFactory.h"
#include "GLOB/GLOB_StringStream.h"

#include <algorithm>

GLOB_Object CPDF_PSFunction::Core::MakeStream(const GLOB_Doc& doc, const GLOB_Stream& program,
                                              const CPDF_IntervalSet& domain, const CPDF_IntervalSet& range) {
    const GLOB_Object stream = doc.NewStream(program, 1, doc.NewDict(3), doc.NewNull(), -1);
    LoadProgram(stream.OpenStream(2));
    m_domain = domain;
    m_range = range;
    stream.DictPut(GLOB_Name("Range"), range.MakeObject(&doc));
    stream.DictPut(GLOB_Name("Domain"), domain.MakeObject(&doc));
    stream.DictPut(GLOB_Name("FunctionType"), doc.NewInteger(CPDF_FunctionTypePostScript));
    return stream;
}

void CPDF_PSFunction::Core::LoadProgram(GLOB_Stream program) {
    m_calculator.Load(program);
    program.Close();
    if (m_calculator.HasError())
        GLIB_THROW(CPDF_Exception, CPDF_InvalidFunctionCode,
                   "Error parsing PS function: " << m_calculator.ErrorMessage());
}

CPDF_PSFunction::CPDF_PSFunction()
    : CPDF_PSFunction(GLOB_ObjectFactory::MemoryDoc(), "{ }", CPDF_IntervalSet(), CPDF_IntervalSet()) {}

CPDF_PSFunction::CPDF_PSFunction(const GLOB_Doc& doc, const GLOB_Stream& program, const CPDF_IntervalSet& domain,
                                 const CPDF_IntervalSet& range)
    : m_core(GLIB_NEW Core) {
    SetObject(m_core->MakeStream(doc, program, domain, range));
}

CPDF_PSFunction::CPDF_PSFunction(const GLOB_Doc& doc, const char* program, const CPDF_IntervalSet& domain,
                                 const CPDF_IntervalSet& range)
    : CPDF_PSFunction(doc, GLOB_Stream(GLIB_NEW GLOB_StringStream(program)), domain, range) {}

CPDF_PSFunction::CPDF_PSFunction(const GLOB_Object& object) : m_core(GLIB_NEW Core) {
    std::string messages;
    if (!ParseCommon(object, CPDF_FunctionTypePostScript, GLOB_Object::KindStream, true, &m_core->m_domain,
                     &m_core->m_range, &messages))
        CPDF_THROW_INVALID(CPDF_InvalidFunctionCode, messages);
    SetObject(object);
    m_core->LoadProgram(object.OpenStream(2));
}

GLOB_Name CPDF_PSFunction::TypeName() const { return GLOB_Name("PostScript"); }

std::ostream& CPDF_PSFunction::Print(std::ostream& os) const {
    TypeName().Print(os);
    os << " Function\n";
    os << "Domain: " << Domain() << "\n";
    os << "Range: " << Range() << "\n";
    return os;
}

bool CPDF_PSFunction::IsEqual(const CPDF_PSFunction& other) const {
    return m_core->m_calculator.IsEqual(other.m_core->m_calculator) && Domain() == other.Domain() &&
           Range() == other.Range();
}

void CPDF_PSFunction::EvaluateUnclipped(double* in, double* out, unsigned count) {
    const unsigned m = DomainDimension();
    const unsigned n = RangeDimension();
    CPDF_PSCalculatorStack& stack = m_core->m_stack;
    for (unsigned p = 0; p < count; ++p, in += m, out += n) {
        stack.Clear();
        for (unsigned j = 0; j < m; ++j)
            stack.Push(CPDF_PSCalculator::Code::Real(in[j]));
        m_core->m_calculator.Execute(stack);
        const unsigned s = static_cast<unsigned>(stack.Size());
        const unsigned k = std::min(n, s);
        for (unsigned j = 0; j < k; ++j) {
            const CPDF_PSCalculator::Code& entry = stack.Get(static_cast<int32_t>(k - 1 - j));
            if (!entry.IsNumber())
                GLIB_THROW(CPDF_Exception, CPDF_PSTypeCheckCode, "Expected numeric value on stack");
            out[j] = entry.Number();
        }
        if (k < n)
            GLIB_THROW(CPDF_Exception, CPDF_PSStackUnderflowCode,
                       "Insufficient number of return values from PSCalcualator function.  Expected "
                           << n << ", found " << s);
    }
}
