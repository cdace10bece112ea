// The PostScript calculator of type 4 functions: compiles the program text
// (one procedure, such as { dup 0.5 gt { pop 1 } { 2 mul } ifelse }) once into
// flat byte code, then runs it any number of times on a
// CPDF_PSCalculatorStack (Execute and the operators live with the stack).
//
// Compilation. The text is read by the PDF lexer; procedures become arrays on
// a compile stack, each followed by its length in codes. Literals and
// operators give one code each; every procedure adds two codes in front of
// its body, so
//     c {A} if        compiles to  c, |A|, velm_jump_false, A
//     c {A} {B} ifelse compiles to c, |A|+2, velm_jump_false, A, |B|, velm_jump, B
// where a jump at index k with offset n continues at k + 1 + n. The outer
// braces give no code. Integer literals beyond 32 bits are reals, as in
// PostScript. Procedures nest at most MaxProcedureNesting deep (the outer
// braces count one).
//
// Errors. Load never throws for bad text: the first error ends it, is logged
// at level 2 (the compile stack at level 8), sets HasError and keeps its
// message (ErrorMessage), one of: "Error parsing token: <lexer message>",
// "Unexpected token: <text>", "Unknown token type encountered",
// "Procedure missing opening {", "Internal stack corrupted: expected
// procedure length.", "Procedure is missing surrounding braces, or has
// mismatched braces", "Procedures nested more than <n> deep", "Unknown token
// encountered: <name>", "Internal error parsing (illegal token encountered):
// <name>", "Operator allowed only in debug mode: <name>", "Procedure found
// without if/ifelse", "Expected 'if', found:<name>", "Procedure pair found
// without ifelse", "Expected 'ifelse', found : <name or object>", "Expected
// 'if' or procedure, found : <object>". Exceptions of the stream (a filter's,
// a cancel) pass through.
#pragma once

#include "GLOB/GLOB_Object.h"
#include "GLOB/GLOB_OperandStack.h"
#include "GLOB/GLOB_Stream.h"
#include "GLOB/GLOB_StreamLexer.h"

#include <cstdint>
#include <string>
#include <vector>

class CPDF_PSCalculatorStack;

class CPDF_PSCalculator {
public:
    // One instruction of the program, and one entry of the value stack
    // (which holds only booleans, integers and reals). The value field that
    // is set is the kind's.
    struct Code {
        enum Kind : int32_t {
            KindBoolean = 0,
            KindInteger = 1,
            KindReal = 2,
            KindOperator = 3,
        };

        int32_t m_kind;
        union {
            uint8_t m_boolean;  // 0 false, 1 true
            int32_t m_integer;
            double m_real;
            int32_t m_op;  // a CPDF_PSOperator code
        };

        static Code Boolean(bool value);
        static Code Integer(int32_t value);
        static Code Real(double value);
        static Code Operator(int32_t op);
        // The kind with its value field zeroed, for the makers above.
        static Code Blank(Kind kind);

        bool IsBoolean() const { return m_kind == KindBoolean; }
        bool IsInteger() const { return m_kind == KindInteger; }
        bool IsReal() const { return m_kind == KindReal; }
        bool IsNumber() const { return m_kind == KindInteger || m_kind == KindReal; }
        // An integer converted, or the real; only for IsNumber.
        double Number() const { return m_kind == KindInteger ? m_integer : m_real; }
    };

    static constexpr int32_t MaxProcedureNesting = 100;

    // An empty program, no error, debug mode off.
    CPDF_PSCalculator();
    // The same, then Load of program.
    explicit CPDF_PSCalculator(const GLOB_Stream& program);
    ~CPDF_PSCalculator();
    CPDF_PSCalculator(const CPDF_PSCalculator&) = delete;
    CPDF_PSCalculator& operator=(const CPDF_PSCalculator&) = delete;

    // Compiles the text of program (read to its end, not closed) and appends
    // the codes to the program; true when no error occurred.
    bool Load(const GLOB_Stream& program);
    // Whether the last Load failed, and its first error.
    bool HasError() const { return m_error; }
    std::string ErrorMessage() const { return m_errorMessage; }

    // In debug mode comments are skipped and print and stop compile; off by
    // default, when both are errors.
    void SetDebug(bool debug) { m_debug = debug; }
    bool IsDebug() const { return m_debug; }

    // The compiled program in execution order.
    const std::vector<Code>& Program() const { return m_program; }

    // Runs the program on stack, which keeps what the program leaves (and,
    // after an exception, what it held then). Asserts !HasError(). Throws
    // the CPDF exceptions of the operators: 1128016 underflow, 1128017
    // overflow, 1128018 "Abnormal halt" (stop), 1128019 a wrong operand
    // kind, 1128021 arithmetic; see CPDF_PSCalculatorStack.h.
    void Execute(CPDF_PSCalculatorStack& stack) const;

    // Logs one code at level 8: "Code: boolean  true", "Code: integer  3",
    // "Code: fixed    0.5", "Code: operator add".
    static void DumpCode(const Code& code);

    // Same number of codes and, position by position, the same kind and
    // value; reals within 1e-6.
    bool IsEqual(const CPDF_PSCalculator& other) const;

private:
    // The text as one procedure array on the compile stack; a Null object
    // after an error.
    GLOB_Object Parse();
    // Steps of Parse; false after an error.
    bool OpenProcedure(int64_t& counter, int32_t& depth);
    bool CloseProcedure(int64_t& counter, int32_t& depth);
    // Appends procedure's codes; false after an error.
    bool Compile(const GLOB_Object& procedure);
    // The codes of the procedure (or pair for ifelse) at element i of body;
    // moves i to the last element used.
    bool CompileConditional(const GLOB_Object& body, uint32_t& i);
    void SetError(const std::string& message);

    std::vector<Code> m_program;
    GLOB_StreamLexer m_lexer;
    GLOB_OperandStack m_compileStack;
    std::string m_errorMessage;
    bool m_error = false;
    bool m_debug = false;
};
