#include "CPDF/function/CPDF_SampleTable.h"

#include "CPDF/CPDF_Exception.h"
#include "CPDF/CPDF_Utils.h"
#include "CPDF/function/CPDF_Function.h"
#include "GLIB/GLIB_Assert.h"
#include "GLIB/GLIB_New.h"
#include "GLOB/GLOB_MemoryStream.h"
#include "GLOB/GLOB_ObjectFactory.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

const std::vector<uint32_t> DefaultSize = {2};

}  // namespace

CPDF_SampleTable::CPDF_SampleTable() : m_packer(8), m_unpacker(8) {
    Initialize(DefaultSize, 8, CPDF_IntervalSet(), CPDF_IntervalSet());
    m_data[1] = 255;
}

CPDF_SampleTable::CPDF_SampleTable(const std::vector<uint32_t>& size, unsigned bitsPerSample,
                                   const CPDF_IntervalSet& domain, const CPDF_IntervalSet& range, GLOB_Stream samples)
    : m_packer(8), m_unpacker(8) {
    Initialize(size, bitsPerSample, domain, range);
    size_t filled = 0;
    while (filled < m_data.size()) {
        FILT_FilterBuffer* buffer = samples.Read();
        const size_t available = buffer->DataAvailable();
        if (available == 0 && buffer->IsEOD())
            break;
        const size_t n = std::min(available, m_data.size() - filled);
        std::memcpy(m_data.data() + filled, buffer->GetPtr(), n);
        buffer->AdvanceGetPtr(static_cast<FILT_Size>(n));
        filled += n;
    }
    samples.Close();
}

CPDF_SampleTable::CPDF_SampleTable(const uint8_t* data, const std::vector<uint32_t>& size, unsigned bitsPerSample,
                                   const CPDF_IntervalSet& domain, const CPDF_IntervalSet& range)
    : m_packer(8), m_unpacker(8) {
    Initialize(size, bitsPerSample, domain, range);
    std::copy(data, data + m_data.size(), m_data.begin());
}

CPDF_SampleTable::CPDF_SampleTable(const CPDF_Function& function, const std::vector<uint32_t>& size,
                                   unsigned bitsPerSample)
    : m_packer(8), m_unpacker(8) {
    Initialize(size, bitsPerSample, function.Domain(), function.Range());
    std::vector<uint32_t> index(m_domainDim);
    std::vector<double> x(m_domainDim);
    std::vector<double> y(m_rangeDim);
    const uint32_t numPoints = NumGridPoints();
    for (uint32_t point = 0; point < numPoints; ++point) {
        MultiIndex(point, index.data());
        for (unsigned i = 0; i < m_domainDim; ++i) {
            double d0, d1, e0, e1;
            m_domain.Get(i, d0, d1);
            m_encode.Get(i, e0, e1);
            x[i] = e1 == e0 ? d0 : ((index[i] - e0) / (e1 - e0)) * (d1 - d0) + d0;
        }
        function.Evaluate(x.data(), y.data(), 1);
        PutGridPoint(point, y.data());
    }
}

CPDF_SampleTable::CPDF_SampleTable(const std::vector<CPDF_Color>& colors, unsigned bitsPerSample)
    : m_packer(8), m_unpacker(8) {
    const size_t domainDim = colors.size();
    GLIB_ASSERT(domainDim != 0);
    const unsigned n = colors[0].NumComponents();
    std::vector<double> sums(n, 0.0);
    bool negative = false;
    for (const CPDF_Color& color : colors) {
        GLIB_ASSERT_CMP(color.NumComponents(), ==, n);
        for (unsigned j = 0; j < n; ++j) {
            sums[j] += std::fabs(color.Component(j));
            negative = negative || color.Component(j) < 0;
        }
    }
    Initialize(std::vector<uint32_t>(domainDim, 2), bitsPerSample, CPDF_IntervalSet(static_cast<unsigned>(domainDim)),
               CPDF_IntervalSet(n));
    CPDF_DecodeArray decode(n);
    for (unsigned j = 0; j < n; ++j)
        decode.Set(j, negative ? -sums[j] : 0.0, sums[j]);
    SetDecode(decode);
    if (n == 0)
        return;
    std::vector<double> value(n);
    const uint32_t numCorners = NumGridPoints();
    for (uint32_t corner = 0; corner < numCorners; ++corner) {
        std::fill(value.begin(), value.end(), 0.0);
        for (size_t i = 0; i < domainDim; ++i) {
            if (corner & (uint32_t(1) << i)) {
                for (unsigned j = 0; j < n; ++j)
                    value[j] += colors[i].Component(j);
            }
        }
        PutGridPoint(corner, value.data());
    }
}

