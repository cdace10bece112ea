// Shorthands of the PostScript calculator tests: programs compiled from text
// read in odd chunks, and codes written as text.
#pragma once

#include "CPDF/function/CPDF_PSCalculator.h"
#include "CPDF/function/CPDF_PSCalculatorStack.h"
#include "CPDF/function/CPDF_PSOperator.h"
#include "CPDF/CPDF_TestUtil.h"
#include "support/GLOB_ChunkedCore.h"

#include <memory>
#include <sstream>
#include <string>

inline std::unique_ptr<CPDF_PSCalculator> Compiled(const std::string& text, bool debug = false) {
    auto calculator = std::make_unique<CPDF_PSCalculator>();
    calculator->SetDebug(debug);
    calculator->Load(GLOB_Stream(new GLOB_ChunkedCore(text, {3, 1, 7}, GLOB_StreamCore::Input)));
    return calculator;
}

// "true", "3" for an integer, "3.0" or "0.5" for a real, a name for an
// operator.
inline std::string CodeText(const CPDF_PSCalculator::Code& code) {
    std::ostringstream os;
    switch (code.m_kind) {
    case CPDF_PSCalculator::Code::KindBoolean:
        return code.m_boolean ? "true" : "false";
    case CPDF_PSCalculator::Code::KindInteger:
        return std::to_string(code.m_integer);
    case CPDF_PSCalculator::Code::KindReal:
        os << code.m_real;
        if (os.str().find_first_of(".en") == std::string::npos)
            os << ".0";
        return os.str();
    default:
        return CPDF_PSOperatorTable::Name(code.m_op);
    }
}

// The program's codes, or "load: <message>".
inline std::string Listing(const CPDF_PSCalculator& calculator) {
    if (calculator.HasError())
        return "load: " + calculator.ErrorMessage();
    std::string text;
    for (const CPDF_PSCalculator::Code& code : calculator.Program())
        text += (text.empty() ? "" : " ") + CodeText(code);
    return text;
}

// The entries from the bottom up.
inline std::string Listing(CPDF_PSCalculatorStack& stack) {
    std::string text;
    for (int32_t depth = stack.Size() - 1; depth >= 0; --depth)
        text += (text.empty() ? "" : " ") + CodeText(stack.Get(depth));
    return text;
}
