// The path of the content model: the current path that m, l, c, v, y, re and
// h build, and the element of clip lists. A GLOB_Path (same shared core, no
// data of its own) that can be walked segment by segment, bounded, printed
// and written back as content operators.
//
// The walk returns the stored segments, except that a rectangle that is no
// longer axis-aligned (a rotated or sheared path) comes out as its four
// corners: MoveTo, LineTo, LineTo, LineTo, ClosePath. A rectangle counts as
// axis-aligned when its width corner has exactly the y of its origin and its
// height corner exactly the x.
#pragma once

#include "CPDF/content/GLOB_Path.h"
#include "GLIB/GLIB_Geometry.h"

#include <cstddef>
#include <cstdint>
#include <iosfwd>

class GLOB_ObjectWriter;

class CPDF_Path : public GLOB_Path {
public:
    // Walks one path. Reads the shared core in place; it holds its own handle
    // of the path, so a change of the walked path after the start does not
    // reach the walk.
    class Enumerator {
    public:
        explicit Enumerator(const CPDF_Path& path) : m_path(path) {}

        // Whether Next has a segment left: a stored code not yet read, or the
        // rest of a rectangle being walked as corners.
        bool HasMore() const;
        // The next segment's kind (a GLOB_Path::Operator). Called with nothing
        // left it asserts and returns ClosePath.
        uint32_t Next();
        // The points of the segment Next returned last: as stored for most
        // kinds (unused ones are left as they were); for an axis-aligned Rect
        // the origin and (width, height); for the corners of a rotated one
        // the corner itself; nothing for ClosePath. Asserts that Next ran.
        void Points(GLIB_Point& p1, GLIB_Point& p2, GLIB_Point& p3) const;

    private:
        enum State : uint32_t {
            Between = 0,     // after a stored segment
            WholeRect = 1,   // after an axis-aligned Rect
            RectMove = 2,    // corners of a Rect that is not: origin
            RectLine1 = 3,   // width corner
            RectLine2 = 4,   // opposite corner
            RectLine3 = 5,   // height corner
            RectClose = 6,   // its ClosePath
        };

        // Stored point k, asserting that the path holds it.
        GLIB_Point Stored(size_t k) const;

        uint32_t m_opIndex = 0;     // next stored code to read
        uint32_t m_op = ClosePath;  // last stored code read
        uint32_t m_pointIndex = 0;  // first point of m_op
        uint32_t m_state = Between;
        GLOB_Path m_path;
    };

    // Room for n codes and n points.
    explicit CPDF_Path(size_t n = 0);

    // Encloses every point of the walk (the four corners of a rectangle);
    // four zeros for a path without points.
    GLIB_Rect BoundingBox() const;
    // One line per segment of the walk: "MoveTo ( x, y )", "LineTo …",
    // "CurveTo" with three points, "CurveToV" and "CurveToY" with two,
    // "Rect ( x, y ) w h", "ClosePath". A code outside the kinds logs a
    // warning and prints "Unknown operator".
    void Print(std::ostream& os) const;
    // The walk as content operators, numbers as reals, each operator ending
    // its line: "x y m", "x y l", six numbers "c", four "v" or "y",
    // "x y w h re", "h". Without finalClose a ClosePath that ends the walk
    // (the stored last h, or the corners' h of a last rotated rectangle) is
    // left out: the painting or clipping operator that follows closes. A code
    // outside the kinds logs a warning and writes nothing.
    void Write(GLOB_ObjectWriter& writer, bool finalClose) const;
};
