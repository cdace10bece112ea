// The line dash pattern of a graphics state (ISO 32000 8.4.3.6): lengths that
// alternate between dashes and gaps, dash first, and a phase, the distance
// into the pattern at which a line starts. No lengths means a solid line. A
// copy-on-write value over one counted core: every change first gives the
// pattern a core of its own when the core is shared; a core held by one
// pattern changes in place.
//
// The operations that take PDF objects (from d and from an ExtGState's D)
// and the setters assert what their callers are to have checked with
// IsValidArray, and then carry on with what they were given: a non-number
// counts as 0.
#pragma once

#include "COMN_COWReferenceCountPointer.h"
#include "GLOB/GLOB_Doc.h"
#include "GLOB/GLOB_Object.h"

#include <cstdint>
#include <iosfwd>
#include <vector>

class GLOB_Array;

// The shared record of a dash pattern.
struct iCPDF_DashPatternCore {
    std::vector<double> m_array;
    double m_phase = 0.0;
};

class CPDF_DashPattern {
public:
    // Walks a pattern piece by piece from its phase: each Next gives what is
    // left of the current dash or gap and moves to the next one. A solid
    // pattern is one endless dash (the largest finite double, every time).
    // So is a pattern whose lengths are all zero (ISO 32000 leaves it
    // undefined; viewers draw a solid line), and a phase beyond the
    // pattern's period is reduced first: every walk starts in bounded time.
    // A negative phase -d starts at s - d for lengths of sum s, d taken into
    // (0, s] first.
    class Iterator {
    public:
        explicit Iterator(const CPDF_DashPattern& pattern);
        double Next();
        // As Next, and dash tells whether the piece returned is a dash.
        double Next(bool& dash);

    private:
        void Advance();

        bool m_dash = true;  // the opposite of whether the current piece is a dash
        uint32_t m_index = 0;
        double m_remaining = 0.0;
        std::vector<double> m_lengths;
    };

    // Solid, phase 0, room for n lengths.
    explicit CPDF_DashPattern(uint32_t n = 0);
    // The operands of d: an array of lengths and a phase.
    CPDF_DashPattern(const GLOB_Object& array, const GLOB_Object& phase);
    // An ExtGState's D entry: [array phase].
    explicit CPDF_DashPattern(const GLOB_Object& dashPattern);
    CPDF_DashPattern(double phase, const std::vector<double>& lengths);

    // Every element an Integer or Real not below 0; an empty array is valid.
    static bool IsValidArray(const GLOB_Array& array);

    // The lengths become the array's numbers (asserting IsValidArray).
    void SetArray(const GLOB_Array& array);
    uint32_t Length() const { return static_cast<uint32_t>(m_core->m_array.size()); }
    // Length index; asserts index < Length and gives 0 beyond.
    double Get(uint32_t index) const;
    // Adds a length (asserting value >= 0).
    void Append(double value);
    // Length index becomes value (asserting value >= 0); an index past the
    // end first extends the lengths with zeros.
    void Set(uint32_t index, double value);
    // No lengths, phase 0.
    void SetSolid();
    // Any value, negative ones too.
    void SetPhase(double phase);
    double Phase() const { return m_core->m_phase; }
    bool IsSolid() const { return m_core->m_array.empty(); }

    // Equal phases and equal lengths, compared exactly.
    bool operator==(const CPDF_DashPattern& other) const;
    bool operator!=(const CPDF_DashPattern& other) const { return !(*this == other); }

    // A new array [[l0 l1 …] phase] of Reals in doc (the memory document by
    // default).
    GLOB_Object AsObject(const GLOB_Doc& doc = GLOB_ObjectFactory::MemoryDoc()) const;
    // "[l0 l1 …] phase".
    void Print(std::ostream& os) const;
    // The printout, logged at level 8.
    void Log() const;

private:
    std::vector<double>& Lengths() { return m_core.Mutable()->m_array; }
    // The lengths of array and the phase, each as far as it is of the kind
    // asserted.
    void Assign(const GLOB_Object& array, const GLOB_Object& phase);

    COMN_COWReferenceCountPointer<iCPDF_DashPatternCore> m_core;
};

std::ostream& operator<<(std::ostream& os, const CPDF_DashPattern& pattern);
