// A PDF function as the rest of the system passes it around: a counted handle
// of one function core, made from a PDF object by the factory (the
// constructor from a GLOB_Object), which reads "FunctionType" and builds the
// matching kind. Copies share the core and never copy it on change.
//
// The forwarding operations (Object, Evaluate to RangeDimension) assert that the
// handle is not empty; the others accept an empty handle.
#pragma once

#include "COMN_ReferenceCountPointer.h"
#include "CPDF/CPDF_Exception.h"
#include "CPDF/function/CPDF_FunctionCore.h"
#include "CPDF/function/CPDF_IntervalSet.h"
#include "GLOB/GLOB_Object.h"

#include <ostream>

class CPDF_ExpInterpFunction;
class CPDF_PSFunction;
class CPDF_SampledFunction;
class CPDF_StitchingFunction;

class CPDF_Function {
public:
    // How deep functions may hold functions (a stitching function's
    // "Functions"), and how many one read may make in all, so that a
    // "Functions" entry that reaches its own function, or a few that each
    // refer many times to the next, end in an exception instead of an
    // overflowing stack or an exponential read.
    static constexpr int MaxNesting = 32;
    static constexpr int MaxFunctionsPerRead = 1 << 12;

    // An empty handle.
    CPDF_Function() = default;
    // The factory. The object must be a Stream or Dict whose "FunctionType"
    // is an Integer naming a kind (0, 2, 3 or 4); else it
    // throws CPDF_Exception 1128007: "A Function must be a Stream or
    // Dictionary, found: <type>", "Function missing FunctionType entry",
    // "FunctionType must be an Integer, found: <type>", "Unknown Function
    // type: <value>". The kind's reader throws its own 1128007 texts; beyond
    // MaxNesting or MaxFunctionsPerRead, a CPDF_FunctionNestingException.
    // An indirect function named at several places in one read is read
    // once and shared (one core); each place counts against both limits as
    // its own read would, so sharing changes no verdict, only the work.
    // Type 4 from a Dict is logged at level 8 ("Setting from non stream")
    // before its reader refuses it.
    explicit CPDF_Function(const GLOB_Object& object);
    // A new core of the same kind that shares core's data (its Core record).
    explicit CPDF_Function(const CPDF_FunctionCore& core);
    // Inside a read (a reader of sub-functions calls it), before count more
    // places are read: refuses with a CPDF_FunctionNestingException when
    // they would pass MaxFunctionsPerRead. Each place counts at least one
    // function, shared or not, so the verdict is the one reading them would
    // reach, without reading them. Outside a read, nothing.
    static void CheckRoomFor(uint32_t count);

    // -1 for an empty handle, else the core's FunctionType.
    int FunctionType() const;
    bool IsSampled() const { return FunctionType() == CPDF_FunctionTypeSampled; }
    bool IsExpInterp() const { return FunctionType() == CPDF_FunctionTypeExpInterp; }
    bool IsStitching() const { return FunctionType() == CPDF_FunctionTypeStitching; }
    bool IsPSFunction() const { return FunctionType() == CPDF_FunctionTypePostScript; }
    // The kind, sharing this core's Core record; asserts the kind.
    CPDF_SampledFunction AsSampled() const;
    CPDF_ExpInterpFunction AsExpInterp() const;
    CPDF_StitchingFunction AsStitching() const;
    CPDF_PSFunction AsPSFunction() const;

    // The core's PDF object.
    GLOB_Object Object() const;
    // CPDF_FunctionCore::Evaluate of the core: in is clipped in place.
    void Evaluate(double* in, double* out, unsigned count) const;
    CPDF_IntervalSet Domain() const;
    unsigned DomainDimension() const;
    bool HasRange() const;
    CPDF_IntervalSet Range() const;
    unsigned RangeDimension() const;

    // Same type, and both empty or equal as their kind.
    bool operator==(const CPDF_Function& other) const;
    bool operator!=(const CPDF_Function& other) const { return !(*this == other); }
    // "Function: Null" for an empty handle, else the kind's dump.
    std::ostream& Print(std::ostream& os) const;

private:
    COMN_ReferenceCountPointer<CPDF_FunctionCore> m_core;
};

std::ostream& operator<<(std::ostream& os, const CPDF_Function& function);

// Functions nested beyond CPDF_Function::MaxNesting, or more than
// MaxFunctionsPerRead of them in one read: the whole read fails (code
// 1128007), never only the sub-function that went too far, so readers of
// sub-functions let it pass.
class CPDF_FunctionNestingException : public CPDF_Exception {
public:
    CPDF_FunctionNestingException(const std::string& message, const char* file, int32_t line)
        : CPDF_Exception(CPDF_InvalidFunctionCode, message, file, line) {}
};
