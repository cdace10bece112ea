// A packed grid of samples of a function of m inputs and n outputs (the data
// of a FunctionType 0 function) with its multilinear evaluation. It is also
// built by sampling any function, or from full-tint colours to make the tint
// transform of a new Separation or DeviceN space, and writes itself back as a
// FunctionType 0 stream. Not copyable: Clone makes a copy.
//
// Layout: grid point after grid point, the first input varying fastest;
// each grid point holds its n samples in order; samples packed without gaps,
// most significant bit first, multi-byte samples big-endian. Sample j of
// grid point L starts at bit (L·n + j)·BitsPerSample. The linear index of a
// multi-index (i0 … i(m-1)) is i0 + Size0·(i1 + Size1·(i2 + …)).
//
// Limits: at most MaxDomainDimension inputs and MaxDataSize bytes of
// samples; a table beyond them is refused with CPDF_Exception 1128007 (a
// reader checks with DataSizeFor first). Evaluation reads 2^m corners, so it
// refuses (1128007) a table of more than MaxEvaluatedDimension inputs, which
// can still be built, read point by point and written.
//
// Other preconditions (a Size list of one entry per Domain interval, a width
// of 1, 2, 4, 8, 12, 16, 24 or 32 bits, index ranges, array dimensions) are
// assertions: callers validate first.
#pragma once

#include "CPDF/color/CPDF_Color.h"
#include "CPDF/function/CPDF_DecodeArray.h"
#include "CPDF/function/CPDF_IntervalSet.h"
#include "FILT/FILT_SampleConverter.h"
#include "GLOB/GLOB_Doc.h"
#include "GLOB/GLOB_Object.h"
#include "GLOB/GLOB_Stream.h"

#include <cstdint>
#include <memory>
#include <vector>

class CPDF_Function;

// Both orders are evaluated multilinearly.
enum CPDF_InterpolationOrder : int {
    CPDF_InterpolationOrderLinear = 1,
    CPDF_InterpolationOrderCubic = 3,
};

class CPDF_SampleTable {
public:
    static constexpr unsigned MaxDomainDimension = 31;
    static constexpr unsigned MaxEvaluatedDimension = 16;
    static constexpr uint64_t MaxDataSize = uint64_t(1) << 28;

    // One input, one output, Size [2], 8 bits, Domain and Range [0 1],
    // samples 0 and 255: the identity on [0 1].
    CPDF_SampleTable();
    // Samples from a stream of decoded data until the table is full or the
    // stream ends (missing bytes stay 0); then closes the stream.
    CPDF_SampleTable(const std::vector<uint32_t>& size, unsigned bitsPerSample, const CPDF_IntervalSet& domain,
                     const CPDF_IntervalSet& range, GLOB_Stream samples);
    // Exactly DataSize bytes from data.
    CPDF_SampleTable(const uint8_t* data, const std::vector<uint32_t>& size, unsigned bitsPerSample,
                     const CPDF_IntervalSet& domain, const CPDF_IntervalSet& range);
    // Samples function (not empty) on the grid: along input i the Size_i
    // points run evenly from the Domain's min to its max inclusive (a Size of
    // 1 samples the min). Domain and Range are the function's; each output is
    // encoded with Decode = Range (clamped, nearest integer).
    CPDF_SampleTable(const CPDF_Function& function, const std::vector<uint32_t>& size, unsigned bitsPerSample);
    // k colours of n components each (asserted: k > 0, equal counts): input i
    // is the tint of colour i; the grid is Size 2 on every input, corner L
    // holding the sum of the colours whose bit i of L is set. Domain k × [0 1],
    // Range n × [0 1]; Decode pair j is [0 S_j], or [-S_j S_j] for every j
    // when any component is negative, S_j the sum of |component j|.
    CPDF_SampleTable(const std::vector<CPDF_Color>& colors, unsigned bitsPerSample);
    ~CPDF_SampleTable();
    CPDF_SampleTable(const CPDF_SampleTable&) = delete;
    CPDF_SampleTable& operator=(const CPDF_SampleTable&) = delete;

    // Same Size, width, Domain, Range, samples and order; Encode and Decode
    // only where they were set explicitly.
    std::unique_ptr<CPDF_SampleTable> Clone() const;

    // 1, 2, 4, 8, 12, 16, 24 or 32.
    static bool IsValidBitsPerSample(unsigned bitsPerSample);
    // The byte size of a table of that shape, in 64 bits; any value above
    // MaxDataSize when the table would be larger, or when its grid has more
    // points than MaxDataSize bits (also without outputs).
    static uint64_t DataSizeFor(const std::vector<uint32_t>& size, unsigned rangeDimension, unsigned bitsPerSample);

