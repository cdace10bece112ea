// The string stream in which every assertion, log and exception text is
// composed, and the macros that compose them with this file and line.
#pragma once

#include <cstdint>
#include <sstream>
#include <string>
#include <type_traits>

class GLIB_MessageStream : public std::ostringstream {
public:
    GLIB_MessageStream() : std::ostringstream(std::ios_base::out) {}

    std::ostream& Stream() { return *this; }
    // GLIB_AssertFailed with the text as the expression.
    void Assert(const char* file, uint32_t line) const;
    // GLIB_Log with the text.
    void Log(int32_t level, const char* file, int32_t line) const;
};

// Values of a failed comparison are printed as numbers, also for byte types.
template <class T>
auto GLIB_Printable(const T& v) {
    if constexpr (std::is_same_v<T, char> || std::is_same_v<T, signed char> ||
                  std::is_same_v<T, unsigned char> || std::is_same_v<T, bool>)
        return static_cast<int>(v);
    else if constexpr (std::is_pointer_v<T>)
        return static_cast<const void*>(v);
    else
        return v;
}

// Composes "a<op>b :: <value of a><op><value of b>".
#define GLIB_COMPARISON_TEXT_(ms, a, op, b, va, vb) \
    (ms) << #a #op #b " :: " << GLIB_Printable(va) << #op << GLIB_Printable(vb)
