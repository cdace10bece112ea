#include "CPDF/content/CPDF_Path.h"

#include "GLIB/GLIB_Assert.h"
#include "GLIB/GLIB_Log.h"
#include "GLOB/GLOB_ObjectWriter.h"

#include <ostream>

bool CPDF_Path::Enumerator::HasMore() const {
    return m_opIndex < m_path.NumOperators() || (m_state >= RectMove && m_state <= RectLine3);
}

uint32_t CPDF_Path::Enumerator::Next() {
    switch (m_state) {
    case Between:
    case WholeRect:
    case RectClose: {
        if (m_opIndex > 0)
            m_pointIndex += NumPoints(m_op);
        if (m_opIndex >= m_path.NumOperators()) {
            GLIB_ASSERT(m_opIndex < m_path.NumOperators());
            m_op = ClosePath;
            m_state = Between;
            return ClosePath;
        }
        m_op = m_path.Operator(m_opIndex++);
        if (m_op != Rect) {
            m_state = Between;
            return m_op;
        }
        const GLIB_Point p0 = Stored(m_pointIndex);
        if (Stored(m_pointIndex + 1).Y() == p0.Y() && Stored(m_pointIndex + 2).X() == p0.X()) {
            m_state = WholeRect;
            return Rect;
        }
        m_state = RectMove;
        return MoveTo;
    }
    case RectMove: m_state = RectLine1; return LineTo;
    case RectLine1: m_state = RectLine2; return LineTo;
    case RectLine2: m_state = RectLine3; return LineTo;
    case RectLine3: m_state = RectClose; return ClosePath;
    default:
        GLIB_LOG(GLIB_LogFatal, "Invalid state in path enumeration: " << m_state);
        return ClosePath;
    }
}

void CPDF_Path::Enumerator::Points(GLIB_Point& p1, GLIB_Point& p2, GLIB_Point& p3) const {
    GLIB_ASSERT_CMP(m_opIndex, >, 0u);
    if (m_opIndex == 0)
        return;
    const size_t k = m_pointIndex;
    switch (m_state) {
    case Between: {
        const uint32_t n = NumPoints(m_op);
        if (n >= 1)
            p1 = Stored(k);
        if (n >= 2)
            p2 = Stored(k + 1);
        if (n >= 3)
            p3 = Stored(k + 2);
        break;
    }
    case WholeRect:
        p1 = Stored(k);
        p2 = GLIB_Point(Stored(k + 1).X() - Stored(k).X(), Stored(k + 2).Y() - Stored(k).Y());
        break;
    case RectMove: p1 = Stored(k); break;
    case RectLine1: p1 = Stored(k + 1); break;
    case RectLine2: {
        const GLIB_Point across = Stored(k + 1) - Stored(k);
        p1 = GLIB_Point(Stored(k + 2).X() + across.X(), Stored(k + 2).Y() + across.Y());
        break;
    }
    case RectLine3: p1 = Stored(k + 2); break;
    case RectClose: break;
    default: GLIB_LOG(GLIB_LogFatal, "Invalid path enumeration state: " << m_state); break;
    }
}

GLIB_Point CPDF_Path::Enumerator::Stored(size_t k) const {
    GLIB_ASSERT_CMP(k, <, m_path.TotalPoints());
    return k < m_path.TotalPoints() ? m_path.Point(k) : GLIB_Point();
}

CPDF_Path::CPDF_Path(size_t n) { Reserve(n); }

GLIB_Rect CPDF_Path::BoundingBox() const {
    if (TotalPoints() == 0)
        return GLIB_Rect();
    GLIB_Rect box(Point(0), Point(0));
    Enumerator walk(*this);
    while (walk.HasMore()) {
        const uint32_t code = walk.Next();
        GLIB_Point p[3];
        walk.Points(p[0], p[1], p[2]);
        if (code == Rect) {
            const double x = p[0].X(), y = p[0].Y(), w = p[1].X(), h = p[1].Y();
            box.Include(x, y);
            box.Include(x + w, y);
            box.Include(x + w, y + h);
            box.Include(x, y + h);
            continue;
        }
        for (uint32_t i = 0; i < NumPoints(code); ++i)
            box.Include(p[i]);
    }
    return box;
}

void CPDF_Path::Print(std::ostream& os) const {
    static const char* const names[] = {"ClosePath", "CurveTo", "CurveToV", "CurveToY", "LineTo", "MoveTo"};
    Enumerator walk(*this);
    while (walk.HasMore()) {
        const uint32_t code = walk.Next();
        if (code > Rect) {
            GLIB_LOG(GLIB_LogWarning, "Unknown path operator encountered");
            os << "Unknown operator\n";
            continue;
        }
        GLIB_Point p[3];
        walk.Points(p[0], p[1], p[2]);
        if (code == Rect) {
            os << "Rect ( " << p[0].X() << ", " << p[0].Y() << " ) " << p[1].X() << " " << p[1].Y() << "\n";
            continue;
        }
        os << names[code];
        for (uint32_t i = 0; i < NumPoints(code); ++i)
            os << " " << p[i];
        os << "\n";
    }
}

void CPDF_Path::Write(GLOB_ObjectWriter& writer, bool finalClose) const {
    static const char* const operators[] = {"h", "c", "v", "y", "l", "m", "re"};
    Enumerator walk(*this);
    while (walk.HasMore()) {
        const uint32_t code = walk.Next();
        if (code > Rect) {
            GLIB_LOG(GLIB_LogWarning, "Unknown path operator encountered: " << code);
            continue;
        }
        if (code == ClosePath && !finalClose && !walk.HasMore())
            continue;
        GLIB_Point p[3];
        walk.Points(p[0], p[1], p[2]);
        // A rectangle's second pair is its width and height, like any point's.
        const uint32_t n = code == Rect ? 2 : NumPoints(code);
        for (uint32_t i = 0; i < n; ++i) {
            writer.WriteReal(p[i].X());
            writer.WriteReal(p[i].Y());
        }
        writer.WriteOperator(operators[code]);
    }
}
