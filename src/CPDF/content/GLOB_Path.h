// The path of the content parser: a list of segments, each an operator code
// with its control points, and the fill rule of the painting operator that
// ended it. A copy-on-write value: copies share one counted core, and every
// changing operation first gives its handle a core of its own when the core
// is shared; a core held by one handle changes in place.
//
// Points are stored as the operands give them, the points of all segments in
// one array in segment order: a reader walks the codes and takes
// NumPoints(code) points for each. A Rect x y w h is stored as the corners
// (x, y), (x + w, y), (x, y + h), which a transformation moves together. The
// path keeps no current point: the control point that v and y leave out is
// not filled in.
//
// Both arrays double while they hold fewer than LinearGrowthStart entries and
// then grow by that many at a time, so very long paths grow without copying
// every entry once per small step.
#pragma once

#include "COMN_COWReferenceCountPointer.h"
#include "GLIB/GLIB_Geometry.h"
#include "GLIB_Stack.h"

#include <cstddef>
#include <cstdint>

class GLOB_OperandStack;

// The shared record of a path.
struct iGLOB_PathCore {
    iGLOB_PathCore();

    GLIB_Stack<uint32_t> m_operators;
    GLIB_Stack<GLIB_Point> m_points;
    uint32_t m_fillRule = 0;
};

class GLOB_Path {
public:
    // Segment kinds, with the points each stores: h 0, c 3, v 2, y 2, l 1,
    // m 1, re 3.
    enum Operator : uint32_t {
        ClosePath = 0,
        CurveTo = 1,
        CurveToV = 2,
        CurveToY = 3,
        LineTo = 4,
        MoveTo = 5,
        Rect = 6,
    };
    // Fill rules of the painting operator (none for a cleared path, stroking
    // and n).
    enum : uint32_t { NoFill = 0, NonZeroWindingFill = 1, EvenOddFill = 2 };
    // Exception codes of AddOperator: the object model's.
    enum : uint32_t {
        OperandCountCode = 1151001,  // fewer operands than the segment needs
        OperandKindCode = 1151006,   // an operand that is not a number
    };
    static constexpr size_t InitialOperators = 32;
    static constexpr size_t InitialPoints = 64;
    static constexpr size_t LinearGrowthStart = 5000;

    // No segment, fill rule NoFill, room for InitialOperators codes and
    // InitialPoints points.
    GLOB_Path();

    // Points stored for a segment of kind code; any other code is a
    // programming error, logged as fatal.
    static uint32_t NumPoints(uint32_t code);

    // When n exceeds the number of points held, room for at least n codes and
    // n points.
    void Reserve(size_t n);
    // Maps every point by m.
    void Transform(const GLIB_Matrix& m);
    // Appends the segment of the content operator of kind code from the top
    // of operands: m and l take x y, v and y x1 y1 x2 y2, c three points, re
    // x y w h, h nothing; deeper operands are ignored. Throws GLIB_Exception
    // OperandCountCode "Expected <n> arguments, found <count>" when too few,
    // and OperandKindCode "Expected numeric control point, found: " with the
    // offending operand, or for a point "(x, y)" with both, when one is not
    // an Integer or Real. A segment that throws leaves the path as it was.
    void AddOperator(uint32_t code, const GLOB_OperandStack& operands);
    // A code and its points; their number must be NumPoints(code).
    void AddSegment(uint32_t code, const GLIB_Point& p1);
    void AddSegment(uint32_t code, const GLIB_Point& p1, const GLIB_Point& p2);
    void AddSegment(uint32_t code, const GLIB_Point& p1, const GLIB_Point& p2, const GLIB_Point& p3);
    // One code or one point; the caller keeps the two in step.
    void PushOperator(uint32_t code);
    void PushPoint(const GLIB_Point& p);
    // No segment, fill rule NoFill; the room is kept.
    void Clear();
    void SetFillRule(uint32_t fillRule);

    size_t NumOperators() const { return m_core->m_operators.Size(); }
    uint32_t Operator(size_t i) const { return m_core->m_operators[i]; }
    // Points of all segments.
    size_t TotalPoints() const { return m_core->m_points.Size(); }
    const GLIB_Point& Point(size_t i) const { return m_core->m_points[i]; }
    uint32_t FillRule() const { return m_core->m_fillRule; }
    size_t OperatorCapacity() const { return m_core->m_operators.Capacity(); }
    size_t PointCapacity() const { return m_core->m_points.Capacity(); }

    // One shared core, or equal fill rules, equal codes, and as many points,
    // each coordinate within GLIB_Point::Tolerance (bounds included).
    bool operator==(const GLOB_Path& other) const;
    bool operator!=(const GLOB_Path& other) const { return !(*this == other); }

private:
    iGLOB_PathCore& Mutable() { return *m_core.Mutable(); }
    // Appends the points and then the code; on failure neither stays.
    void AppendSegment(uint32_t code, const GLIB_Point* points, size_t n);

    COMN_COWReferenceCountPointer<iGLOB_PathCore> m_core;
};
