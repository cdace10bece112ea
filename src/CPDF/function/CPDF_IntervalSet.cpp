#include "CPDF/function/CPDF_IntervalSet.h"

#include "CPDF/CPDF_Exception.h"
#include "CPDF/CPDF_Utils.h"
#include "CPDF/iCPDF_ValidationMessage.h"
#include "GLIB/GLIB_Assert.h"
#include "GLIB/GLIB_New.h"
#include "GLOB/GLOB_ObjectFactory.h"

namespace {

std::vector<double>* UnitIntervals(unsigned n) {
    auto* bounds = GLIB_NEW std::vector<double>(2 * static_cast<size_t>(n), 0.0);
    for (size_t i = 1; i < bounds->size(); i += 2)
        (*bounds)[i] = 1.0;
    return bounds;
}

}  // namespace

CPDF_IntervalSet::CPDF_IntervalSet() : CPDF_IntervalSet(1u) {}

CPDF_IntervalSet::CPDF_IntervalSet(unsigned n) : m_intervals(UnitIntervals(n)) {}

CPDF_IntervalSet::CPDF_IntervalSet(const GLOB_Object& array) : CPDF_IntervalSet(0u) { Parse(array); }

CPDF_IntervalSet::CPDF_IntervalSet(const double* values, unsigned n) : CPDF_IntervalSet(0u) {
    SetIntervals(values, n);
}

void CPDF_IntervalSet::Get(unsigned index, double& min, double& max) const {
    GLIB_ASSERT_CMP(index, <, NumIntervals());
    min = (*m_intervals)[2 * index];
    max = (*m_intervals)[2 * index + 1];
}

void CPDF_IntervalSet::Set(unsigned index, double min, double max) {
    GLIB_ASSERT_CMP(index, <, (m_intervals->size() / 2));
    std::vector<double>& bounds = *m_intervals.Mutable();
    bounds[2 * index] = min;
    bounds[2 * index + 1] = max;
}

void CPDF_IntervalSet::Reset(unsigned n) { m_intervals = UnitIntervals(n); }

void CPDF_IntervalSet::SetIntervals(const double* values, unsigned n) {
    m_intervals.Mutable()->assign(values, values + 2 * static_cast<size_t>(n));
}

void CPDF_IntervalSet::Parse(const GLOB_Object& array) {
    std::string messages;
    if (!IsValid(array, &messages))
        CPDF_THROW_INVALID(CPDF_InvalidIntervalCode, messages);
    std::vector<double>& bounds = *m_intervals.Mutable();
    bounds.resize(array.Length());
    for (uint32_t i = 0; i < bounds.size(); ++i)
        bounds[i] = array.Get(i).AsNumber();
}

bool CPDF_IntervalSet::IsValid(const GLOB_Object& object, std::string* messages) {
    iCPDF_ValidationMessage collector(messages);
    std::string numbers;
    if (!CPDF_Utils::IsValidNumberArray(object, -1, &numbers)) {
        collector.Stream() << numbers;
        return false;
    }
    const uint32_t n = object.Length();
    if (n % 2 != 0) {
        collector.Stream() << "Must be of even length, found " << n;
        return false;
    }
    return true;
}

GLOB_Object CPDF_IntervalSet::MakeObject(const GLOB_Doc* doc) const {
    const GLOB_Doc target = doc ? *doc : GLOB_ObjectFactory::MemoryDoc();
    const std::vector<double>& bounds = *m_intervals;
    const GLOB_Object array = target.NewArray(static_cast<uint32_t>(bounds.size()), false);
    for (uint32_t k = 0; k < bounds.size(); ++k)
        array.ArrayPut(k, target.NewReal(bounds[k], false));
    return array;
}

void CPDF_IntervalSet::Clip(double* values, unsigned count) const {
    const size_t n = NumIntervals();
    const std::vector<double>& bounds = *m_intervals;
    for (size_t i = 0; i < n; ++i) {
        const double min = bounds[2 * i];
        const double max = bounds[2 * i + 1];
        for (size_t p = 0; p < count; ++p) {
            double& v = values[p * n + i];
            if (v < min)
                v = min;
            else if (v > max)
                v = max;
        }
    }
}

void CPDF_IntervalSet::Union(const CPDF_IntervalSet& other) {
    const unsigned numIntervals = NumIntervals();
    GLIB_ASSERT_CMP(numIntervals, ==, other.NumIntervals());
    const std::vector<double>& theirs = *other.m_intervals;
    std::vector<double>& bounds = *m_intervals.Mutable();
    for (size_t i = 0; i < numIntervals; ++i) {
        if (bounds[2 * i] > theirs[2 * i])
            bounds[2 * i] = theirs[2 * i];
        if (bounds[2 * i + 1] < theirs[2 * i + 1])
            bounds[2 * i + 1] = theirs[2 * i + 1];
    }
}

bool CPDF_IntervalSet::operator==(const CPDF_IntervalSet& other) const {
    const std::vector<double>& a = *m_intervals;
    const std::vector<double>& b = *other.m_intervals;
    if (a.size() != b.size())
        return false;
    for (size_t k = 0; k < a.size(); ++k) {
        const double d = a[k] - b[k];
        if (!(d >= -1e-6 && d <= 1e-6))
            return false;
    }
    return true;
}

std::ostream& operator<<(std::ostream& os, const CPDF_IntervalSet& set) {
    os << "Interval Set: [ ";
    for (unsigned i = 0; i < set.NumIntervals(); ++i) {
        double min, max;
        set.Get(i, min, max);
        os << "( " << min << " " << max << " )";
    }
    return os << " ]";
}
