// Plain value types of PDF geometry: a point, a rectangle by two corners, and
// an affine matrix [a b c d e f] with x' = a·x + c·y + e, y' = b·x + d·y + f.
// Comparisons allow 1e-6 on linear values and 0.001 on translations;
// rectangles thinner than 0.0001 count as empty.
#pragma once

#include <ostream>

// |u - v| < tolerance.
bool GLIB_ApproxEqual(double u, double v, double tolerance);
// u - v within [-tolerance, tolerance].
bool GLIB_IsClose(double u, double v, double tolerance);

class GLIB_Point {
public:
    static constexpr double Tolerance = 1e-6;

    GLIB_Point() : m_x(0), m_y(0) {}
    GLIB_Point(double x, double y) : m_x(x), m_y(y) {}

    double X() const { return m_x; }
    double Y() const { return m_y; }

    // Both coordinates within Tolerance, bounds included.
    bool operator==(const GLIB_Point& other) const;
    bool operator!=(const GLIB_Point& other) const { return !(*this == other); }
    // The vector from other to this point.
    GLIB_Point operator-(const GLIB_Point& other) const { return GLIB_Point(m_x - other.m_x, m_y - other.m_y); }

private:
    double m_x;
    double m_y;
};

// "( x, y )".
std::ostream& operator<<(std::ostream& os, const GLIB_Point& p);

class GLIB_Matrix;

class GLIB_Rect {
public:
    static constexpr double EmptyThickness = 0.0001;

    GLIB_Rect() = default;
    GLIB_Rect(double llx, double lly, double urx, double ury) : m_ll(llx, lly), m_ur(urx, ury) {}
    GLIB_Rect(const GLIB_Point& lowerLeft, const GLIB_Point& upperRight) : m_ll(lowerLeft), m_ur(upperRight) {}

    double Llx() const { return m_ll.X(); }
    double Lly() const { return m_ll.Y(); }
    double Urx() const { return m_ur.X(); }
    double Ury() const { return m_ur.Y(); }
    const GLIB_Point& LowerLeft() const { return m_ll; }
    const GLIB_Point& UpperRight() const { return m_ur; }

    // Grows the rectangle to hold the point.
    void Include(double x, double y);
    void Include(const GLIB_Point& p) { Include(p.X(), p.Y()); }
    // Orders each pair so that the lower-left corner is the smaller.
    void Normalize();
    // Thinner than EmptyThickness in x or in y (exactly EmptyThickness too).
    bool IsEmpty() const;
    // Clamps each value into other; true when the result is not empty. For
    // normalised rectangles this is the intersection; disjoint ones collapse
    // onto an edge of other.
    bool Intersect(const GLIB_Rect& other);
    // The bounding box of the four corners mapped by m.
    void Transform(const GLIB_Matrix& m);
    // Both corners equal as points (within GLIB_Point::Tolerance).
    bool operator==(const GLIB_Rect& other) const { return m_ll == other.m_ll && m_ur == other.m_ur; }
    bool operator!=(const GLIB_Rect& other) const { return !(*this == other); }

private:
    GLIB_Point m_ll;
    GLIB_Point m_ur;
};

class GLIB_Matrix {
public:
    static constexpr double LinearTolerance = 1e-6;
    static constexpr double TranslationTolerance = 0.001;

    // The identity.
    GLIB_Matrix() : m_a(1), m_b(0), m_c(0), m_d(1), m_e(0), m_f(0) {}
    GLIB_Matrix(double a, double b, double c, double d, double e, double f)
        : m_a(a), m_b(b), m_c(c), m_d(d), m_e(e), m_f(f) {}

    double A() const { return m_a; }
    double B() const { return m_b; }
    double C() const { return m_c; }
    double D() const { return m_d; }
    double E() const { return m_e; }
    double F() const { return m_f; }

    void Set(double a, double b, double c, double d, double e, double f);
    // All six 0.
    void Zero();

    // This applied first, then n.
    GLIB_Matrix operator*(const GLIB_Matrix& n) const;
    // this := n × this: n applied first, as a cm operator applies its matrix
    // before the current one.
    void Concat(const GLIB_Matrix& n);
    // The inverse; the all-zero matrix when the determinant is within 1e-6
    // of 0.
    GLIB_Matrix Inverse() const;
    void Transform(double& x, double& y) const;
    // The length of the mapped unit x vector.
    double XScale() const;
    // A rotation or reflection with uniform scale.
    bool IsConformal() const;
    // a to d within LinearTolerance, e and f within TranslationTolerance.
    bool operator==(const GLIB_Matrix& other) const;
    bool operator!=(const GLIB_Matrix& other) const { return !(*this == other); }

    // "[ a b c d e f ]", each value snapped to a nearby integer first.
    void Print(std::ostream& os) const;

private:
    double m_a, m_b, m_c, m_d, m_e, m_f;
};

std::ostream& operator<<(std::ostream& os, const GLIB_Matrix& m);
