#include "CPDF/function/CPDF_PSCalculatorStack.h"

#include "CPDF/function/CPDF_PSOperator.h"
#include "GLIB/GLIB_Assert.h"
#include "GLIB/GLIB_Log.h"
#include "GLIB/GLIB_MessageStream.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

namespace {

using Code = CPDF_PSCalculator::Code;
using Stack = CPDF_PSCalculatorStack;

const double DegreesToRadians = std::acos(-1.0) / 180.0;

[[noreturn]] void Underflow(const char* message) { Stack::Throw(CPDF_PSStackUnderflowCode, message); }
[[noreturn]] void TypeError(const char* message) { Stack::Throw(CPDF_PSTypeCheckCode, message); }
[[noreturn]] void ArithmeticError(const char* message) { Stack::Throw(CPDF_PSArithmeticCode, message); }

// 32-bit two's complement arithmetic, wrapping without undefined behaviour.
int32_t Wrap(uint32_t v) { return static_cast<int32_t>(v); }
uint32_t Bits(int32_t v) { return static_cast<uint32_t>(v); }
int32_t AddInt(int32_t a, int32_t b) { return Wrap(Bits(a) + Bits(b)); }
int32_t SubInt(int32_t a, int32_t b) { return Wrap(Bits(a) - Bits(b)); }
int32_t MulInt(int32_t a, int32_t b) { return Wrap(Bits(a) * Bits(b)); }
int32_t NegInt(int32_t a) { return Wrap(0u - Bits(a)); }
double AddReal(double a, double b) { return a + b; }
double SubReal(double a, double b) { return a - b; }
double MulReal(double a, double b) { return a * b; }

// Operand checks; each returns the operand entries (a, then b).
Code* Numerics(Stack& s) {
    Code* ab = s.TopTwo();
    if (!ab[0].IsNumber() || !ab[1].IsNumber())
        TypeError("Expected two numerics");
    return ab;
}

Code* Integers(Stack& s) {
    Code* ab = s.TopTwo();
    if (!ab[0].IsInteger() || !ab[1].IsInteger())
        TypeError("Expected two integers");
    return ab;
}

Code& Numeric(Stack& s) {
    Code& x = s.Top();
    if (!x.IsNumber())
        TypeError("Expected numeric");
    return x;
}

// The count operand of copy and index, still on the stack.
int32_t Count(Stack& s) {
    const Code& n = s.Top();
    if (!n.IsInteger())
        TypeError("Expected integer");
    return n.m_integer;
}

template <int32_t (*IntegerOp)(int32_t, int32_t), double (*RealOp)(double, double)>
void Arithmetic(Stack& s) {
    Code* ab = Numerics(s);
    if (ab[0].IsInteger() && ab[1].IsInteger())
        ab[0] = Code::Integer(IntegerOp(ab[0].m_integer, ab[1].m_integer));
    else
        ab[0] = Code::Real(RealOp(ab[0].Number(), ab[1].Number()));
    s.Pop();
}

void Div(Stack& s) {
    Code* ab = Numerics(s);
    const double b = ab[1].Number();
    if (b == 0)
        ArithmeticError("Division by 0");
    ab[0] = Code::Real(ab[0].Number() / b);
    s.Pop();
}

void Exp(Stack& s) {
    Code* ab = Numerics(s);
    const double a = ab[0].Number();
    const double b = ab[1].Number();
    if (a < 0 && std::trunc(b) != b)
        ArithmeticError("Fractional power of negative number");
    ab[0] = Code::Real(std::pow(a, b));
    s.Pop();
}

void Atan(Stack& s) {
    Code* ab = Numerics(s);
    const double numerator = ab[0].Number();
    const double denominator = ab[1].Number();
    double angle = 0.0;
    if (numerator != 0 || denominator != 0) {
        angle = std::atan2(numerator, denominator) / DegreesToRadians;
        if (angle < 0)
            angle += 360.0;
        // A tiny negative angle rounds to 360 above.
        if (angle >= 360.0)
            angle -= 360.0;
    }
    ab[0] = Code::Real(angle);
    s.Pop();
}

// By -1 apart: the smallest integer divided by it overflows.
int32_t Quotient(int32_t a, int32_t b) { return b == -1 ? NegInt(a) : a / b; }
int32_t Remainder(int32_t a, int32_t b) { return b == -1 ? 0 : a % b; }

template <int32_t (*IntegerOp)(int32_t, int32_t)>
void IntegerDivision(Stack& s) {
    Code* ab = Integers(s);
    if (ab[1].m_integer == 0)
        ArithmeticError("Division by 0");
    ab[0].m_integer = IntegerOp(ab[0].m_integer, ab[1].m_integer);
    s.Pop();
}

void Bitshift(Stack& s) {
    Code* ab = Integers(s);
    const int32_t a = ab[0].m_integer;
    const int32_t b = ab[1].m_integer;
    if (b >= 0)
        ab[0].m_integer = b >= 32 ? 0 : Wrap(Bits(a) << b);
    else if (b <= -32)
        ab[0].m_integer = a < 0 ? -1 : 0;
    else
        ab[0].m_integer = a >= 0 ? a >> -b : ~(~a >> -b);
    s.Pop();
}

void Abs(Stack& s) {
    Code& x = Numeric(s);
    if (x.IsInteger()) {
        if (x.m_integer < 0)
            x.m_integer = NegInt(x.m_integer);
    } else if (x.m_real < 0) {
        x.m_real = -x.m_real;
    }
}

void Neg(Stack& s) {
    Code& x = Numeric(s);
    if (x.IsInteger())
        x.m_integer = NegInt(x.m_integer);
    else
        x.m_real = -x.m_real;
}

double Ceiling(double x) { return std::ceil(x); }
double Floor(double x) { return std::floor(x); }

double RoundHalfUp(double x) {
    const double f = std::floor(x);
    return x - f >= 0.5 ? f + 1.0 : f;
}

// As through an integer, -0.5 gives 0, not -0; reals beyond 32 bits stay.
double TruncateReal(double x) { return std::trunc(x) + 0.0; }

// Integers stay as they are.
template <double (*F)(double)>
void Rounding(Stack& s) {
    Code& x = Numeric(s);
    if (x.IsReal())
        x.m_real = F(x.m_real);
}

void Cvi(Stack& s) {
    Code& x = Numeric(s);
    if (x.IsInteger())
        return;
    const double t = std::trunc(x.m_real);
    const bool fits = t >= std::numeric_limits<int32_t>::min() && t <= std::numeric_limits<int32_t>::max();
    x = Code::Integer(fits ? static_cast<int32_t>(t) : std::numeric_limits<int32_t>::min());
}

void Cvr(Stack& s) {
    Code& x = Numeric(s);
    x = Code::Real(x.Number());
}

double Sqrt(double x) {
    if (x < 0)
        ArithmeticError("Fractional power of negative exponent");
    return std::sqrt(x);
}

double Ln(double x) {
    if (x <= 0)
        ArithmeticError("Negative logarithm");
    return std::log(x);
}

double Log10(double x) {
    if (x <= 0)
        ArithmeticError("Negative logarithm");
    return std::log10(x);
}

double SinDegrees(double x) { return std::sin(x * DegreesToRadians); }
double CosDegrees(double x) { return std::cos(x * DegreesToRadians); }

// Integers become reals.
template <double (*F)(double)>
void RealFunction(Stack& s) {
    Code& x = Numeric(s);
    x = Code::Real(F(x.Number()));
}

bool AndBool(bool a, bool b) { return a && b; }
bool OrBool(bool a, bool b) { return a || b; }
bool XorBool(bool a, bool b) { return a != b; }
int32_t AndInt(int32_t a, int32_t b) { return a & b; }
int32_t OrInt(int32_t a, int32_t b) { return a | b; }
int32_t XorInt(int32_t a, int32_t b) { return a ^ b; }

template <bool (*BooleanOp)(bool, bool), int32_t (*IntegerOp)(int32_t, int32_t)>
void Logical(Stack& s) {
    Code* ab = s.TopTwo();
    if (ab[0].IsBoolean() && ab[1].IsBoolean())
        ab[0] = Code::Boolean(BooleanOp(ab[0].m_boolean != 0, ab[1].m_boolean != 0));
    else if (ab[0].IsInteger() && ab[1].IsInteger())
        ab[0].m_integer = IntegerOp(ab[0].m_integer, ab[1].m_integer);
    else
        TypeError("Expected integer or boolean value");
    s.Pop();
}

void Not(Stack& s) {
    Code& x = s.Top();
    if (x.IsBoolean())
        x.m_boolean = x.m_boolean ? 0 : 1;
    else if (x.IsInteger())
        x.m_integer = ~x.m_integer;
    else
        TypeError("Expected int or boolean.");
}

// A boolean never equals a number; 32-bit integers are exact as doubles.
bool Equal(const Code& a, const Code& b) {
    if (a.IsBoolean() || b.IsBoolean())
        return a.IsBoolean() && b.IsBoolean() && a.m_boolean == b.m_boolean;
    return a.Number() == b.Number();
}

template <bool Same>
void Equality(Stack& s) {
    Code* ab = s.TopTwo();
    ab[0] = Code::Boolean(Equal(ab[0], ab[1]) == Same);
    s.Pop();
}

bool GreaterOrEqual(double a, double b) { return a >= b; }
bool Greater(double a, double b) { return a > b; }
bool LessOrEqual(double a, double b) { return a <= b; }
bool Less(double a, double b) { return a < b; }

template <bool (*Compare)(double, double)>
void Order(Stack& s) {
    Code* ab = Numerics(s);
    ab[0] = Code::Boolean(Compare(ab[0].Number(), ab[1].Number()));
    s.Pop();
}

void Dup(Stack& s) {
    const Code top = s.Top();
    s.Push(top);
}

void Exch(Stack& s) {
    Code* ab = s.TopTwo();
    std::swap(ab[0], ab[1]);
}

void Pop(Stack& s) { s.Pop(); }

void Copy(Stack& s) {
    const int32_t n = Count(s);
    if (n > s.Size() - 1)
        Underflow("Stack underflow");
    s.Pop();
    for (int32_t k = 0; k < n; ++k) {
        const Code entry = s.Get(n - 1);
        s.Push(entry);
    }
}

void Index(Stack& s) {
    const int32_t n = Count(s);
    if (n < 0 || n > s.Size() - 2)
        Underflow("Stack underflow");
    s.Pop();
    const Code entry = s.Get(n);
    s.Push(entry);
}

void Roll(Stack& s) {
    Code* nj = s.TopTwo();
    if (!nj[0].IsInteger() || !nj[1].IsInteger())
        TypeError("Expected two integers");
    const int32_t n = nj[0].m_integer;
    const int32_t j = nj[1].m_integer;
    if (n < 0)
        Underflow("Stack underflow");
    if (n > s.Size() - 2)
        Underflow("Stack undeflow");
    s.Pop();
    s.Pop();
    if (n == 0)
        return;
    const int32_t shift = (j % n + n) % n;
    Code* first = &s.Get(n - 1);
    std::rotate(first, first + (n - shift), first + n);
}

void Print(Stack& s) {
    for (int32_t depth = 0; depth < s.Size(); ++depth)
        CPDF_PSCalculator::DumpCode(s.Get(depth));
}

void Stop(Stack& s) {
    Print(s);
    Stack::Throw(CPDF_PSHaltCode, "Abnormal halt");
}

// What an operation returns: how many codes to skip after its own.
using Operation = uint32_t (*)(Stack&);

template <void (*F)(Stack&)>
uint32_t Plain(Stack& s) {
    F(s);
    return 0;
}

// The offset a jump pops; Compile always places one in front of the jump.
uint32_t PopOffset(Stack& s) {
    const Code offset = s.Get(0);
    GLIB_ASSERT(offset.IsInteger() && offset.m_integer >= 0);
    s.Pop();
    return static_cast<uint32_t>(offset.m_integer);
}

uint32_t VelmJump(Stack& s) { return PopOffset(s); }

uint32_t VelmJumpFalse(Stack& s) {
    const uint32_t offset = PopOffset(s);
    const Code condition = s.Get(0);
    if (!condition.IsBoolean())
        TypeError("Expected boolean");
    s.Pop();
    return condition.m_boolean ? 0 : offset;
}

// if, ifelse and the braces are consumed by Compile.
template <int32_t Op>
uint32_t InvalidBytecode(Stack&) {
    GLIB_MessageStream ms;
    ms << "Invalid bytecode found " << CPDF_PSOperatorTable::Name(Op);
    ms.Assert(__FILE__, __LINE__);
    return 0;
}

struct OperationTable {
    constexpr void Set(int32_t code, Operation operation) {
        m_operations[code] = operation;
        m_isSet[code] = true;
    }

