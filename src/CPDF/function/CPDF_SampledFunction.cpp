#include "CPDF/function/CPDF_SampledFunction.h"

#include "CPDF/CPDF_Exception.h"
#include "CPDF/iCPDF_ValidationMessage.h"
#include "GLIB/GLIB_Assert.h"
#include "GLIB/GLIB_New.h"
#include "GLOB/GLOB_ObjectFactory.h"

#include <cstring>

namespace {

// An optional decode array entry: absent leaves *out null; one that does
// not read, or whose dimension is not expected, becomes a message.
void ReadDecodeEntry(const GLOB_Object& object, const char* key, const char* against, unsigned expected,
                     std::unique_ptr<CPDF_DecodeArray>& out, iCPDF_ValidationMessage& collector) {
    GLOB_Object value;
    if (!object.Known(GLOB_Name(key), &value))
        return;
    try {
        out.reset(GLIB_NEW CPDF_DecodeArray(value));
    } catch (const CPDF_Exception& e) {
        collector.Stream() << "Sampled function has invalid " << key << " entry: " << e.What();
        return;
    }
    if (out->Dimension() != expected)
        collector.Stream() << "Sampled function " << key << " dimension " << out->Dimension() << " does not match "
                           << against << " dimension " << expected;
}

}  // namespace

CPDF_SampledFunction::Core::Core() : m_table(GLIB_NEW CPDF_SampleTable) {}

CPDF_SampledFunction::Core::Core(GLOB_Stream samples, const std::vector<uint32_t>& size, unsigned bitsPerSample,
                                 const CPDF_IntervalSet& domain, const CPDF_IntervalSet& range)
    : m_table(GLIB_NEW CPDF_SampleTable(size, bitsPerSample, domain, range, samples)) {
    m_domain = domain;
    m_range = range;
}

CPDF_SampledFunction::CPDF_SampledFunction() : m_core(GLIB_NEW Core) {
    SetObject(m_core->m_table->MakeObject(GLOB_ObjectFactory::MemoryDoc()));
}

CPDF_SampledFunction::CPDF_SampledFunction(const GLOB_Object& object) : m_core(GLIB_NEW Core) { Read(object); }

CPDF_SampledFunction::CPDF_SampledFunction(const CPDF_SampleTable& table) : m_core(GLIB_NEW Core) {
    Read(table.MakeObject(GLOB_ObjectFactory::MemoryDoc()));
}

CPDF_SampledFunction::CPDF_SampledFunction(const GLOB_Doc& doc, GLOB_Stream samples, const std::vector<uint32_t>& size,
                                           unsigned bitsPerSample, const CPDF_IntervalSet& domain,
                                           const CPDF_IntervalSet& range)
    : m_core(GLIB_NEW Core(samples, size, bitsPerSample, domain, range)) {
    GLIB_ASSERT(domain == Domain());
    SetObject(m_core->m_table->MakeObject(doc));
}

void CPDF_SampledFunction::Read(const GLOB_Object& object) {
    std::string messages;
    if (!ParseCommon(object, CPDF_FunctionTypeSampled, GLOB_Object::KindStream, false, &m_core->m_domain,
                     &m_core->m_range, &messages))
        CPDF_THROW_INVALID(CPDF_InvalidFunctionCode, messages);
    const unsigned m = m_core->m_domain.NumIntervals();
    const unsigned n = m_core->m_range.NumIntervals();
    std::vector<uint32_t> size;
    bool sizeRead = false;
    unsigned bits = 0;
    int order = CPDF_InterpolationOrderLinear;
    std::unique_ptr<CPDF_DecodeArray> decode;
    std::unique_ptr<CPDF_DecodeArray> encode;
    iCPDF_ValidationMessage collector(&messages);
    GLOB_Object value;

    if (!object.Known(GLOB_Name("Size"), &value)) {
        collector.Stream() << "Sampled function is missing Size entry.";
    } else if (!value.IsArray()) {
        collector.Stream() << "Sampled function Size entry should be type Array, found "
                           << GLOB_Object::TypeString(value.Type());
    } else if (value.Length() != m) {
        collector.Stream() << "Sampled function Size entry does not match Domain.  Size"
                           << "Size should be length " << m << ", found: " << value.Length();
    } else {
        sizeRead = true;
        for (uint32_t i = 0; i < m; ++i) {
            const GLOB_Object entry = value.Get(i);
            if (!entry.IsInteger()) {
                collector.Stream() << "Sampled function Size array entries should be integers, found: "
                                   << GLOB_Object::TypeString(entry.Type());
                sizeRead = false;
            } else if (entry.AsInteger() < 1) {
                collector.Stream() << "Sampled function Size entries should be positive, found: " << entry.AsInteger();
                sizeRead = false;
            } else {
                size.push_back(static_cast<uint32_t>(entry.AsInteger()));
            }
        }
    }

    if (!object.Known(GLOB_Name("BitsPerSample"), &value))
        collector.Stream() << "Sampled function missing BitsPerSample entry.";
    else if (!value.IsInteger())
        collector.Stream() << "Sampled function BitsPerSample must be an Integer, found: "
                           << GLOB_Object::TypeString(value.Type());
    else if (value.AsInteger() < 1 || !CPDF_SampleTable::IsValidBitsPerSample(static_cast<unsigned>(value.AsInteger())))
        collector.Stream() << "Sampled function BitsPerSample must be one of 1, 2, 4, 8, 12, 16, 24 or 32, found: "
                           << value.AsInteger();
    else
        bits = static_cast<unsigned>(value.AsInteger());

    if (m > CPDF_SampleTable::MaxDomainDimension)
        collector.Stream() << "Sampled function has " << m << " inputs, at most "
                           << CPDF_SampleTable::MaxDomainDimension << " are supported";
    else if (sizeRead && bits != 0 && CPDF_SampleTable::DataSizeFor(size, n, bits) > CPDF_SampleTable::MaxDataSize)
        collector.Stream() << "Sampled function samples take more than " << CPDF_SampleTable::MaxDataSize
                           << " bytes";

    if (object.Known(GLOB_Name("Order"), &value)) {
        if (!value.IsInteger())
            collector.Stream() << "Sampled function Order entry must be an Integer, found: "
                               << GLOB_Object::TypeString(value.Type());
        else if (value.AsInteger() != CPDF_InterpolationOrderLinear && value.AsInteger() != CPDF_InterpolationOrderCubic)
            collector.Stream() << "Sampled function Order must be 1 or 3.  Found: " << value.AsInteger();
        else
            order = value.AsInteger();
    }

    ReadDecodeEntry(object, "Decode", "Range", n, decode, collector);
    ReadDecodeEntry(object, "Encode", "Domain", m, encode, collector);
    if (!collector.IsValid()) {
        collector.Flush();
        CPDF_THROW_INVALID(CPDF_InvalidFunctionCode, messages);
    }

    m_core->m_table.reset(GLIB_NEW CPDF_SampleTable(size, bits, m_core->m_domain, m_core->m_range,
                                                    object.OpenStream(2)));
    m_core->m_table->SetOrder(order);
    if (decode)
        m_core->m_table->SetDecode(*decode);
    if (encode)
        m_core->m_table->SetEncode(*encode);
    SetObject(object);
}

