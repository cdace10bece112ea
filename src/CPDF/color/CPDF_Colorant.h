// A colorant (ink) name, with the tests that sort names into process inks,
// device names and the meta names. Every name that is neither a process ink
// nor a meta name is a spot ink (the other four device names included); that
// is how a page's ink list is formed. Names compare as exact, case-sensitive
// bytes; an empty name (no text) matches no table entry.
#pragma once

#include "GLOB/GLOB_Name.h"

#include <ostream>

class CPDF_Colorant {
public:
    // The empty name.
    CPDF_Colorant() = default;
    // name must not be null.
    explicit CPDF_Colorant(const char* name) : m_name(name) {}
    explicit CPDF_Colorant(const GLOB_Name& name) : m_name(name) {}

    const GLOB_Name& Name() const { return m_name; }
    // The text, or null for the empty name.
    const char* CStr() const { return m_name.CStr(); }

    // "Cyan", "Magenta", "Yellow", "Black".
    bool IsCMYKColorant() const;
    // The process inks and "Gray", "Red", "Green", "Blue".
    bool IsDeviceColorant() const;
    // "All" and "None".
    bool IsMetaColorant() const;

    // Equal texts; two empty names are equal.
    bool operator==(const CPDF_Colorant& other) const { return m_name == other.m_name; }
    bool operator!=(const CPDF_Colorant& other) const { return !(*this == other); }

private:
    GLOB_Name m_name;
};

// The text (nothing for an empty name).
std::ostream& operator<<(std::ostream& os, const CPDF_Colorant& colorant);
