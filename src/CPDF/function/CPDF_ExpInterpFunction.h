// FunctionType 2: one input x, n outputs y_j = C0_j + x^N · (C1_j - C0_j).
// The function object is a dictionary that every setter updates.
#pragma once

#include "COMN_ReferenceCountPointer.h"
#include "CPDF/color/CPDF_Color.h"
#include "CPDF/function/CPDF_FunctionCore.h"
#include "CPDF/function/CPDF_IntervalSet.h"
#include "GLOB/GLOB_Doc.h"
#include "GLOB/GLOB_Object.h"

#include <ostream>
#include <vector>

class CPDF_ExpInterpFunction : public CPDF_FunctionCore {
public:
    class Core : public CPDF_FunctionCore::SubCore {
    public:
        // Empty C0 and C1, no Range; N is set by whoever fills the Core.
        Core() = default;
        // One Domain interval is the caller's to give; no Range.
        Core(const CPDF_Color& c0, const CPDF_Color& c1, double n, const CPDF_IntervalSet& domain);

        void SetC0(const CPDF_Color& c0);
        void SetC1(const CPDF_Color& c1);
        void SetHasRange(bool hasRange) { m_hasRange = hasRange; }
        // A new indirect dictionary in doc: "FunctionType" 2, "C0" and "C1"
        // unless they are the defaults [0] and [1], "N" as a Real, "Domain",
        // and "Range" when the Core has one.
        void MakeObject(GLOB_Object& out, const GLOB_Doc& doc) const;

        std::vector<double> m_c0;
        std::vector<double> m_c1;
        double m_n = 1.0;
        bool m_hasRange = false;
    };

    // C0 [0], C1 [1], N 1, Domain [0 1], no Range (y = x), written into the
    // memory document.
    CPDF_ExpInterpFunction();
    // Asserts equal component counts and one Domain interval; no Range;
    // written into doc.
    CPDF_ExpInterpFunction(const GLOB_Doc& doc, const CPDF_Color& c0, const CPDF_Color& c1, double n,
                           const CPDF_IntervalSet& domain);
    // The reader; the function keeps object. Throws CPDF_Exception 1128007
    // with the lines of ParseCommon alone, or with every problem of "N",
    // "C0", "C1", their lengths against each other and against "Range", and
    // a Domain that is not one interval. An empty "C0" or "C1" throws the
    // colour's own 1128002 at once.
    explicit CPDF_ExpInterpFunction(const GLOB_Object& object);
    // Shares other's Core.
    CPDF_ExpInterpFunction(const CPDF_ExpInterpFunction& other) = default;

    // The Core's flag: without a Range the outputs are not clipped.
    bool HasRange() const override { return m_core->m_hasRange; }
    GLOB_Name TypeName() const override;
    // "ExpInterp Function", then C0, C1, N, Domain and, with a Range, Range.
    std::ostream& Print(std::ostream& os) const override;
    // With the flag the stored Range; else interval j is [min(C0_j, C1_j)
    // max(C0_j, C1_j)].
    CPDF_IntervalSet Range() const override;
    unsigned RangeDimension() const override;
    // The base's, then the flag is set.
    void SetRange(const CPDF_IntervalSet& range) override;

    CPDF_Color C0() const { return CPDF_Color(m_core->m_c0); }
    CPDF_Color C1() const { return CPDF_Color(m_core->m_c1); }
    double N() const { return m_core->m_n; }

    // Assert one component per output. A default value removes the key.
    void SetC0(const CPDF_Color& c0);
    void SetC1(const CPDF_Color& c1);
    // Asserts equal counts (and one per output with a Range); always writes
    // both keys.
    void SetC0C1(const CPDF_Color& c0, const CPDF_Color& c1);
    void SetN(double n);
    // Clears the flag and removes "Range"; the stored set is kept unused.
    void RemoveRange();

    // C0, C1, N within 1e-6, Domain, Range.
    bool operator==(const CPDF_ExpInterpFunction& other) const;
    bool operator!=(const CPDF_ExpInterpFunction& other) const { return !(*this == other); }

protected:
    // N exactly 1 computes no power; a zero input with negative N, or a
    // negative one with non-integer N, gives what pow gives.
    void EvaluateUnclipped(double* in, double* out, unsigned count) override;
    Core& SubCore() override { return *m_core; }
    const Core& SubCore() const override { return *m_core; }

private:
    void WriteColor(const char* key, const std::vector<double>& values, const CPDF_Color& omitted);

    COMN_ReferenceCountPointer<Core> m_core;
};
