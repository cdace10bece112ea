// The abstract base of the function kinds (FunctionType 0 sampled, 2
// exponential, 3 stitching, 4 PostScript). It keeps the function's PDF
// object, reads the common entries, and clips around each kind's own
// evaluation. Handles (CPDF_Function) share cores; each kind keeps its data
// in a counted Core record derived from SubCore, shared without copy-on-write
// by every copy of the kind, so a setter called through one copy is seen by
// all. Setters write the new value into the function object as well.
//
// Points are interleaved: count points of m inputs are count × m doubles,
// point after point; outputs likewise, count × n.
#pragma once

#include "CPDF/function/CPDF_IntervalSet.h"
#include "GLOB/GLOB_Name.h"
#include "GLOB/GLOB_Object.h"

#include <ostream>
#include <string>

enum CPDF_FunctionType : int {
    CPDF_FunctionTypeSampled = 0,
    CPDF_FunctionTypeExpInterp = 2,
    CPDF_FunctionTypeStitching = 3,
    CPDF_FunctionTypePostScript = 4,
};

class CPDF_FunctionCore {
public:
    // The data every kind has; each kind's Core derives from it.
    class SubCore {
    public:
        // Domain and Range one interval [0 1] each.
        SubCore() = default;
        virtual ~SubCore() = default;

        CPDF_IntervalSet m_domain;
        CPDF_IntervalSet m_range;
    };

    virtual ~CPDF_FunctionCore();

    // Whether Evaluate clips the outputs to Range. True here.
    virtual bool HasRange() const;
    // "Sampled", "ExpInterp", "Stitching", "PostScript".
    virtual GLOB_Name TypeName() const = 0;
    // A readable dump; each kind gives its layout.
    virtual std::ostream& Print(std::ostream& os) const = 0;
    // The SubCore's Range, and its number of intervals.
    virtual CPDF_IntervalSet Range() const;
    virtual unsigned RangeDimension() const;
    // Asserts the interval count matches, stores the set and writes it under
    // "Domain" ("Range") of the function object.
    virtual void SetDomain(const CPDF_IntervalSet& domain);
    virtual void SetRange(const CPDF_IntervalSet& range);

    // A copy of the function object's handle.
    GLOB_Object Object() const { return m_object; }
    // The object's "FunctionType", read unchecked (the readers checked it).
    int FunctionType() const;
    CPDF_IntervalSet Domain() const;
    unsigned DomainDimension() const;

    // Clips the inputs to Domain in place (the caller's array changes), runs
    // the kind's EvaluateUnclipped, and when HasRange clips the outputs to
    // Range. in holds count × DomainDimension values, out room for count ×
    // RangeDimension; nothing checks.
    void Evaluate(double* in, double* out, unsigned count);

    // The same PDF object: one back-end, GLOB_Impl::IsEqual.
    bool operator==(const CPDF_FunctionCore& other) const;
    bool operator!=(const CPDF_FunctionCore& other) const { return !(*this == other); }

    // Reader of the common entries, a validator in the iCPDF_ValidationMessage
    // convention that each kind's reader calls first, then throws 1128007
    // with the text when it fails. objectType is GLOB_Object::KindDict or
    // KindStream. Messages: the object's kind ("Expected type Dictionary,
    // found <type>" or "Expected type Stream, found <type>"; then stops);
    // "Function missing FunctionType entry", "FunctionType must be an
    // Integer, found: <type>", "Expected FunctionType entry to be <n>, found:
    // <value>"; "Function missing domain entry", "Domain is invalid: <text of
    // the interval set>"; "Range is invalid: <text>", and "Function is
    // missing Range entry" unless rangeOptional. Domain and Range are stored
    // into *domain and *range when they read.
    static bool ParseCommon(const GLOB_Object& object, int functionType, int objectType, bool rangeOptional,
                            CPDF_IntervalSet* domain, CPDF_IntervalSet* range, std::string* messages);

protected:
    // A Null object of the memory document, which the kind then replaces.
    CPDF_FunctionCore();
    // Copies the object handle; the kind shares its Core pointer itself.
    CPDF_FunctionCore(const CPDF_FunctionCore& other) = default;
    CPDF_FunctionCore& operator=(const CPDF_FunctionCore&) = delete;

    // The kind's evaluation of count points; in may serve as scratch.
    virtual void EvaluateUnclipped(double* in, double* out, unsigned count) = 0;
    // The kind's Core: writable for the setters, read-only for the rest.
    virtual class SubCore& SubCore() = 0;
    virtual const class SubCore& SubCore() const = 0;

    void SetObject(const GLOB_Object& object) { m_object = object; }

private:
    GLOB_Object m_object;
};
