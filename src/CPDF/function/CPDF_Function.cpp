#include "CPDF/function/CPDF_Function.h"

#include "CPDF/function/CPDF_ExpInterpFunction.h"
#include "CPDF/function/CPDF_PSFunction.h"
#include "CPDF/function/CPDF_SampledFunction.h"
#include "CPDF/function/CPDF_StitchingFunction.h"
#include "GLIB/GLIB_Assert.h"
#include "GLIB/GLIB_Log.h"
#include "GLIB/GLIB_MessageStream.h"
#include "GLIB/GLIB_New.h"
#include "GLOB/GLOB_DepthGuard.h"
#include "GLOB/GLOB_IndirectObjectMap.h"

#include <algorithm>

namespace {

// One level per factory call in progress; the count of functions made runs
// from the outermost call until it returns, as does the deepest level met.
GLOB_DepthGuard* s_innermost = nullptr;
int s_made = 0;
int s_deepest = 0;

[[noreturn]] void Refuse(bool tooDeep) {
    GLIB_MessageStream ms;
    if (tooDeep)
        ms << "Functions nested more than " << CPDF_Function::MaxNesting << " deep";
    else
        ms << "More than " << CPDF_Function::MaxFunctionsPerRead << " functions in one function";
    throw CPDF_FunctionNestingException(ms.str(), __FILE__, __LINE__);
}

void CheckNesting(const GLOB_DepthGuard& level) {
    if (level.Level() == 1)
        s_made = 0;
    ++s_made;
    if (!level.IsAdmitted())
        Refuse(/*tooDeep=*/true);
    if (s_made > CPDF_Function::MaxFunctionsPerRead)
        Refuse(/*tooDeep=*/false);
}

// An indirect function read once in this read, handed to every other place
// that names it. Its height and count let such a place pass the limits
// exactly as a read of its own would.
struct SharedRead {
    CPDF_Function function;
    int height;  // levels its read spanned, itself included
    int count;   // functions its read made, itself included
};
GLOB_IndirectObjectMap<SharedRead>* s_shared = nullptr;

// The outermost call owns the table of shared reads.
class SharedReads {
public:
    explicit SharedReads(const GLOB_DepthGuard& level) : m_own(level.Level() == 1) {
        if (m_own) {
            s_shared = &m_table;
            s_deepest = 0;
        }
    }
    ~SharedReads() {
        if (m_own)
            s_shared = nullptr;
    }
    SharedReads(const SharedReads&) = delete;
    SharedReads& operator=(const SharedReads&) = delete;

private:
    bool m_own;
    GLOB_IndirectObjectMap<SharedRead> m_table;
};

// Takes over shared at level: the limits as if its read ran here.
void Reuse(const GLOB_DepthGuard& level, const SharedRead& shared) {
    const int deepest = level.Level() + shared.height - 1;
    s_made += shared.count - 1;
    if (deepest > CPDF_Function::MaxNesting)
        Refuse(/*tooDeep=*/true);
    if (s_made > CPDF_Function::MaxFunctionsPerRead)
        Refuse(/*tooDeep=*/false);
    s_deepest = std::max(s_deepest, deepest);
}

template <class Kind>
const Kind& KindOf(const CPDF_FunctionCore& core) {
    const Kind* kind = dynamic_cast<const Kind*>(&core);
    GLIB_ASSERT(kind != nullptr);
    return *kind;
}

}  // namespace

CPDF_Function::CPDF_Function(const GLOB_Object& object) {
    const GLOB_DepthGuard level(s_innermost, MaxNesting);
    CheckNesting(level);
    const SharedReads reads(level);
    if (const SharedRead* shared = s_shared->Find(object)) {
        Reuse(level, *shared);
        m_core = shared->function.m_core;
        return;
    }
    const int made = s_made;
    const int outerDeepest = std::max(s_deepest, level.Level());
    s_deepest = level.Level();
    const int32_t kind = object.Type();
    if (kind != GLOB_Object::KindStream && kind != GLOB_Object::KindDict)
        GLIB_THROW(CPDF_Exception, CPDF_InvalidFunctionCode,
                   "A Function must be a Stream or Dictionary, found: " << GLOB_Object::TypeString(kind));
    GLOB_Object typeObject;
    if (!object.Known(GLOB_Name("FunctionType"), &typeObject))
        GLIB_THROW(CPDF_Exception, CPDF_InvalidFunctionCode, "Function missing FunctionType entry");
    if (!typeObject.IsInteger())
        GLIB_THROW(CPDF_Exception, CPDF_InvalidFunctionCode,
                   "FunctionType must be an Integer, found: " << GLOB_Object::TypeString(typeObject.Type()));
    const int32_t type = typeObject.AsInteger();
    switch (type) {
    case CPDF_FunctionTypeSampled:
        m_core = GLIB_NEW CPDF_SampledFunction(object);
        break;
    case CPDF_FunctionTypeExpInterp:
        m_core = GLIB_NEW CPDF_ExpInterpFunction(object);
        break;
    case CPDF_FunctionTypeStitching:
        m_core = GLIB_NEW CPDF_StitchingFunction(object);
        break;
    case CPDF_FunctionTypePostScript:
        if (kind != GLOB_Object::KindStream)
            GLIB_LOG(GLIB_LogInfo, "Setting from non stream");
        m_core = GLIB_NEW CPDF_PSFunction(object);
        break;
    default:
        GLIB_THROW(CPDF_Exception, CPDF_InvalidFunctionCode, "Unknown Function type: " << type);
    }
    if (object.IsIndirect())
        s_shared->Insert(object, SharedRead{*this, s_deepest - level.Level() + 1, s_made - made + 1});
    s_deepest = std::max(outerDeepest, s_deepest);
}