CPDF_SampleTable::~CPDF_SampleTable() = default;

std::unique_ptr<CPDF_SampleTable> CPDF_SampleTable::Clone() const {
    std::unique_ptr<CPDF_SampleTable> copy(
        GLIB_NEW CPDF_SampleTable(m_data.data(), m_size, m_bitsPerSample, m_domain, m_range));
    copy->SetOrder(m_order);
    if (m_hasEncode)
        copy->SetEncode(m_encode);
    if (m_hasDecode)
        copy->SetDecode(m_decode);
    return copy;
}

bool CPDF_SampleTable::IsValidBitsPerSample(unsigned bitsPerSample) {
    switch (bitsPerSample) {
    case 1: case 2: case 4: case 8: case 12: case 16: case 24: case 32:
        return true;
    default:
        return false;
    }
}

uint64_t CPDF_SampleTable::DataSizeFor(const std::vector<uint32_t>& size, unsigned rangeDimension,
                                       unsigned bitsPerSample) {
    // Stops counting once past the limit, so no product overflows. The grid
    // is bounded even without outputs: loops over it must end.
    const uint64_t tooMany = MaxDataSize * 8 + 1;
    uint64_t points = 1;
    for (const uint32_t s : size)
        points = std::min(points * s, tooMany);
    if (points == tooMany)
        return MaxDataSize + 1;
    const uint64_t samples = std::min(points * rangeDimension, tooMany);
    return (samples * bitsPerSample + 7) / 8;
}

void CPDF_SampleTable::Initialize(const std::vector<uint32_t>& size, unsigned bitsPerSample,
                                  const CPDF_IntervalSet& domain, const CPDF_IntervalSet& range) {
    GLIB_ASSERT_CMP(domain.NumIntervals(), ==, size.size());
    GLIB_ASSERT(IsValidBitsPerSample(bitsPerSample));
    GLIB_ASSERT(std::find(size.begin(), size.end(), 0u) == size.end());
    if (domain.NumIntervals() > MaxDomainDimension)
        GLIB_THROW(CPDF_Exception, CPDF_InvalidFunctionCode,
                   "CPDF_SampleTable: " << domain.NumIntervals() << " inputs, more than " << MaxDomainDimension);
    const uint64_t dataSize = DataSizeFor(size, range.NumIntervals(), bitsPerSample);
    if (dataSize > MaxDataSize)
        GLIB_THROW(CPDF_Exception, CPDF_InvalidFunctionCode,
                   "CPDF_SampleTable: the samples take more than " << MaxDataSize << " bytes");
    m_size = size;
    m_bitsPerSample = bitsPerSample;
    m_domain = domain;
    m_range = range;
    m_rangeDim = range.NumIntervals();
    m_domainDim = domain.NumIntervals();
    m_order = CPDF_InterpolationOrderLinear;
    ResetDecode();
    ResetEncode();
    m_packer.Init(bitsPerSample);
    m_unpacker.Init(bitsPerSample);
    m_data.assign(static_cast<size_t>(dataSize), 0);
    m_tuple.assign(m_rangeDim, 0);
    m_corners.assign(m_domainDim <= MaxEvaluatedDimension ? size_t(1) << m_domainDim : 0, 0.0);
}

unsigned CPDF_SampleTable::Size(unsigned domainIndex) const {
    GLIB_ASSERT_CMP(domainIndex, <, m_domainDim);
    return m_size[domainIndex];
}

void CPDF_SampleTable::SetOrder(int order) {
    GLIB_ASSERT(order == CPDF_InterpolationOrderCubic || order == CPDF_InterpolationOrderLinear);
    m_order = order;
}

void CPDF_SampleTable::SetDecode(const CPDF_DecodeArray& decode) {
    GLIB_ASSERT_CMP(decode.Dimension(), ==, m_rangeDim);
    m_decode = decode;
    m_hasDecode = true;
}

void CPDF_SampleTable::SetEncode(const CPDF_DecodeArray& encode) {
    GLIB_ASSERT_CMP(encode.Dimension(), ==, m_domainDim);
    m_encode = encode;
    m_hasEncode = true;
}

void CPDF_SampleTable::ResetDecode() {
    m_decode.SetDimension(m_range.NumIntervals());
    for (unsigned j = 0; j < m_range.NumIntervals(); ++j) {
        double min, max;
        m_range.Get(j, min, max);
        m_decode.Set(j, min, max);
    }
    m_hasDecode = false;
}

void CPDF_SampleTable::ResetEncode() {
    m_encode = DefaultEncode();
    m_hasEncode = false;
}