    Operation m_operations[CPDF_PSOperator::NumCodes];
    bool m_isSet[CPDF_PSOperator::NumCodes];
};

constexpr OperationTable MakeOperations() {
    using O = CPDF_PSOperator;
    OperationTable t{};
    t.Set(O::Abs, Plain<Abs>);
    t.Set(O::Add, Plain<Arithmetic<AddInt, AddReal>>);
    t.Set(O::Atan, Plain<Atan>);
    t.Set(O::Bitshift, Plain<Bitshift>);
    t.Set(O::Ceiling, Plain<Rounding<Ceiling>>);
    t.Set(O::Cos, Plain<RealFunction<CosDegrees>>);
    t.Set(O::Cvi, Plain<Cvi>);
    t.Set(O::Cvr, Plain<Cvr>);
    t.Set(O::Div, Plain<Div>);
    t.Set(O::Exp, Plain<Exp>);
    t.Set(O::Floor, Plain<Rounding<Floor>>);
    t.Set(O::Idiv, Plain<IntegerDivision<Quotient>>);
    t.Set(O::Ln, Plain<RealFunction<Ln>>);
    t.Set(O::Log, Plain<RealFunction<Log10>>);
    t.Set(O::Mod, Plain<IntegerDivision<Remainder>>);
    t.Set(O::Mul, Plain<Arithmetic<MulInt, MulReal>>);
    t.Set(O::Neg, Plain<Neg>);
    t.Set(O::Round, Plain<Rounding<RoundHalfUp>>);
    t.Set(O::Sin, Plain<RealFunction<SinDegrees>>);
    t.Set(O::Sqrt, Plain<RealFunction<Sqrt>>);
    t.Set(O::Sub, Plain<Arithmetic<SubInt, SubReal>>);
    t.Set(O::Truncate, Plain<Rounding<TruncateReal>>);
    t.Set(O::Xor, Plain<Logical<XorBool, XorInt>>);
    t.Set(O::And, Plain<Logical<AndBool, AndInt>>);
    t.Set(O::Not, Plain<Not>);
    t.Set(O::Or, Plain<Logical<OrBool, OrInt>>);
    t.Set(O::Eq, Plain<Equality<true>>);
    t.Set(O::Ge, Plain<Order<GreaterOrEqual>>);
    t.Set(O::Gt, Plain<Order<Greater>>);
    t.Set(O::If, InvalidBytecode<O::If>);
    t.Set(O::IfElse, InvalidBytecode<O::IfElse>);
    t.Set(O::Le, Plain<Order<LessOrEqual>>);
    t.Set(O::Lt, Plain<Order<Less>>);
    t.Set(O::Ne, Plain<Equality<false>>);
    t.Set(O::Copy, Plain<Copy>);
    t.Set(O::Dup, Plain<Dup>);
    t.Set(O::Exch, Plain<Exch>);
    t.Set(O::Index, Plain<Index>);
    t.Set(O::Pop, Plain<Pop>);
    t.Set(O::Roll, Plain<Roll>);
    t.Set(O::OpenBrace, InvalidBytecode<O::OpenBrace>);
    t.Set(O::CloseBrace, InvalidBytecode<O::CloseBrace>);
    t.Set(O::VelmJump, VelmJump);
    t.Set(O::VelmJumpFalse, VelmJumpFalse);
    t.Set(O::Print, Plain<Print>);
    t.Set(O::Stop, Plain<Stop>);
    return t;
}

constexpr OperationTable Operations = MakeOperations();

constexpr bool EveryCodeHasAnOperation(const OperationTable& t) {
    for (bool isSet : t.m_isSet)
        if (!isSet)
            return false;
    return true;
}

static_assert(EveryCodeHasAnOperation(Operations), "an operator code without an operation");

}  // namespace

void CPDF_PSCalculatorStack::Throw(uint32_t code, const char* message) {
    throw CPDF_Exception(code, message, __FILE__, __LINE__);
}

void CPDF_PSCalculator::Execute(CPDF_PSCalculatorStack& stack) const {
    GLIB_ASSERT_CMP(m_error, !=, true);
    const size_t n = m_program.size();
    for (size_t i = 0; i < n;) {
        const Code& code = m_program[i];
        switch (code.m_kind) {
        case Code::KindBoolean:
        case Code::KindInteger:
        case Code::KindReal:
            stack.Push(code);
            ++i;
            break;
        case Code::KindOperator:
            if (code.m_op < 0 || code.m_op >= CPDF_PSOperator::NumCodes) {
                GLIB_LOG(GLIB_LogError, "PSCalculator: Unknown bytecode encountered");
                ++i;
                break;
            }
            i += 1 + static_cast<size_t>(Operations.m_operations[code.m_op](stack));
            break;
        default:
            GLIB_LOG(GLIB_LogInfo, "Code " << i << ": unknown byte code ");
            ++i;
            break;
        }
    }
}
