// Shorthands shared by the content-model tests.
#pragma once

#include "CPDF/CPDF_Exception.h"
#include "CPDF/color/CPDF_Color.h"
#include "GLIB/GLIB_Geometry.h"
#include "GLOB/GLOB_TestUtil.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

// An object written in PDF syntax, made in the memory document.
inline GLOB_Object Obj(const std::string& text) { return GLOB_ObjectFactory::MemoryDoc().ParseObject(text.c_str()); }

// What call threw: "<code> <message>" for the content model's family,
// "plain <code> <message>" for another GLIB_Exception, "assert <expression>"
// for a reached assertion.
inline std::string Thrown(const std::function<void()>& call) {
    try {
        call();
    } catch (const CPDF_Exception& e) {
        return std::to_string(e.Code()) + " " + e.What();
    } catch (const GLIB_Exception& e) {
        return "plain " + std::to_string(e.Code()) + " " + e.What();
    } catch (const TestAssertionFailure& e) {
        return "assert " + e.m_expression;
    }
    return "no exception";
}

// What read returns, or Thrown's text when it throws.
template <class Read>
std::string Outcome(Read read) {
    std::string text;
    const std::string thrown = Thrown([&] { text = read(); });
    return thrown == "no exception" ? text : thrown;
}

// What x writes to a stream with <<.
template <class T>
std::string Streamed(const T& x) {
    std::ostringstream os;
    os << x;
    return os.str();
}

// "llx lly urx ury", corners as they are.
inline std::string RectText(const GLIB_Rect& r) {
    std::ostringstream os;
    os << r.Llx() << " " << r.Lly() << " " << r.Urx() << " " << r.Ury();
    return os.str();
}

// The text a validator leaves in a string that held other text before, or
// "valid" when it accepts the object; the answer must agree with the text
// and with a call without a string.
template <class Validator>
std::string Validated(Validator validate, const GLOB_Object& object) {
    std::string messages = "earlier text";
    const bool valid = validate(object, &messages);
    EXPECT_EQ(valid, validate(object, nullptr));
    EXPECT_EQ(valid, messages.empty());
    return valid ? "valid" : messages;
}

// What T reads of object (as it streams, the same after a round trip through
// MakeObject), or the lines of T::IsValid, which the constructor must throw
// under code.
template <class T>
std::string ReadBack(const GLOB_Object& object, uint32_t code) {
    const std::string text = Validated(T::IsValid, object);
    if (text != "valid") {
        EXPECT_EQ(Thrown([&] { T t(object); }), std::to_string(code) + " " + text);
        return text;
    }
    const T read(object);
    EXPECT_EQ(T(read.MakeObject()), read);
    return Streamed(read);
}

// The outputs of function at the points of in (DomainDimension values each).
template <class Function>
std::vector<double> Outputs(Function function, std::vector<double> in) {
    const unsigned count = static_cast<unsigned>(in.size() / std::max(1u, function.DomainDimension()));
    std::vector<double> out(static_cast<size_t>(count) * function.RangeDimension(), -99);
    function.Evaluate(in.data(), out.data(), count);
    return out;
}

inline std::vector<double> Values(const CPDF_Color& color) {
    return std::vector<double>(color.Components(), color.Components() + color.NumComponents());
}

// Element by element within tolerance, and the same size.
inline void ExpectNear(const std::vector<double>& got, const std::vector<double>& want, double tolerance = 1e-12) {
    ASSERT_EQ(got.size(), want.size());
    for (size_t i = 0; i < got.size(); ++i)
        EXPECT_NEAR(got[i], want[i], tolerance) << "at " << i;
}