CPDF_DecodeArray CPDF_SampleTable::DefaultEncode() const {
    CPDF_DecodeArray encode(static_cast<unsigned>(m_size.size()));
    for (unsigned i = 0; i < m_size.size(); ++i)
        encode.Set(i, 0.0, static_cast<double>(m_size[i]) - 1.0);
    return encode;
}

void CPDF_SampleTable::SetDomain(const CPDF_IntervalSet& domain) {
    GLIB_ASSERT_CMP(domain.NumIntervals(), ==, m_domainDim);
    m_domain = domain;
    if (!m_hasEncode)
        ResetEncode();
}

void CPDF_SampleTable::SetRange(const CPDF_IntervalSet& range) {
    GLIB_ASSERT_CMP(range.NumIntervals(), ==, m_rangeDim);
    m_range = range;
    if (!m_hasDecode)
        ResetDecode();
}

uint32_t CPDF_SampleTable::NumGridPoints() const {
    uint32_t points = 1;
    for (const uint32_t s : m_size)
        points *= s;
    return points;
}

uint32_t CPDF_SampleTable::LinearIndex(const std::vector<uint32_t>& multiIndex) const {
    GLIB_ASSERT_CMP(multiIndex.size(), ==, m_domainDim);
    uint32_t linear = 0;
    for (size_t i = m_domainDim; i-- > 0;)
        linear = linear * m_size[i] + multiIndex[i];
    return linear;
}

std::vector<uint32_t> CPDF_SampleTable::MultiIndex(uint32_t linearIndex) const {
    std::vector<uint32_t> multiIndex(m_domainDim);
    MultiIndex(linearIndex, multiIndex.data());
    return multiIndex;
}

void CPDF_SampleTable::MultiIndex(uint32_t linearIndex, uint32_t* multiIndex) const {
    for (unsigned i = 0; i < m_domainDim; ++i) {
        multiIndex[i] = linearIndex % m_size[i];
        linearIndex /= m_size[i];
    }
}

void CPDF_SampleTable::GetSample(uint32_t linearIndex, double* out) const {
    GLIB_ASSERT_CMP(linearIndex, <, NumGridPoints());
    if (m_rangeDim == 0)
        return;
    const uint64_t bit = BitOffset(uint64_t(linearIndex) * m_rangeDim);
    m_unpacker.Convert(m_rangeDim, m_data.data() + bit / 8, static_cast<FILT_Size>(bit % 8), m_tuple.data());
    m_decode.DecodeSamples(m_tuple.data(), out, m_bitsPerSample, 1);
}

void CPDF_SampleTable::GetSample(const std::vector<uint32_t>& multiIndex, double* out) const {
    GetSample(LinearIndex(multiIndex), out);
}

void CPDF_SampleTable::GetSample(uint32_t i, uint32_t j, double* out) const {
    GLIB_ASSERT_CMP(m_domainDim, ==, 2u);
    GetSample(LinearIndex({i, j}), out);
}

void CPDF_SampleTable::SetSample(const std::vector<uint32_t>& multiIndex, const double* values) {
    PutGridPoint(LinearIndex(multiIndex), values);
}

void CPDF_SampleTable::SetSample(uint32_t i, uint32_t j, const double* values) {
    GLIB_ASSERT_CMP(m_domainDim, ==, 2u);
    PutGridPoint(LinearIndex({i, j}), values);
}

void CPDF_SampleTable::PutGridPoint(uint32_t linearIndex, const double* values) {
    GLIB_ASSERT_CMP(linearIndex, <, NumGridPoints());
    if (m_rangeDim == 0)
        return;
    m_decode.EncodeSamples(values, m_tuple.data(), m_bitsPerSample, 1);
    const uint64_t bit = BitOffset(uint64_t(linearIndex) * m_rangeDim);
    m_packer.Convert(m_rangeDim, m_tuple.data(), m_data.data() + bit / 8, static_cast<FILT_Size>(bit % 8));
}

uint32_t CPDF_SampleTable::RawSample(uint32_t k) const {
    GLIB_ASSERT_CMP(k, <, NumSamples());
    return Fetch(k);
}

uint32_t CPDF_SampleTable::Fetch(uint32_t k) const {
    const uint64_t bit = BitOffset(k);
    uint32_t value = 0;
    m_unpacker.Convert(1, m_data.data() + bit / 8, static_cast<FILT_Size>(bit % 8), &value);
    return value;
}

void CPDF_SampleTable::DecodeOutputs(double* values, unsigned count) const {
    const double max = static_cast<double>(CPDF_DecodeArray::MaxIntValue(m_bitsPerSample));
    for (unsigned j = 0; j < m_rangeDim; ++j) {
        double dmin, dmax;
        m_decode.Get(j, dmin, dmax);
        const double scale = (dmax - dmin) / max;
        for (size_t p = 0; p < count; ++p)
            values[p * m_rangeDim + j] = dmin + values[p * m_rangeDim + j] * scale;
    }
}

