#include "CPDF/content/GLOB_Path.h"

#include "GLIB/GLIB_Assert.h"
#include "GLIB/GLIB_Exception.h"
#include "GLIB/GLIB_Log.h"
#include "GLIB/GLIB_New.h"
#include "GLOB/GLOB_OperandStack.h"

namespace {

// Makes room before a full stack takes one more entry.
template <class T>
void MakeRoom(GLIB_Stack<T>& stack) {
    const size_t n = stack.Size();
    if (n < stack.Capacity())
        return;
    const size_t room = n < GLOB_Path::LinearGrowthStart ? 2 * n : n + GLOB_Path::LinearGrowthStart;
    if (room > n)
        stack.Reserve(room);
}

[[noreturn]] void ThrowNotNumeric(const GLOB_Object& x, const GLOB_Object* y, const char* file, int32_t line) {
    GLIB_MessageStream ms;
    ms << "Expected numeric control point, found: ";
    if (y) {
        ms << "(";
        x.Print(ms) << ", ";
        y->Print(ms) << ")";
    } else {
        x.Print(ms);
    }
    throw GLIB_Exception(GLOB_Path::OperandKindCode, ms.str(), file, line);
}

}  // namespace

iGLOB_PathCore::iGLOB_PathCore()
    : m_operators(GLOB_Path::InitialOperators), m_points(GLOB_Path::InitialPoints) {}

GLOB_Path::GLOB_Path() : m_core(new (__LINE__, "GLOB_Path") iGLOB_PathCore) {}

uint32_t GLOB_Path::NumPoints(uint32_t code) {
    switch (code) {
    case ClosePath: return 0;
    case CurveTo: return 3;
    case CurveToV: return 2;
    case CurveToY: return 2;
    case LineTo: return 1;
    case MoveTo: return 1;
    case Rect: return 3;
    default:
        GLIB_LOG(GLIB_LogFatal, "Unexpected path operator: " << code);
        return 0;
    }
}

void GLOB_Path::Reserve(size_t n) {
    if (n <= TotalPoints())
        return;
    iGLOB_PathCore& core = Mutable();
    if (core.m_operators.Capacity() < n)
        core.m_operators.Reserve(n);
    if (core.m_points.Capacity() < n)
        core.m_points.Reserve(n);
}

void GLOB_Path::Transform(const GLIB_Matrix& m) {
    GLIB_Stack<GLIB_Point>& points = Mutable().m_points;
    for (size_t i = 0; i < points.Size(); ++i) {
        double x = points[i].X(), y = points[i].Y();
        m.Transform(x, y);
        points[i] = GLIB_Point(x, y);
    }
}

void GLOB_Path::AddOperator(uint32_t code, const GLOB_OperandStack& operands) {
    const size_t count = operands.Size();
    if (code == Rect) {
        if (count < 4)
            GLIB_THROW(GLIB_Exception, OperandCountCode, "Expected 4 arguments, found " << count);
        for (size_t i = 0; i < 4; ++i) {
            const GLOB_Object operand = operands.Operand(i);
            if (!operand.IsNumber())
                ThrowNotNumeric(operand, nullptr, __FILE__, __LINE__);
        }
        const double x = operands.Operand(3).AsNumber(), y = operands.Operand(2).AsNumber();
        const double w = operands.Operand(1).AsNumber(), h = operands.Operand(0).AsNumber();
        AddSegment(Rect, GLIB_Point(x, y), GLIB_Point(x + w, y), GLIB_Point(x, y + h));
        return;
    }
    const uint32_t n = NumPoints(code);
    if (count < 2 * n)
        GLIB_THROW(GLIB_Exception, OperandCountCode, "Expected " << 2 * n << " arguments, found " << count);
    // All operands are checked before anything is appended, so that a path
    // never holds a code without its points.
    GLIB_Point points[3];
    for (uint32_t i = 0; i < n; ++i) {
        const GLOB_Object x = operands.Operand(2 * (n - i) - 1);
        const GLOB_Object y = operands.Operand(2 * (n - i) - 2);
        if (!x.IsNumber() || !y.IsNumber())
            ThrowNotNumeric(x, &y, __FILE__, __LINE__);
        points[i] = GLIB_Point(x.AsNumber(), y.AsNumber());
    }
    switch (n) {
    case 0: PushOperator(code); break;
    case 1: AddSegment(code, points[0]); break;
    case 2: AddSegment(code, points[0], points[1]); break;
    default: AddSegment(code, points[0], points[1], points[2]); break;
    }
}

void GLOB_Path::AddSegment(uint32_t code, const GLIB_Point& p1) {
    const GLIB_Point points[] = {p1};
    GLIB_ASSERT_CMP(NumPoints(code), ==, 1u);
    AppendSegment(code, points, 1);
}

void GLOB_Path::AddSegment(uint32_t code, const GLIB_Point& p1, const GLIB_Point& p2) {
    const GLIB_Point points[] = {p1, p2};
    GLIB_ASSERT_CMP(NumPoints(code), ==, 2u);
    AppendSegment(code, points, 2);
}

void GLOB_Path::AddSegment(uint32_t code, const GLIB_Point& p1, const GLIB_Point& p2, const GLIB_Point& p3) {
    const GLIB_Point points[] = {p1, p2, p3};
    GLIB_ASSERT_CMP(NumPoints(code), ==, 3u);
    AppendSegment(code, points, 3);
}

void GLOB_Path::AppendSegment(uint32_t code, const GLIB_Point* points, size_t n) {
    iGLOB_PathCore& core = Mutable();
    const size_t pointsBefore = core.m_points.Size();
    for (size_t i = 0; i < n; ++i) {
        MakeRoom(core.m_points);
        core.m_points.Push(points[i]);
    }
    try {
        MakeRoom(core.m_operators);
        core.m_operators.Push(code);
    } catch (...) {
        core.m_points.Pop(core.m_points.Size() - pointsBefore);
        throw;
    }
}

void GLOB_Path::PushOperator(uint32_t code) {
    iGLOB_PathCore& core = Mutable();
    MakeRoom(core.m_operators);
    core.m_operators.Push(code);
}

void GLOB_Path::PushPoint(const GLIB_Point& p) {
    const GLIB_Point keep(p);  // p may be one of this path's points
    iGLOB_PathCore& core = Mutable();
    MakeRoom(core.m_points);
    core.m_points.Push(keep);
}

void GLOB_Path::Clear() {
    iGLOB_PathCore& core = Mutable();
    core.m_operators.Pop(core.m_operators.Size());
    core.m_points.Pop(core.m_points.Size());
    core.m_fillRule = NoFill;
}

void GLOB_Path::SetFillRule(uint32_t fillRule) { Mutable().m_fillRule = fillRule; }

bool GLOB_Path::operator==(const GLOB_Path& other) const {
    const iGLOB_PathCore& a = *m_core;
    const iGLOB_PathCore& b = *other.m_core;
    if (&a == &b)
        return true;
    if (a.m_fillRule != b.m_fillRule || a.m_operators.Size() != b.m_operators.Size() ||
        a.m_points.Size() != b.m_points.Size())
        return false;
    for (size_t i = 0; i < a.m_operators.Size(); ++i) {
        if (a.m_operators[i] != b.m_operators[i])
            return false;
    }
    for (size_t i = 0; i < a.m_points.Size(); ++i) {
        if (a.m_points[i] != b.m_points[i])
            return false;
    }
    return true;
}