CPDF_Function::CPDF_Function(const CPDF_FunctionCore& core) {
    if (const auto* sampled = dynamic_cast<const CPDF_SampledFunction*>(&core))
        m_core = GLIB_NEW CPDF_SampledFunction(*sampled);
    else if (const auto* expInterp = dynamic_cast<const CPDF_ExpInterpFunction*>(&core))
        m_core = GLIB_NEW CPDF_ExpInterpFunction(*expInterp);
    else if (const auto* stitching = dynamic_cast<const CPDF_StitchingFunction*>(&core))
        m_core = GLIB_NEW CPDF_StitchingFunction(*stitching);
    else if (const auto* ps = dynamic_cast<const CPDF_PSFunction*>(&core))
        m_core = GLIB_NEW CPDF_PSFunction(*ps);
    else
        GLIB_LOG(GLIB_LogFatal, "Invalid function type encountered: " << core.FunctionType());
}

void CPDF_Function::CheckRoomFor(uint32_t count) {
    if (s_innermost != nullptr && static_cast<uint64_t>(s_made) + count > static_cast<uint64_t>(MaxFunctionsPerRead))
        Refuse(/*tooDeep=*/false);
}

int CPDF_Function::FunctionType() const { return m_core.isNull() ? -1 : m_core->FunctionType(); }

CPDF_SampledFunction CPDF_Function::AsSampled() const {
    GLIB_ASSERT(IsSampled());
    return KindOf<CPDF_SampledFunction>(*m_core);
}

CPDF_ExpInterpFunction CPDF_Function::AsExpInterp() const {
    GLIB_ASSERT(IsExpInterp());
    return KindOf<CPDF_ExpInterpFunction>(*m_core);
}

CPDF_StitchingFunction CPDF_Function::AsStitching() const {
    GLIB_ASSERT(IsStitching());
    return KindOf<CPDF_StitchingFunction>(*m_core);
}

CPDF_PSFunction CPDF_Function::AsPSFunction() const {
    GLIB_ASSERT(IsPSFunction());
    return KindOf<CPDF_PSFunction>(*m_core);
}

GLOB_Object CPDF_Function::Object() const {
    GLIB_ASSERT(!m_core.isNull());
    return m_core->Object();
}

void CPDF_Function::Evaluate(double* in, double* out, unsigned count) const {
    GLIB_ASSERT(!m_core.isNull());
    m_core->Evaluate(in, out, count);
}

CPDF_IntervalSet CPDF_Function::Domain() const {
    GLIB_ASSERT(!m_core.isNull());
    return m_core->Domain();
}

unsigned CPDF_Function::DomainDimension() const {
    GLIB_ASSERT(!m_core.isNull());
    return m_core->DomainDimension();
}

bool CPDF_Function::HasRange() const {
    GLIB_ASSERT(!m_core.isNull());
    return m_core->HasRange();
}

CPDF_IntervalSet CPDF_Function::Range() const {
    GLIB_ASSERT(!m_core.isNull());
    return m_core->Range();
}

unsigned CPDF_Function::RangeDimension() const {
    GLIB_ASSERT(!m_core.isNull());
    return m_core->RangeDimension();
}

bool CPDF_Function::operator==(const CPDF_Function& other) const {
    const int type = FunctionType();
    if (type != other.FunctionType())
        return false;
    switch (type) {
    case -1:
        return true;
    case CPDF_FunctionTypeSampled:
        return AsSampled() == other.AsSampled();
    case CPDF_FunctionTypeExpInterp:
        return AsExpInterp() == other.AsExpInterp();
    case CPDF_FunctionTypeStitching:
        return AsStitching() == other.AsStitching();
    case CPDF_FunctionTypePostScript:
        return AsPSFunction().IsEqual(other.AsPSFunction());
    default:
        GLIB_LOG(GLIB_LogFatal, "Unknown CPDF_FunctionType enumeration value encounterd: " << type);
        return false;
    }
}

std::ostream& CPDF_Function::Print(std::ostream& os) const {
    if (m_core.isNull())
        return os << "Function: Null";
    return m_core->Print(os);
}

std::ostream& operator<<(std::ostream& os, const CPDF_Function& function) { return function.Print(os); }
