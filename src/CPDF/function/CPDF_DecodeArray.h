// Pairs [Dmin Dmax], one per component, that map packed unsigned samples of
// a bit width to reals and back: the "Decode" and "Encode" entries of sampled
// functions and images, the "Encode" of stitching functions. A plain value.
// Dmax may be below Dmin (an inverted mapping) or equal to it.
#pragma once

#include "GLOB/GLOB_Doc.h"
#include "GLOB/GLOB_Object.h"

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

class CPDF_DecodeArray {
public:
    // The widest sample converted.
    static constexpr unsigned MaxBitsPerInt = 32;

    // One pair [0 1].
    CPDF_DecodeArray();
    // n pairs [0 1].
    explicit CPDF_DecodeArray(unsigned n);
    // n pairs from 2n values: Dmin0 Dmax0 Dmin1 Dmax1 …
    CPDF_DecodeArray(const double* values, unsigned n);
    // An Array of an even number of numbers; anything else throws
    // CPDF_Exception 1128005 with the lines of IsValid.
    explicit CPDF_DecodeArray(const GLOB_Object& array);

    unsigned Dimension() const { return static_cast<unsigned>(m_aParams.size()); }
    // n pairs [0 1]; the earlier ones are dropped.
    void SetDimension(unsigned n);
    void SetPairs(const double* values, unsigned n);
    // Pair index < Dimension (asserted).
    void Set(unsigned index, double dmin, double dmax);
    void Get(unsigned index, double& dmin, double& dmax) const;

    // Same Dimension and every bound within 1e-6.
    bool operator==(const CPDF_DecodeArray& other) const;
    bool operator!=(const CPDF_DecodeArray& other) const { return !(*this == other); }

    // A new direct Array of 2n direct Reals in doc (null: the memory document).
    GLOB_Object MakeObject(const GLOB_Doc* doc = nullptr) const;
    // Validator (iCPDF_ValidationMessage convention): "A decode array must be
    // an Array, found <type>" (then stops); "A decode array must be of even
    // length, found <length>"; "A decode array must have numeric entries.
    // Found, in position <i>: <element printed>" for every element that is
    // not an Integer or Real.
    static bool IsValid(const GLOB_Object& object, std::string* messages);

    // 2^bits - 1 for bits 1 to 32 (asserted): 4294967295 at 32.
    static unsigned MaxIntValue(unsigned bitsPerInt);
    // Dmin + ((Dmax - Dmin) * sample) / MaxIntValue, in that order.
    double Decode(unsigned sample, unsigned index, unsigned bitsPerInt) const;
    // The nearest sample (halves up) to value, clamped: below Dmin or NaN
    // gives 0, above Dmax gives MaxIntValue.
    unsigned Encode(double value, unsigned index, unsigned bitsPerInt) const;
    // numPixels interleaved pixels of Dimension components.
    void DecodeSamples(const unsigned* in, double* out, unsigned bitsPerInt, unsigned numPixels) const;
    void EncodeSamples(const double* in, unsigned* out, unsigned bitsPerInt, unsigned numPixels) const;

private:
    struct Pair {
        double dmin;
        double dmax;
    };
    std::vector<Pair> m_aParams;
};

// "Decode: [ ( 0 1 )( 0 1 ) ]".
std::ostream& operator<<(std::ostream& os, const CPDF_DecodeArray& decode);
