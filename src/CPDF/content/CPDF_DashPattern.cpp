#include "CPDF/content/CPDF_DashPattern.h"

#include "GLIB/GLIB_Assert.h"
#include "GLIB/GLIB_Log.h"
#include "GLIB/GLIB_New.h"
#include "GLOB/GLOB_Array.h"

#include <cfloat>
#include <cmath>
#include <ostream>

CPDF_DashPattern::Iterator::Iterator(const CPDF_DashPattern& pattern) : m_lengths(pattern.m_core->m_array) {
    double sum = 0.0;
    for (double length : m_lengths)
        sum += length;
    if (!(sum > 0.0)) {
        m_lengths.clear();
        m_remaining = DBL_MAX;
        return;
    }
    const double phase = pattern.Phase();
    double start = phase;
    if (phase < 0.0) {
        double d = -phase;
        if (d > sum) {
            d = std::fmod(d, sum);
            if (d == 0.0)
                d = sum;
        }
        start = sum - d;
    } else {
        // An odd count of lengths swaps dashes and gaps on each round.
        const double period = m_lengths.size() % 2 ? 2.0 * sum : sum;
        if (start >= period)
            start = std::fmod(start, period);
    }
    do {
        Advance();
    } while (start >= m_remaining);
    m_remaining -= start;
}

void CPDF_DashPattern::Iterator::Advance() {
    m_dash = !m_dash;
    m_remaining += m_lengths[m_index];
    m_index = (m_index + 1) % static_cast<uint32_t>(m_lengths.size());
}

double CPDF_DashPattern::Iterator::Next() {
    const double piece = m_remaining;
    if (!m_lengths.empty()) {
        m_remaining = 0.0;
        Advance();
    }
    return piece;
}

double CPDF_DashPattern::Iterator::Next(bool& dash) {
    const double piece = Next();
    dash = m_dash;
    return piece;
}

CPDF_DashPattern::CPDF_DashPattern(uint32_t n)
    : m_core(new (__LINE__, "CPDF_DashPattern") iCPDF_DashPatternCore) {
    if (n > 0)
        Lengths().reserve(n);
}

CPDF_DashPattern::CPDF_DashPattern(const GLOB_Object& array, const GLOB_Object& phase) : CPDF_DashPattern() {
    Assign(array, phase);
}

CPDF_DashPattern::CPDF_DashPattern(const GLOB_Object& dashPattern) : CPDF_DashPattern() {
    GLIB_ASSERT(dashPattern.IsArray());
    if (!dashPattern.IsArray())
        return;
    const GLOB_Array pair = dashPattern.AsArray();
    GLIB_ASSERT(pair.Length() == 2);
    if (pair.Length() >= 2)
        Assign(pair.Get(0), pair.Get(1));
}

CPDF_DashPattern::CPDF_DashPattern(double phase, const std::vector<double>& lengths)
    : m_core(new (__LINE__, "CPDF_DashPattern") iCPDF_DashPatternCore{lengths, phase}) {}

void CPDF_DashPattern::Assign(const GLOB_Object& array, const GLOB_Object& phase) {
    GLIB_ASSERT(phase.IsNumber());
    GLIB_ASSERT(array.IsArray());
    if (array.IsArray())
        SetArray(array.AsArray());
    m_core.Mutable()->m_phase = phase.IsNumber() ? phase.AsNumber() : 0.0;
}

bool CPDF_DashPattern::IsValidArray(const GLOB_Array& array) {
    for (uint32_t i = 0; i < array.Length(); ++i) {
        const GLOB_Object length = array.Get(i);
        if (!length.IsNumber() || !(length.AsNumber() >= 0.0))
            return false;
    }
    return true;
}

void CPDF_DashPattern::SetArray(const GLOB_Array& array) {
    GLIB_ASSERT(IsValidArray(array));
    std::vector<double>& lengths = Lengths();
    lengths.clear();
    for (uint32_t i = 0; i < array.Length(); ++i) {
        const GLOB_Object length = array.Get(i);
        lengths.push_back(length.IsNumber() ? length.AsNumber() : 0.0);
    }
}

double CPDF_DashPattern::Get(uint32_t index) const {
    GLIB_ASSERT_CMP(index, <, Length());
    return index < Length() ? m_core->m_array[index] : 0.0;
}

void CPDF_DashPattern::Append(double value) {
    GLIB_ASSERT_CMP(value, >=, 0);
    Lengths().push_back(value);
}

void CPDF_DashPattern::Set(uint32_t index, double value) {
    GLIB_ASSERT_CMP(value, >=, 0);
    std::vector<double>& lengths = Lengths();
    if (index >= lengths.size())
        lengths.resize(static_cast<size_t>(index) + 1, 0.0);
    lengths[index] = value;
}

void CPDF_DashPattern::SetSolid() {
    iCPDF_DashPatternCore& core = *m_core.Mutable();
    core.m_array.clear();
    core.m_phase = 0.0;
}

void CPDF_DashPattern::SetPhase(double phase) { m_core.Mutable()->m_phase = phase; }

bool CPDF_DashPattern::operator==(const CPDF_DashPattern& other) const {
    return m_core->m_phase == other.m_core->m_phase && m_core->m_array == other.m_core->m_array;
}

GLOB_Object CPDF_DashPattern::AsObject(const GLOB_Doc& doc) const {
    const GLOB_Object result = doc.NewArray(2, false);
    const GLOB_Object lengths = doc.NewArray(Length(), false);
    for (uint32_t i = 0; i < Length(); ++i)
        lengths.ArrayPut(i, doc.NewReal(m_core->m_array[i], false));
    result.ArrayPut(0, lengths);
    result.ArrayPut(1, doc.NewReal(m_core->m_phase, false));
    return result;
}

void CPDF_DashPattern::Print(std::ostream& os) const {
    os << "[";
    for (uint32_t i = 0; i < Length(); ++i)
        os << (i ? " " : "") << m_core->m_array[i];
    os << "] " << m_core->m_phase;
}

void CPDF_DashPattern::Log() const {
    GLIB_MessageStream ms;
    Print(ms);
    ms.Log(GLIB_LogInfo, __FILE__, __LINE__);
}

std::ostream& operator<<(std::ostream& os, const CPDF_DashPattern& pattern) {
    pattern.Print(os);
    return os;
}