GLOB_Name CPDF_SampledFunction::TypeName() const { return GLOB_Name("Sampled"); }

std::ostream& CPDF_SampledFunction::Print(std::ostream& os) const {
    const CPDF_SampleTable& table = *m_core->m_table;
    TypeName().Print(os);
    os << " Function\n";
    os << "Domain:        " << Domain() << "\n";
    os << "Range:         " << Range() << "\n";
    os << "Size:           [ ";
    for (unsigned i = 0; i < table.DomainDimension(); ++i)
        os << table.Size(i) << " ";
    os << "]\n";
    os << "BitsPerSample: " << table.BitsPerSample() << "\n";
    os << "Order:         " << table.Order() << "\n";
    os << "Encode:        " << table.Encode() << "\n";
    os << "Decode:        " << table.Decode() << "\n";
    return os;
}

void CPDF_SampledFunction::SetDomain(const CPDF_IntervalSet& domain) {
    CPDF_FunctionCore::SetDomain(domain);
    m_core->m_table->SetDomain(domain);
}

void CPDF_SampledFunction::SetRange(const CPDF_IntervalSet& range) {
    CPDF_FunctionCore::SetRange(range);
    m_core->m_table->SetRange(range);
}

void CPDF_SampledFunction::SetOrder(int order) {
    m_core->m_table->SetOrder(order);
    Object().DictPut(GLOB_Name("Order"), Object().Doc().NewInteger(order, false));
}

void CPDF_SampledFunction::SetEncode(const CPDF_DecodeArray& encode) {
    m_core->m_table->SetEncode(encode);
    const GLOB_Doc doc = Object().Doc();
    Object().DictPut(GLOB_Name("Encode"), encode.MakeObject(&doc));
}

void CPDF_SampledFunction::SetDecode(const CPDF_DecodeArray& decode) {
    m_core->m_table->SetDecode(decode);
    const GLOB_Doc doc = Object().Doc();
    Object().DictPut(GLOB_Name("Decode"), decode.MakeObject(&doc));
}

void CPDF_SampledFunction::RemoveEncode() {
    Object().RemovePath("Encode");
    m_core->m_table->ResetEncode();
}

void CPDF_SampledFunction::RemoveDecode() {
    Object().RemovePath("Decode");
    m_core->m_table->ResetDecode();
}

void CPDF_SampledFunction::EvaluateUnclipped(double* in, double* out, unsigned count) {
    m_core->m_table->Evaluate(in, out, count);
}

bool CPDF_SampledFunction::operator==(const CPDF_SampledFunction& other) const {
    const CPDF_SampleTable& a = *m_core->m_table;
    const CPDF_SampleTable& b = *other.m_core->m_table;
    if (Domain() != other.Domain() || Range() != other.Range() || a.BitsPerSample() != b.BitsPerSample() ||
        a.Encode() != b.Encode() || a.Decode() != b.Decode())
        return false;
    for (unsigned i = 0; i < a.DomainDimension(); ++i) {
        if (a.Size(i) != b.Size(i))
            return false;
    }
    if (a.Order() != b.Order() || a.DataSize() != b.DataSize())
        return false;
    const uint32_t bytes = a.DataSize();
    if (bytes == 0)
        return true;
    if (std::memcmp(a.Data(), b.Data(), bytes - 1) != 0)
        return false;
    const uint64_t usedBits = (uint64_t(a.NumSamples()) * a.BitsPerSample()) % 8;
    const uint8_t mask = static_cast<uint8_t>(0xFF << (usedBits == 0 ? 0 : 8 - usedBits));
    return ((a.Data()[bytes - 1] ^ b.Data()[bytes - 1]) & mask) == 0;
}
