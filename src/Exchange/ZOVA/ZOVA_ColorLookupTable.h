// The separations view's colour model: each ink absorbs red, green and blue
// light by its coverage, and the view image is white minus every shown
// ink's absorption. One 256-entry table per process ink, built once, and the
// sixteen most recently used spot inks' tables.
#pragma once

#include "CPDF/color/CPDF_Color.h"
#include "Exchange/ZOVA/ZOVA_OffscreenImage.h"

#include <cstdint>
#include <list>
#include <memory>

class ZOVA_ColorLookupTable {
public:
    ZOVA_ColorLookupTable();
    ~ZOVA_ColorLookupTable();
    ZOVA_ColorLookupTable(const ZOVA_ColorLookupTable&) = delete;
    ZOVA_ColorLookupTable& operator=(const ZOVA_ColorLookupTable&) = delete;

    // The 256 entries (0x00RRGGBB absorption by coverage 0..255) for an
    // ink's CMYK equivalent. A spot table's pointer lasts until a later call
    // recycles its record; process tables last as long as the object.
    const uint32_t* TableFor(const CPDF_Color& cmyk);
    // Subtracts one ink's plate (height rows of width bytes, 255 no ink, 0
    // full ink) from the image, each channel saturating at 0. Only pixels
    // inside the image are touched.
    void Composite(ZOVA_OffscreenImage& image, const unsigned char* plate, const CPDF_Color& cmyk, int32_t width,
                   int32_t height);

    static constexpr size_t MaxSpotTables = 16;

    struct SpotTable {
        uint32_t m_entries[256];
        CPDF_Color m_color;
    };

private:
    uint32_t m_processTables[4][256];
    CPDF_Color m_processColors[4];
    std::list<std::unique_ptr<SpotTable>> m_spots;  // most recently used first
};
