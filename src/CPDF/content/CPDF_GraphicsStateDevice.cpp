#include "CPDF/content/CPDF_GraphicsState.h"

#include "CPDF/CPDF_Exception.h"
#include "CPDF/color/CPDF_IndexedColorSpace.h"
#include "CPDF/function/CPDF_Function.h"
#include "CPDF/iCPDF_MessageText.h"
#include "GLIB/GLIB_Assert.h"
#include "GLIB/GLIB_Log.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

using Core = iCPDF_GraphicsStateCore;

// A transfer function as it may stand in a TR array: a name stands for one
// of the default objects.
GLOB_Object TransferFunction(const GLOB_Object& function) {
    if (!function.IsName())
        return function;
    const GLOB_Name name = function.AsName();
    if (name == "Identity")
        return Core::IdentityFunction();
    if (!(name == "Default"))
        GLIB_LOG(GLIB_LogWarning, "Invalid name value '" << iCPDF_NameText{name}
                                                         << "' found for transfer function. Using /Default instead.");
    return Core::DefaultTransfer();
}

double Transferred(const GLOB_Object& function, double component) {
    const GLOB_Object f = TransferFunction(function);
    // The very object (same back-end, then the same object): an indirect
    // function of a page's document may carry the same number.
    if (f == Core::IdentityFunction())
        return component;
    const CPDF_Function evaluator(f);
    std::vector<double> in(std::max(1u, evaluator.DomainDimension()), component);
    std::vector<double> out(std::max(1u, evaluator.RangeDimension()), 0.0);
    evaluator.Evaluate(in.data(), out.data(), 1);
    return out[0];
}

}  // namespace

void CPDF_GraphicsState::TransferFillColor(CPDF_Color color, CPDF_Color& result) const {
    TransferColor(m_core->m_fillColorSpace, color, result);
}

void CPDF_GraphicsState::TransferStrokeColor(CPDF_Color color, CPDF_Color& result) const {
    TransferColor(m_core->m_strokeColorSpace, color, result);
}

void CPDF_GraphicsState::TransferColor(const CPDF_ColorSpace& space, CPDF_Color color, CPDF_Color& result) const {
    CPDF_ColorSpace reduced = space;
    if (space.Type() == CPDF_ColorSpace::Indexed) {
        const double index = color.NumComponents() > 0 ? color.Component(0) : 0.0;
        // Truncated, and kept inside the table (hival is at most 255).
        const unsigned entry = static_cast<unsigned>(std::min(std::max(index, 0.0), 255.0));
        reduced = space.BaseColorSpace();
        color = space.AsIndexed().Color(entry);
    } else if (space.Type() == CPDF_ColorSpace::Pattern) {
        // A coloured pattern has no colour of its own to transfer.
        reduced = space.BaseColorSpace();
    }
    result = color;
    const bool gray = reduced.Type() == CPDF_ColorSpace::DeviceGray;
    if (!gray && reduced.Type() != CPDF_ColorSpace::DeviceCMYK)
        return;
    const GLOB_Object transfer = m_core->m_transfer;
    if (transfer.IsArray() && transfer.Length() != 4)
        GLIB_THROW(CPDF_Exception, CPDF_InvalidFunctionCode,
                   "A transfer function array must hold 4 functions, found " << transfer.Length());
    const unsigned count = std::min(result.NumComponents(), gray ? 1u : 4u);
    for (unsigned i = 0; i < count; ++i) {
        const GLOB_Object function = transfer.IsArray() ? transfer.Get(gray ? 3 : i) : transfer;
        result.SetComponent(i, Transferred(function, result.Component(i)));
    }
}

void CPDF_GraphicsState::DeviceLineWidth(double* minimum, double* maximum) const {
    const double w = m_core->m_lineWidth;
    const GLIB_Matrix& m = m_core->m_ctm;
    if (w == 0.0) {
        *minimum = *maximum = 0.0;
    } else if (m.IsConformal()) {
        *minimum = *maximum = w * m.XScale();
    } else if (std::fabs(m.B()) <= 1e-6 && std::fabs(m.C()) <= 1e-6) {
        const double x = std::fabs(m.A()) * w;
        const double y = std::fabs(m.D()) * w;
        *minimum = std::min(x, y);
        *maximum = std::max(x, y);
    } else {
        // The singular values of the linear part.
        const double p = m.A() * m.A() + m.B() * m.B();
        const double q = m.C() * m.C() + m.D() * m.D();
        const double r = m.A() * m.C() + m.B() * m.D();
        const double s = std::sqrt((p - q) * (p - q) + 4.0 * r * r);
        *minimum = w * std::sqrt(std::max(0.0, (p + q - s) / 2.0));
        *maximum = w * std::sqrt((p + q + s) / 2.0);
    }
}
