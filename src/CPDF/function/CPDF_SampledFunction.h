// FunctionType 0: a stream whose data is a grid of samples, evaluated by
// multilinear interpolation. Every number and sample lives in the Core's
// CPDF_SampleTable; this class reads and checks the stream's dictionary,
// builds the table from the decoded data, keeps the dictionary in step with
// the setters, compares and prints. The function object is always a Stream.
#pragma once

#include "COMN_ReferenceCountPointer.h"
#include "CPDF/function/CPDF_DecodeArray.h"
#include "CPDF/function/CPDF_FunctionCore.h"
#include "CPDF/function/CPDF_IntervalSet.h"
#include "CPDF/function/CPDF_SampleTable.h"
#include "GLOB/GLOB_Doc.h"
#include "GLOB/GLOB_Object.h"
#include "GLOB/GLOB_Stream.h"

#include <cstdint>
#include <memory>
#include <ostream>
#include <vector>

class CPDF_SampledFunction : public CPDF_FunctionCore {
public:
    class Core : public CPDF_FunctionCore::SubCore {
    public:
        // Domain and Range [0 1], the default table.
        Core();
        // The table read from samples; Domain and Range stored in both.
        Core(GLOB_Stream samples, const std::vector<uint32_t>& size, unsigned bitsPerSample,
             const CPDF_IntervalSet& domain, const CPDF_IntervalSet& range);

        std::unique_ptr<CPDF_SampleTable> m_table;
    };

    // The default table written as a stream into the memory document.
    CPDF_SampledFunction();
    // The reader; the function keeps object. Throws CPDF_Exception 1128007
    // with the lines of ParseCommon alone, or with every problem of "Size",
    // "BitsPerSample", "Order", "Decode" and "Encode" together, each naming
    // the entry (for instance "Sampled function Order must be 1 or 3.  Found:
    // 2"); also when the table would pass the limits of CPDF_SampleTable.
    // A stream shorter than the table leaves the missing samples 0; what
    // decoding the stream throws passes through.
    explicit CPDF_SampledFunction(const GLOB_Object& object);
    // The table written into the memory document and read back, so the
    // function holds its own copy.
    explicit CPDF_SampledFunction(const CPDF_SampleTable& table);
    // A table of the samples read from the stream, written into doc.
    CPDF_SampledFunction(const GLOB_Doc& doc, GLOB_Stream samples, const std::vector<uint32_t>& size,
                         unsigned bitsPerSample, const CPDF_IntervalSet& domain, const CPDF_IntervalSet& range);
    // Shares other's Core.
    CPDF_SampledFunction(const CPDF_SampledFunction& other) = default;

    GLOB_Name TypeName() const override;
    // "Sampled Function", then Domain, Range, Size, BitsPerSample, Order,
    // Encode and Decode, one labelled line each.
    std::ostream& Print(std::ostream& os) const override;
    // The base's, then the table's.
    void SetDomain(const CPDF_IntervalSet& domain) override;
    void SetRange(const CPDF_IntervalSet& range) override;

    unsigned Size(unsigned i) const { return m_core->m_table->Size(i); }
    unsigned BitsPerSample() const { return m_core->m_table->BitsPerSample(); }
    int Order() const { return m_core->m_table->Order(); }
    CPDF_DecodeArray Encode() const { return m_core->m_table->Encode(); }
    CPDF_DecodeArray Decode() const { return m_core->m_table->Decode(); }
    // Whether the array was given explicitly.
    bool HasEncode() const { return m_core->m_table->HasEncode(); }
    bool HasDecode() const { return m_core->m_table->HasDecode(); }
    // A copy of the table, owned by the caller.
    std::unique_ptr<CPDF_SampleTable> SampleTable() const { return m_core->m_table->Clone(); }

    // Change the table and the dictionary together (the samples never
    // change). Order 1 or 3 and one pair per input (output) are asserted.
    void SetOrder(int order);
    void SetEncode(const CPDF_DecodeArray& encode);
    void SetDecode(const CPDF_DecodeArray& decode);
    // Remove the entry; the table goes back to its default.
    void RemoveEncode();
    void RemoveDecode();

    // Domain, Range, BitsPerSample, Encode, Decode, Size, Order, then the
    // samples (only the bits of the last byte that hold samples count).
    bool operator==(const CPDF_SampledFunction& other) const;
    bool operator!=(const CPDF_SampledFunction& other) const { return !(*this == other); }

protected:
    // The table's evaluation; in returns holding grid coordinates.
    void EvaluateUnclipped(double* in, double* out, unsigned count) override;
    Core& SubCore() override { return *m_core; }
    const Core& SubCore() const override { return *m_core; }

private:
    void Read(const GLOB_Object& object);

    COMN_ReferenceCountPointer<Core> m_core;
};
