// FunctionType 3: one input; k sub-functions of any type sharing their
// number of outputs; k - 1 inner bounds cutting the Domain into k
// subintervals; an Encode pair per subinterval mapping it onto the input of
// its sub-function. The function object is a dictionary that the setters
// update.
#pragma once

#include "COMN_ReferenceCountPointer.h"
#include "CPDF/function/CPDF_DecodeArray.h"
#include "CPDF/function/CPDF_Function.h"
#include "CPDF/function/CPDF_FunctionCore.h"
#include "CPDF/function/CPDF_IntervalSet.h"
#include "GLOB/GLOB_Doc.h"
#include "GLOB/GLOB_Object.h"

#include <ostream>
#include <vector>

class CPDF_StitchingFunction : public CPDF_FunctionCore {
public:
    class Core : public CPDF_FunctionCore::SubCore {
    public:
        // Everything empty, no Range.
        Core() = default;
        // Domain [first bound, last bound], no Range.
        Core(const std::vector<CPDF_Function>& functions, const std::vector<double>& bounds,
             const CPDF_DecodeArray& encode);

        // The full bounds: Domain start, the inner bounds, Domain end.
        const std::vector<double>& Bounds() const { return m_bounds; }
        void SetBounds(const std::vector<double>& bounds) { m_bounds = bounds; }
        void SetHasRange(bool hasRange) { m_hasRange = hasRange; }
        // A new indirect dictionary in doc: "FunctionType" 3, "Domain",
        // "Encode", "Bounds" (the inner bounds), "Functions" (the
        // sub-functions' objects) and "Range" when the Core has one.
        void MakeObject(GLOB_Object& out, const GLOB_Doc& doc) const;

        std::vector<CPDF_Function> m_functions;
        std::vector<double> m_bounds;
        CPDF_DecodeArray m_encode{0u};
        bool m_hasRange = false;
    };

    // One sub-function, a default CPDF_ExpInterpFunction; bounds [0 1]; an
    // empty Encode (to be set before evaluation); no Range; written into the
    // memory document.
    CPDF_StitchingFunction();
    // The reader; the function keeps object. Throws CPDF_Exception 1128007
    // with the lines of ParseCommon alone, or with every problem of the
    // Domain, "Bounds", "Encode" and "Functions" together: a sub-function
    // that does not read, or that has other than one input, is one message;
    // a CPDF_FunctionNestingException passes through.
    explicit CPDF_StitchingFunction(const GLOB_Object& object);
    // Shares other's Core.
    CPDF_StitchingFunction(const CPDF_StitchingFunction& other) = default;

    bool HasRange() const override { return m_core->m_hasRange; }
    GLOB_Name TypeName() const override;
    // "Stitching Function", Domain, Range (with the flag), Subintervals, then
    // each subinterval with its encoding and the sub-function's dump.
    std::ostream& Print(std::ostream& os) const override;
    // With the flag the stored Range; else the hull of the sub-functions'
    // Ranges.
    CPDF_IntervalSet Range() const override;
    unsigned RangeDimension() const override;
    // Asserts one interval that holds the inner bounds, then stores it as
    // the base does and moves the outer bounds.
    void SetDomain(const CPDF_IntervalSet& domain) override;
    // The base's, then the flag is set.
    void SetRange(const CPDF_IntervalSet& range) override;

    // The number of sub-functions: bounds - 1 (-1 without bounds).
    int NumIntervals() const { return static_cast<int>(m_core->m_bounds.size()) - 1; }
    // Sub-function i < NumIntervals (asserted), sharing its core.
    CPDF_Function Function(unsigned i) const;
    CPDF_DecodeArray Encode() const { return m_core->m_encode; }
    void Bounds(std::vector<double>& bounds) const { bounds = m_core->m_bounds; }

    // The full bounds (NumIntervals + 1, never decreasing; asserted); moves
    // the Domain with them.
    void SetBounds(const std::vector<double>& bounds);
    // One pair per sub-function (asserted).
    void SetEncode(const CPDF_DecodeArray& encode);
    // Replaces sub-function i with a function of RangeDimension outputs
    // (asserted).
    void SetFunction(const CPDF_Function& function, unsigned i);
    // Clears the flag and removes "Range".
    void RemoveRange();

    // NumIntervals, sub-functions, bounds within 1e-6, Encode, Domain, Range.
    bool operator==(const CPDF_StitchingFunction& other) const;
    bool operator!=(const CPDF_StitchingFunction& other) const { return !(*this == other); }

protected:
    // Finds each point's subinterval (a value on an inner bound belongs to
    // the one above, the Domain end to the last), remaps the input in place
    // onto the Encode pair (a subinterval of no width gives its e0) and
    // evaluates the sub-function, with its own clipping, on it.
    void EvaluateUnclipped(double* in, double* out, unsigned count) override;
    Core& SubCore() override { return *m_core; }
    const Core& SubCore() const override { return *m_core; }

private:
    COMN_ReferenceCountPointer<Core> m_core;
};
