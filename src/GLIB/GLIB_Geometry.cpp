#include "GLIB/GLIB_Geometry.h"

#include <algorithm>
#include <cmath>

bool GLIB_ApproxEqual(double u, double v, double tolerance) { return std::fabs(u - v) < tolerance; }

bool GLIB_IsClose(double u, double v, double tolerance) {
    const double d = u - v;
    return d >= -tolerance && d <= tolerance;
}

bool GLIB_Point::operator==(const GLIB_Point& other) const {
    return GLIB_IsClose(m_x, other.m_x, Tolerance) && GLIB_IsClose(m_y, other.m_y, Tolerance);
}

std::ostream& operator<<(std::ostream& os, const GLIB_Point& p) {
    return os << "( " << p.X() << ", " << p.Y() << " )";
}

void GLIB_Rect::Include(double x, double y) {
    m_ll = GLIB_Point(std::min(m_ll.X(), x), std::min(m_ll.Y(), y));
    m_ur = GLIB_Point(std::max(m_ur.X(), x), std::max(m_ur.Y(), y));
}

void GLIB_Rect::Normalize() {
    const double llx = std::min(m_ll.X(), m_ur.X()), urx = std::max(m_ll.X(), m_ur.X());
    const double lly = std::min(m_ll.Y(), m_ur.Y()), ury = std::max(m_ll.Y(), m_ur.Y());
    m_ll = GLIB_Point(llx, lly);
    m_ur = GLIB_Point(urx, ury);
}

bool GLIB_Rect::IsEmpty() const {
    return m_ur.X() - EmptyThickness <= m_ll.X() || m_ur.Y() - EmptyThickness <= m_ll.Y();
}

bool GLIB_Rect::Intersect(const GLIB_Rect& other) {
    const auto clamp = [](double low, double v, double high) { return std::min(std::max(low, v), high); };
    m_ll = GLIB_Point(clamp(other.Llx(), Llx(), other.Urx()), clamp(other.Lly(), Lly(), other.Ury()));
    m_ur = GLIB_Point(clamp(other.Llx(), Urx(), other.Urx()), clamp(other.Lly(), Ury(), other.Ury()));
    return !IsEmpty();
}

void GLIB_Rect::Transform(const GLIB_Matrix& m) {
    const double xs[4] = {Llx(), Llx(), Urx(), Urx()};
    const double ys[4] = {Lly(), Ury(), Ury(), Lly()};
    for (int i = 0; i < 4; ++i) {
        double x = xs[i], y = ys[i];
        m.Transform(x, y);
        if (i == 0) {
            m_ll = m_ur = GLIB_Point(x, y);
        } else {
            Include(x, y);
        }
    }
}

void GLIB_Matrix::Set(double a, double b, double c, double d, double e, double f) {
    m_a = a;
    m_b = b;
    m_c = c;
    m_d = d;
    m_e = e;
    m_f = f;
}

void GLIB_Matrix::Zero() { Set(0, 0, 0, 0, 0, 0); }

GLIB_Matrix GLIB_Matrix::operator*(const GLIB_Matrix& n) const {
    return GLIB_Matrix(m_a * n.m_a + m_b * n.m_c, m_a * n.m_b + m_b * n.m_d, m_c * n.m_a + m_d * n.m_c,
                       m_c * n.m_b + m_d * n.m_d, m_e * n.m_a + m_f * n.m_c + n.m_e,
                       m_e * n.m_b + m_f * n.m_d + n.m_f);
}

void GLIB_Matrix::Concat(const GLIB_Matrix& n) { *this = n * *this; }

GLIB_Matrix GLIB_Matrix::Inverse() const {
    const double det = m_a * m_d - m_b * m_c;
    if (GLIB_IsClose(det, 0, LinearTolerance))
        return GLIB_Matrix(0, 0, 0, 0, 0, 0);
    return GLIB_Matrix(m_d / det, -m_b / det, -m_c / det, m_a / det, (m_c * m_f - m_d * m_e) / det,
                       (m_b * m_e - m_a * m_f) / det);
}

void GLIB_Matrix::Transform(double& x, double& y) const {
    const double x0 = x, y0 = y;
    x = x0 * m_a + y0 * m_c + m_e;
    y = x0 * m_b + y0 * m_d + m_f;
}

double GLIB_Matrix::XScale() const { return std::sqrt(m_a * m_a + m_b * m_b); }

bool GLIB_Matrix::IsConformal() const {
    const auto eq = [](double u, double v) { return GLIB_ApproxEqual(u, v, LinearTolerance); };
    return (eq(m_a, -m_d) && eq(m_b, m_c)) || (eq(m_a, m_d) && eq(m_b, -m_c));
}

bool GLIB_Matrix::operator==(const GLIB_Matrix& o) const {
    return GLIB_ApproxEqual(m_a, o.m_a, LinearTolerance) && GLIB_ApproxEqual(m_b, o.m_b, LinearTolerance) &&
           GLIB_ApproxEqual(m_c, o.m_c, LinearTolerance) && GLIB_ApproxEqual(m_d, o.m_d, LinearTolerance) &&
           GLIB_ApproxEqual(m_e, o.m_e, TranslationTolerance) && GLIB_ApproxEqual(m_f, o.m_f, TranslationTolerance);
}

void GLIB_Matrix::Print(std::ostream& os) const {
    const auto snap = [](double v, double tolerance) {
        const double whole = std::floor(v + 0.5);
        return GLIB_ApproxEqual(v, whole, tolerance) ? whole : v;
    };
    os << "[ " << snap(m_a, LinearTolerance) << " " << snap(m_b, LinearTolerance) << " "
       << snap(m_c, LinearTolerance) << " " << snap(m_d, LinearTolerance) << " "
       << snap(m_e, TranslationTolerance) << " " << snap(m_f, TranslationTolerance) << " ]";
}

std::ostream& operator<<(std::ostream& os, const GLIB_Matrix& m) {
    m.Print(os);
    return os;
}
