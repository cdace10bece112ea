// One piece of a mesh shading: a vertex of a triangle mesh (types 4 and 5)
// or a patch (types 6 and 7), with the edge flag that opened it, its control
// points in data order and its colours, each of NumColorComponents
// components. Index checks are assertions.
#pragma once

#include "CPDF/color/CPDF_Color.h"
#include "GLIB/GLIB_Assert.h"
#include "GLIB/GLIB_Geometry.h"

#include <cstdint>
#include <vector>

class CPDF_MeshPiece {
public:
    CPDF_MeshPiece(uint32_t flag, uint32_t numControlPoints, uint32_t numColors, uint32_t numColorComponents) {
        Reset(flag, numControlPoints, numColors, numColorComponents);
    }

    // The flag; n points (0, 0); m colours of c components 0.0.
    void Reset(uint32_t flag, uint32_t n, uint32_t m, uint32_t c) {
        m_flag = flag;
        m_numColorComponents = c;
        m_controlPoints.assign(n, GLIB_Point());
        // The slots share one colour until each is first set.
        m_colors.assign(m, CPDF_Color(c));
    }

    uint32_t Flag() const { return m_flag; }
    void SetFlag(uint32_t flag) { m_flag = flag; }
    uint32_t NumControlPoints() const { return static_cast<uint32_t>(m_controlPoints.size()); }
    uint32_t NumColors() const { return static_cast<uint32_t>(m_colors.size()); }
    uint32_t NumColorComponents() const { return m_numColorComponents; }

    GLIB_Point ControlPoint(uint32_t index) const {
        GLIB_ASSERT_CMP(index, <, NumControlPoints());
        return m_controlPoints[index];
    }
    void SetControlPoint(uint32_t index, const GLIB_Point& point) {
        GLIB_ASSERT_CMP(index, <, NumControlPoints());
        m_controlPoints[index] = point;
    }
    // Shares the piece's colour.
    CPDF_Color Color(uint32_t index) const {
        GLIB_ASSERT_CMP(index, <, NumColors());
        return m_colors[index];
    }
    void SetColorComponent(uint32_t colorIndex, uint32_t componentIndex, double value) {
        GLIB_ASSERT_CMP(colorIndex, <, NumColors());
        GLIB_ASSERT_CMP(componentIndex, <, m_numColorComponents);
        m_colors[colorIndex].SetComponent(componentIndex, value);
    }

private:
    uint32_t m_flag = 0;
    uint32_t m_numColorComponents = 0;
    std::vector<GLIB_Point> m_controlPoints;
    std::vector<CPDF_Color> m_colors;
};
