// An owning pointer to an array of colours that hands its array over on
// copy: the copy owns the array and the source is left holding none. A
// table is so never shared by two owners and never copied. The destructor
// destroys every colour and frees the array.
#pragma once

#include "CPDF/color/CPDF_Color.h"

#include <cstdint>
#include <memory>

class CPDF_ColorTablePtr {
public:
    // No table.
    CPDF_ColorTablePtr() = default;
    // Owns colors, an array of count colours made with new[].
    CPDF_ColorTablePtr(CPDF_Color* colors, uint32_t count) : m_colors(colors), m_count(colors ? count : 0) {}
    // Takes other's table.
    CPDF_ColorTablePtr(CPDF_ColorTablePtr& other) : m_colors(std::move(other.m_colors)), m_count(other.m_count) {
        other.m_count = 0;
    }
    // Frees the table held, then takes other's.
    CPDF_ColorTablePtr& operator=(CPDF_ColorTablePtr& other) {
        if (this != &other) {
            m_colors = std::move(other.m_colors);
            m_count = other.m_count;
            other.m_count = 0;
        }
        return *this;
    }

    // Whether a table is held (and owned).
    bool IsOwner() const { return m_colors != nullptr; }
    CPDF_Color* Get() const { return m_colors.get(); }
    uint32_t Count() const { return m_count; }
    // Frees the table; none is held.
    void Reset() {
        m_colors.reset();
        m_count = 0;
    }

private:
    std::unique_ptr<CPDF_Color[]> m_colors;
    uint32_t m_count = 0;
};
