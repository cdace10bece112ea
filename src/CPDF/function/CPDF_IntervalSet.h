// An ordered list of closed intervals [min max], one per input or output: the
// Domain and Range of functions and sample tables. A value type whose bounds
// are shared copy-on-write. No order is imposed on min and max.
#pragma once

#include "COMN_COWReferenceCountPointer.h"
#include "GLOB/GLOB_Doc.h"
#include "GLOB/GLOB_Object.h"

#include <ostream>
#include <string>
#include <vector>

class CPDF_IntervalSet {
public:
    // One interval [0 1].
    CPDF_IntervalSet();
    // n intervals [0 1].
    explicit CPDF_IntervalSet(unsigned n);
    // Parse of an array object; throws as Parse does.
    explicit CPDF_IntervalSet(const GLOB_Object& array);
    // n intervals from 2n values in PDF order: min0 max0 min1 max1 …
    CPDF_IntervalSet(const double* values, unsigned n);

    unsigned NumIntervals() const { return static_cast<unsigned>(m_intervals->size() / 2); }
    // Interval index < NumIntervals (asserted).
    void Get(unsigned index, double& min, double& max) const;
    void Set(unsigned index, double min, double max);
    // n intervals [0 1]; the earlier ones are dropped.
    void Reset(unsigned n);
    void SetIntervals(const double* values, unsigned n);

    // Reads an Array of an even number of numbers; anything else throws
    // CPDF_Exception 1128005 with the lines of IsValid.
    void Parse(const GLOB_Object& array);
    // Validator (iCPDF_ValidationMessage convention): the whole text of
    // CPDF_Utils::IsValidNumberArray as one message, or "Must be of even
    // length, found <length>".
    static bool IsValid(const GLOB_Object& object, std::string* messages);
    // A new direct Array of 2n direct Reals in doc (null: the memory document).
    GLOB_Object MakeObject(const GLOB_Doc* doc = nullptr) const;

    // Clips count interleaved points of NumIntervals components in place: a
    // value below its min becomes the min, else one above its max the max;
    // NaN stays.
    void Clip(double* values, unsigned count) const;
    // Widens each interval to cover other's (same NumIntervals, asserted).
    void Union(const CPDF_IntervalSet& other);

    // Same NumIntervals and every bound within 1e-6 (NaN matches nothing).
    bool operator==(const CPDF_IntervalSet& other) const;
    bool operator!=(const CPDF_IntervalSet& other) const { return !(*this == other); }

private:
    COMN_COWReferenceCountPointer<std::vector<double>> m_intervals;
};

// "Interval Set: [ ( 0 1 )( 0 1 ) ]".
std::ostream& operator<<(std::ostream& os, const CPDF_IntervalSet& set);
