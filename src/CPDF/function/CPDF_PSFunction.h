// FunctionType 4: a stream whose data is a PostScript calculator program.
// The program is compiled once, when the function is built or read; each
// point is evaluated by pushing its inputs as reals (the last on top),
// running the program, and taking the top n entries as the n outputs, the
// deepest of them first (entries below are ignored). Copies share the Core
// and with it one value stack, so one function evaluates on one thread at
// a time.
//
// Evaluation throws the calculator's CPDF exceptions (CPDF_PSCalculatorStack.h)
// and: 1128019 "Expected numeric value on stack" for a boolean output;
// 1128016 "Insufficient number of return values from PSCalcualator function.
// Expected <n>, found <s>" when the program leaves s < n entries, after the
// first s outputs are written.
#pragma once

#include "COMN_ReferenceCountPointer.h"
#include "CPDF/function/CPDF_FunctionCore.h"
#include "CPDF/function/CPDF_IntervalSet.h"
#include "CPDF/function/CPDF_PSCalculator.h"
#include "CPDF/function/CPDF_PSCalculatorStack.h"
#include "GLOB/GLOB_Doc.h"
#include "GLOB/GLOB_Object.h"
#include "GLOB/GLOB_Stream.h"

#include <ostream>

class CPDF_PSFunction : public CPDF_FunctionCore {
public:
    class Core : public CPDF_FunctionCore::SubCore {
    public:
        // Domain and Range [0 1], an empty program.
        Core() = default;

        // A new Stream in doc holding program's bytes, with "Range",
        // "Domain" and "FunctionType" 4; the program is loaded from it and
        // the sets stored here. Throws as LoadProgram.
        GLOB_Object MakeStream(const GLOB_Doc& doc, const GLOB_Stream& program, const CPDF_IntervalSet& domain,
                               const CPDF_IntervalSet& range);
        // Compiles program, closing it after; text that does not compile
        // throws CPDF_Exception 1128007 "Error parsing PS function: <the
        // calculator's message>".
        void LoadProgram(GLOB_Stream program);

        CPDF_PSCalculator m_calculator;
        CPDF_PSCalculatorStack m_stack;
    };

    // The program { } (y = x) with Domain and Range [0 1], in the memory
    // document.
    CPDF_PSFunction();
    // A new function Stream in doc from the program's bytes, or its text.
    CPDF_PSFunction(const GLOB_Doc& doc, const GLOB_Stream& program, const CPDF_IntervalSet& domain,
                    const CPDF_IntervalSet& range);
    CPDF_PSFunction(const GLOB_Doc& doc, const char* program, const CPDF_IntervalSet& domain,
                    const CPDF_IntervalSet& range);
    // The reader; the function keeps object. Throws CPDF_Exception 1128007
    // with the lines of ParseCommon (a Stream, "Range" optional) or as
    // LoadProgram; what decoding the stream throws passes through.
    explicit CPDF_PSFunction(const GLOB_Object& object);
    // Shares other's Core.
    CPDF_PSFunction(const CPDF_PSFunction& other) = default;

    GLOB_Name TypeName() const override;
    // "PostScript Function", Domain and Range, one labelled line each; not
    // the program.
    std::ostream& Print(std::ostream& os) const override;

    // The compiled program.
    const CPDF_PSCalculator& Calculator() const { return m_core->m_calculator; }

    // Equal programs (reals within 1e-6), Domains and Ranges.
    bool IsEqual(const CPDF_PSFunction& other) const;

protected:
    void EvaluateUnclipped(double* in, double* out, unsigned count) override;
    Core& SubCore() override { return *m_core; }
    const Core& SubCore() const override { return *m_core; }

private:
    COMN_ReferenceCountPointer<Core> m_core;
};
