// PDF syntax of the scalars the writer puts out.
#pragma once

#include <string>

// Plain decimal with a decimal point (so it reads back as a real), never an
// exponent, with the fewest digits that read back as the same double:
// 40000.0 -> "40000.0", 1e-7 -> "0.0000001". The value must be finite.
std::string VCOS_FormatReal(double value);

// "/" and the name, bytes outside the regular set as "#xx".
std::string VCOS_FormatName(const std::string& name);

// A literal string: "\", "(" and ")" escaped, bytes outside printable ASCII
// as three-digit octal escapes.
std::string VCOS_FormatString(const std::string& bytes);