void CPDF_SampleTable::Evaluate(double* in, double* out, unsigned count) {
    const unsigned m = m_domainDim;
    const unsigned n = m_rangeDim;
    if (m > MaxEvaluatedDimension)
        GLIB_THROW(CPDF_Exception, CPDF_InvalidFunctionCode,
                   "CPDF_SampleTable: cannot evaluate " << m << " inputs, at most " << MaxEvaluatedDimension);
    for (unsigned i = 0; i < m; ++i) {
        double d0, d1, e0, e1;
        m_domain.Get(i, d0, d1);
        m_encode.Get(i, e0, e1);
        CPDF_Utils::LinearRemap(in + i, d0, d1, e0, e1, static_cast<int>(count), static_cast<int>(m));
        const double last = static_cast<double>(m_size[i]) - 1.0;
        for (size_t p = 0; p < count; ++p) {
            double& x = in[p * m + i];
            if (!(x >= 0))
                x = 0;
            else if (x > last)
                x = last;
        }
    }
    // Grid index steps of each input; an input of Size 1 has no upper
    // neighbour, so its upper corners repeat the lower ones at weight 0.
    uint32_t step[MaxEvaluatedDimension];
    uint32_t stride = 1;
    for (unsigned i = 0; i < m; ++i) {
        step[i] = m_size[i] > 1 ? stride : 0;
        stride *= m_size[i];
    }
    const uint32_t numCorners = uint32_t(1) << m;
    for (size_t p = 0; p < count; ++p) {
        const double* x = in + p * m;
        uint32_t base = 0;
        stride = 1;
        for (unsigned i = 0; i < m; ++i) {
            uint32_t cell = 0;
            double fraction = 0;
            if (m_size[i] > 1) {
                cell = std::min(static_cast<uint32_t>(x[i]), m_size[i] - 2);
                fraction = x[i] - cell;
                fraction = fraction > 1 ? 1 : (fraction >= 0 ? fraction : 0);
            }
            m_fraction[i] = fraction;
            base += cell * stride;
            stride *= m_size[i];
        }
        for (unsigned j = 0; j < n; ++j) {
            for (uint32_t c = 0; c < numCorners; ++c) {
                uint32_t point = base;
                for (unsigned i = 0; i < m; ++i) {
                    if (c & (uint32_t(1) << i))
                        point += step[i];
                }
                m_corners[c] = Fetch(point * n + j);
            }
            for (unsigned i = 0, half = numCorners / 2; i < m; ++i, half /= 2) {
                const double f = m_fraction[i];
                for (uint32_t c = 0; c < half; ++c)
                    m_corners[c] = (1 - f) * m_corners[2 * c] + m_corners[2 * c + 1] * f;
            }
            out[p * n + j] = m_corners[0];
        }
    }
    DecodeOutputs(out, count);
}

GLOB_Object CPDF_SampleTable::MakeObject(const GLOB_Doc& doc) const {
    // The memory stream only reads the samples.
    GLOB_Stream samples(GLIB_NEW GLOB_MemoryStream(const_cast<uint8_t*>(m_data.data()), DataSize(), true));
    const GLOB_Object attributes = doc.NewDict(1, false);
    attributes.DictPut(GLOB_Name("Filter"), doc.NewName(GLOB_Name("FlateDecode"), false));
    const GLOB_Object stream = doc.NewStream(samples, 0, attributes, GLOB_Object(), -1);
    stream.DictPut(GLOB_Name("FunctionType"), doc.NewInteger(0, false));
    stream.DictPut(GLOB_Name("Range"), m_range.MakeObject(&doc));
    stream.DictPut(GLOB_Name("Domain"), m_domain.MakeObject(&doc));
    const GLOB_Object size = doc.NewArray(m_domainDim, false);
    for (uint32_t i = 0; i < m_domainDim; ++i)
        size.ArrayPut(i, doc.NewInteger(static_cast<int32_t>(m_size[i]), false));
    stream.DictPut(GLOB_Name("Size"), size);
    stream.DictPut(GLOB_Name("BitsPerSample"), doc.NewInteger(static_cast<int32_t>(m_bitsPerSample), false));
    stream.DictPut(GLOB_Name("Order"), doc.NewInteger(m_order, false));
    if (m_hasEncode)
        stream.DictPut(GLOB_Name("Encode"), m_encode.MakeObject(&doc));
    if (m_hasDecode)
        stream.DictPut(GLOB_Name("Decode"), m_decode.MakeObject(&doc));
    return stream;
}
