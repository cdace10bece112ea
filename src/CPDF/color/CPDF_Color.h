// A colour value: an ordered list of double components, one per component
// of some colour space (which the value does not carry). A small handle over
// a counted core shared by copies; every change first gives the handle a
// core of its own (copy-on-write). There is no null colour: a colour of no
// components is a core with a count of 0.
//
// Count and capacity are 32-bit, so a colour read from a document (a C0 of
// 70,000 numbers) keeps every component.
#pragma once

#include "GLOB/GLOB_Doc.h"
#include "GLOB/GLOB_Object.h"

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

class iCPDF_ColorCore;

class CPDF_Color {
public:
    // 8 components, all 0.0: the default of arrays of colours.
    CPDF_Color();
    // n components, all 0.0.
    explicit CPDF_Color(unsigned n);
    explicit CPDF_Color(const std::vector<double>& values);
    CPDF_Color(const double* values, unsigned n);
    // A non-empty Array of numbers, Integers converted. Anything else throws
    // CPDF_Exception 1128002 with the lines of IsValidColor.
    explicit CPDF_Color(const GLOB_Object& array);
    // Shares other's core.
    CPDF_Color(const CPDF_Color& other);
    CPDF_Color& operator=(const CPDF_Color& other);
    ~CPDF_Color();

    unsigned NumComponents() const;
    // Component i < NumComponents (not checked).
    double Component(unsigned i) const;
    // Valid until the next change through any handle of the core.
    const double* Components() const;

    // Same core, or equal counts and every component equal as a double.
    bool operator==(const CPDF_Color& other) const;
    bool operator!=(const CPDF_Color& other) const { return !(*this == other); }
    // "Color: " and each component followed by one blank.
    std::ostream& Print(std::ostream& os) const;
    // A new direct Array of direct Reals in doc (null: the memory document).
    GLOB_Object MakeObject(const GLOB_Doc* doc = nullptr) const;

    // Validator (iCPDF_ValidationMessage convention): "Color should be an
    // array, found <type>" (then stops); "Color array has zero length.";
    // "Color array entries should be numeric. At index <i> found <type>" for
    // every element that is not an Integer or Real.
    static bool IsValidColor(const GLOB_Object& object, std::string* messages);

    // Changes; each first detaches a shared core.
    void SetComponent(unsigned i, double value);
    void Zero();
    // n components, all 0.0; an unshared core keeps its storage when it
    // shrinks.
    void SetNumComponents(unsigned n);
    void Assign(const std::vector<double>& values);
    void Assign(const double* values, unsigned n);
    // Keeps the count; copies that many values.
    void SetComponents(const double* values);

    // Gives the handle a core of its own when the core is shared.
    void MakeUnique();
    // One more count on the core, for a holder outside a handle.
    void AddRef();

private:
    void ReleaseCore();
    void TakeCore(iCPDF_ColorCore* core);

    iCPDF_ColorCore* m_pColorCore;
};