    unsigned Size(unsigned domainIndex) const;
    unsigned BitsPerSample() const { return m_bitsPerSample; }
    int Order() const { return m_order; }
    // Asserts Linear or Cubic.
    void SetOrder(int order);
    const CPDF_IntervalSet& Domain() const { return m_domain; }
    const CPDF_IntervalSet& Range() const { return m_range; }
    unsigned DomainDimension() const { return m_domainDim; }
    unsigned RangeDimension() const { return m_rangeDim; }

    // Decode: n pairs from raw samples to outputs, by default the Range.
    // Encode: m pairs from inputs to grid coordinates, by default [0 Size_i-1].
    CPDF_DecodeArray Decode() const { return m_decode; }
    CPDF_DecodeArray Encode() const { return m_encode; }
    // Assert the dimension; mark the array as explicit.
    void SetDecode(const CPDF_DecodeArray& decode);
    void SetEncode(const CPDF_DecodeArray& encode);
    bool HasDecode() const { return m_hasDecode; }
    bool HasEncode() const { return m_hasEncode; }
    // Back to the defaults, no longer explicit.
    void ResetDecode();
    void ResetEncode();
    // Assert the dimension; a default Encode (Decode) follows the new set.
    void SetDomain(const CPDF_IntervalSet& domain);
    void SetRange(const CPDF_IntervalSet& range);

    // Π Size_i; n · Π Size_i; the bytes those samples take.
    uint32_t NumGridPoints() const;
    uint32_t NumSamples() const { return NumGridPoints() * m_rangeDim; }
    uint32_t DataSize() const { return static_cast<uint32_t>(m_data.size()); }
    const uint8_t* Data() const { return m_data.data(); }

    // Between a multi-index (m entries, asserted) and the linear index.
    uint32_t LinearIndex(const std::vector<uint32_t>& multiIndex) const;
    std::vector<uint32_t> MultiIndex(uint32_t linearIndex) const;
    void MultiIndex(uint32_t linearIndex, uint32_t* multiIndex) const;

    // The n decoded outputs of a grid point: by linear index (also the
    // one-input form), by multi-index, or (i, j) of a two-input table
    // (linear index Size0·j + i).
    void GetSample(uint32_t linearIndex, double* out) const;
    void GetSample(const std::vector<uint32_t>& multiIndex, double* out) const;
    void GetSample(uint32_t i, uint32_t j, double* out) const;
    // Encodes n values with Decode (clamped, nearest integer) and packs them
    // at the grid point.
    void SetSample(const std::vector<uint32_t>& multiIndex, const double* values);
    void SetSample(uint32_t i, uint32_t j, const double* values);
    // The raw integer of sample number k (bit k · BitsPerSample).
    uint32_t RawSample(uint32_t k) const;
    // Maps count interleaved tuples of n raw samples through Decode in place.
    void DecodeOutputs(double* values, unsigned count) const;

    // count points of m inputs to count × n outputs: each input is mapped
    // from its Domain interval by its Encode pair and clamped to the grid
    // (NaN to 0), the 2^m surrounding grid points are blended multilinearly
    // (input 0 innermost), and the raw result goes through Decode. Outputs
    // are not clipped to Range. in is scratch: it returns holding the grid
    // coordinates. Evaluation allocates nothing.
    void Evaluate(double* in, double* out, unsigned count);

    // A new FunctionType 0 stream in doc whose samples the back-end stores
    // through /FlateDecode, with "FunctionType", "Range", "Domain", "Size",
    // "BitsPerSample", "Order", and "Encode" and "Decode" when explicit.
    GLOB_Object MakeObject(const GLOB_Doc& doc) const;

private:
    // Checks the shape, stores it with default Encode and Decode, order
    // Linear, and zero-filled samples.
    void Initialize(const std::vector<uint32_t>& size, unsigned bitsPerSample, const CPDF_IntervalSet& domain,
                    const CPDF_IntervalSet& range);
    CPDF_DecodeArray DefaultEncode() const;
    void PutGridPoint(uint32_t linearIndex, const double* values);
    uint64_t BitOffset(uint64_t sampleNumber) const { return sampleNumber * m_bitsPerSample; }
    // RawSample without the bound check.
    uint32_t Fetch(uint32_t k) const;

    std::vector<uint32_t> m_size;
    unsigned m_bitsPerSample = 8;
    int m_order = CPDF_InterpolationOrderLinear;
    CPDF_DecodeArray m_decode;
    CPDF_DecodeArray m_encode;
    CPDF_IntervalSet m_domain;
    CPDF_IntervalSet m_range;
    unsigned m_rangeDim = 0;
    unsigned m_domainDim = 0;
    std::vector<uint8_t> m_data;
    bool m_hasEncode = false;
    bool m_hasDecode = false;

    // Evaluation scratch: 2^m corners, each input's fraction, and one grid
    // point's raw samples.
    std::vector<double> m_corners;
    double m_fraction[MaxEvaluatedDimension] = {};
    mutable std::vector<uint32_t> m_tuple;
    FILT_ToPackedIntConverter m_packer;
    FILT_FromPackedIntConverter m_unpacker;
};
