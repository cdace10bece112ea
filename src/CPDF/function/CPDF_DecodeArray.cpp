#include "CPDF/function/CPDF_DecodeArray.h"

#include "CPDF/CPDF_Exception.h"
#include "CPDF/iCPDF_ValidationMessage.h"
#include "GLIB/GLIB_Assert.h"
#include "GLOB/GLOB_ObjectFactory.h"

#include <cmath>

namespace {

double DecodeOne(double dmin, double dmax, unsigned sample, double max) {
    return dmin + ((dmax - dmin) * static_cast<double>(static_cast<uint64_t>(sample))) / max;
}

unsigned EncodeOne(double dmin, double dmax, double value, unsigned max) {
    const double t = (value - dmin) / (dmax - dmin);
    if (!(t >= 0))
        return 0;
    if (t > 1)
        return max;
    return static_cast<unsigned>(static_cast<double>(max) * t + 0.5);
}

}  // namespace

CPDF_DecodeArray::CPDF_DecodeArray() : CPDF_DecodeArray(1u) {}

CPDF_DecodeArray::CPDF_DecodeArray(unsigned n) : m_aParams(n, Pair{0.0, 1.0}) {}

CPDF_DecodeArray::CPDF_DecodeArray(const double* values, unsigned n) { SetPairs(values, n); }

CPDF_DecodeArray::CPDF_DecodeArray(const GLOB_Object& array) {
    std::string messages;
    if (!IsValid(array, &messages))
        CPDF_THROW_INVALID(CPDF_InvalidIntervalCode, messages);
    m_aParams.resize(array.Length() / 2);
    for (uint32_t i = 0; i < m_aParams.size(); ++i)
        m_aParams[i] = Pair{array.Get(2 * i).AsNumber(), array.Get(2 * i + 1).AsNumber()};
}

void CPDF_DecodeArray::SetDimension(unsigned n) { m_aParams.assign(n, Pair{0.0, 1.0}); }

void CPDF_DecodeArray::SetPairs(const double* values, unsigned n) {
    m_aParams.resize(n);
    for (unsigned i = 0; i < n; ++i)
        m_aParams[i] = Pair{values[2 * i], values[2 * i + 1]};
}

void CPDF_DecodeArray::Set(unsigned index, double dmin, double dmax) {
    GLIB_ASSERT_CMP(index, <, m_aParams.size());
    m_aParams[index] = Pair{dmin, dmax};
}

void CPDF_DecodeArray::Get(unsigned index, double& dmin, double& dmax) const {
    GLIB_ASSERT_CMP(index, <, m_aParams.size());
    dmin = m_aParams[index].dmin;
    dmax = m_aParams[index].dmax;
}

bool CPDF_DecodeArray::operator==(const CPDF_DecodeArray& other) const {
    if (Dimension() != other.Dimension())
        return false;
    for (size_t i = 0; i < m_aParams.size(); ++i) {
        if (!(std::fabs(m_aParams[i].dmin - other.m_aParams[i].dmin) <= 1e-6 &&
              std::fabs(m_aParams[i].dmax - other.m_aParams[i].dmax) <= 1e-6))
            return false;
    }
    return true;
}

GLOB_Object CPDF_DecodeArray::MakeObject(const GLOB_Doc* doc) const {
    const GLOB_Doc target = doc ? *doc : GLOB_ObjectFactory::MemoryDoc();
    const GLOB_Object array = target.NewArray(2 * Dimension(), false);
    for (uint32_t i = 0; i < m_aParams.size(); ++i) {
        array.ArrayPut(2 * i, target.NewReal(m_aParams[i].dmin, false));
        array.ArrayPut(2 * i + 1, target.NewReal(m_aParams[i].dmax, false));
    }
    return array;
}

bool CPDF_DecodeArray::IsValid(const GLOB_Object& object, std::string* messages) {
    iCPDF_ValidationMessage collector(messages);
    if (!object.IsArray()) {
        collector.Stream() << "A decode array must be an Array, found " << GLOB_Object::TypeString(object.Type());
        return false;
    }
    const uint32_t n = object.Length();
    if (n % 2 != 0)
        collector.Stream() << "A decode array must be of even length, found " << n;
    for (uint32_t i = 0; i < n; ++i) {
        const GLOB_Object element = object.Get(i);
        if (!element.IsNumber()) {
            std::ostream& os = collector.Stream();
            os << "A decode array must have numeric entries. "
               << "Found, in position " << i << ": ";
            element.Print(os);
        }
    }
    return collector.IsValid();
}

unsigned CPDF_DecodeArray::MaxIntValue(unsigned bitsPerInt) {
    GLIB_ASSERT_CMP(bitsPerInt, <=, MaxBitsPerInt);
    GLIB_ASSERT_CMP(bitsPerInt, >=, 1u);
    return bitsPerInt >= 32 ? 0xFFFFFFFFu : (1u << bitsPerInt) - 1u;
}

double CPDF_DecodeArray::Decode(unsigned sample, unsigned index, unsigned bitsPerInt) const {
    GLIB_ASSERT_CMP(index, <, Dimension());
    const double max = static_cast<double>(MaxIntValue(bitsPerInt));
    return DecodeOne(m_aParams[index].dmin, m_aParams[index].dmax, sample, max);
}

unsigned CPDF_DecodeArray::Encode(double value, unsigned index, unsigned bitsPerInt) const {
    GLIB_ASSERT_CMP(index, <, m_aParams.size());
    return EncodeOne(m_aParams[index].dmin, m_aParams[index].dmax, value, MaxIntValue(bitsPerInt));
}

void CPDF_DecodeArray::DecodeSamples(const unsigned* in, double* out, unsigned bitsPerInt, unsigned numPixels) const {
    const size_t n = Dimension();
    if (n < 1)
        return;
    const double max = static_cast<double>(MaxIntValue(bitsPerInt));
    for (size_t c = 0; c < n; ++c) {
        for (size_t p = 0; p < numPixels; ++p)
            out[p * n + c] = DecodeOne(m_aParams[c].dmin, m_aParams[c].dmax, in[p * n + c], max);
    }
}

void CPDF_DecodeArray::EncodeSamples(const double* in, unsigned* out, unsigned bitsPerInt, unsigned numPixels) const {
    const size_t n = Dimension();
    if (n < 1)
        return;
    const unsigned max = MaxIntValue(bitsPerInt);
    for (size_t c = 0; c < n; ++c) {
        for (size_t p = 0; p < numPixels; ++p)
            out[p * n + c] = EncodeOne(m_aParams[c].dmin, m_aParams[c].dmax, in[p * n + c], max);
    }
}

std::ostream& operator<<(std::ostream& os, const CPDF_DecodeArray& decode) {
    os << "Decode: [ ";
    for (unsigned i = 0; i < decode.Dimension(); ++i) {
        double dmin, dmax;
        decode.Get(i, dmin, dmax);
        os << "( " << dmin << " " << dmax << " )";
    }
    return os << " ]";
}
