#include "Exchange/ZOVA/ZOVA_ColorLookupTable.h"

#include <algorithm>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

// Fraction of red, green and blue each process ink absorbs at full coverage.
constexpr double Absorption[4][3] = {
    {1.0, 0.3725, 0.2235},   // Cyan
    {0.0588, 0.9921, 0.502}, // Magenta
    {0.0, 0.0, 1.0},         // Yellow
    {1.0, 1.0, 1.0},         // Black
};

void BuildTable(uint32_t* entries, const double (&fraction)[3]) {
    for (uint32_t i = 0; i < 256; ++i) {
        const auto red = static_cast<uint32_t>(i * fraction[0]);
        const auto green = static_cast<uint32_t>(i * fraction[1]);
        const auto blue = static_cast<uint32_t>(i * fraction[2]);
        entries[i] = red << 16 | green << 8 | blue;
    }
}

CPDF_Color UnitColor(unsigned component) {
    CPDF_Color c(4u);
    c.SetComponent(component, 1.0);
    return c;
}

// Whether every byte equals the first.
bool Uniform(const unsigned char* plate, int32_t count) {
    unsigned char differ = 0;
    for (int32_t i = 0; i < count; ++i)
        differ |= static_cast<unsigned char>(plate[i] ^ plate[0]);
    return differ == 0;
}

// have[i] -= take[i] for every byte, stopping at 0.
void SubtractBytesSaturating(unsigned char* have, const unsigned char* take, size_t count) {
    size_t i = 0;
#if defined(__SSE2__)
    for (; i + 16 <= count; i += 16) {
        const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(have + i));
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(take + i));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(have + i), _mm_subs_epu8(a, b));
    }
#endif
    for (; i < count; ++i)
        have[i] = static_cast<unsigned char>(have[i] > take[i] ? have[i] - take[i] : 0);
}

}  // namespace

ZOVA_ColorLookupTable::ZOVA_ColorLookupTable()
    : m_processColors{UnitColor(0), UnitColor(1), UnitColor(2), UnitColor(3)} {
    for (int ink = 0; ink < 4; ++ink)
        BuildTable(m_processTables[ink], Absorption[ink]);
}

ZOVA_ColorLookupTable::~ZOVA_ColorLookupTable() = default;

const uint32_t* ZOVA_ColorLookupTable::TableFor(const CPDF_Color& cmyk) {
    for (int ink = 0; ink < 4; ++ink)
        if (cmyk == m_processColors[ink])
            return m_processTables[ink];
    for (auto it = m_spots.begin(); it != m_spots.end(); ++it)
        if ((*it)->m_color == cmyk) {
            m_spots.splice(m_spots.begin(), m_spots, it);
            return m_spots.front()->m_entries;
        }
    if (m_spots.size() < MaxSpotTables) {
        auto record = std::make_unique<SpotTable>();
        record->m_color.SetNumComponents(4);
        m_spots.push_back(std::move(record));
    }
    // The new record, or the least recently used one, which is reused.
    m_spots.splice(m_spots.begin(), m_spots, std::prev(m_spots.end()));
    SpotTable& spot = *m_spots.front();
    double fraction[3];
    for (int ch = 0; ch < 3; ++ch) {
        double s = 0.0;
        for (unsigned ink = 0; ink < 4; ++ink)
            s += Absorption[ink][ch] * (ink < cmyk.NumComponents() ? cmyk.Component(ink) : 0.0);
        fraction[ch] = std::min(std::max(s, 0.0), 1.0);
    }
    BuildTable(spot.m_entries, fraction);
    spot.m_color = cmyk;
    return spot.m_entries;
}

void ZOVA_ColorLookupTable::Composite(ZOVA_OffscreenImage& image, const unsigned char* plate, const CPDF_Color& cmyk,
                                      int32_t width, int32_t height) {
    const uint32_t* table = TableFor(cmyk);
    int32_t imageWidth = 0, imageHeight = 0;
    image.Size(&imageWidth, &imageHeight);
    // A plate larger than the image (the window may exceed the screen-size
    // image) changes only the image's own pixels.
    const int32_t w = std::clamp(width, 0, imageWidth);
    const int32_t h = std::clamp(height, 0, imageHeight);
    const int32_t rowBytes = image.RowBytes();
    auto* row = reinterpret_cast<unsigned char*>(image.LockData());
    // A row goes in blocks: a block of plate without ink (entry 0 absorbs
    // nothing) is passed over, and an even block looks its absorption up
    // once; in the others each is looked up. Then they are taken from the
    // pixels' bytes all at once. An absorption's top byte is 0, so each
    // pixel's top byte stays as it was.
    constexpr int32_t Block = 64;
    uint32_t absorbed[Block];
    for (int32_t y = 0; y < h; ++y, row += rowBytes, plate += width) {
        for (int32_t x = 0; x < w; x += Block) {
            const int32_t n = std::min(Block, w - x);
            if (Uniform(plate + x, n)) {
                if (plate[x] == 255)
                    continue;
                std::fill_n(absorbed, n, table[255 - plate[x]]);
            } else {
                for (int32_t i = 0; i < n; ++i)
                    absorbed[i] = table[255 - plate[x + i]];
            }
            SubtractBytesSaturating(row + static_cast<size_t>(x) * sizeof(uint32_t),
                                    reinterpret_cast<const unsigned char*>(absorbed),
                                    static_cast<size_t>(n) * sizeof(uint32_t));
        }
    }
    image.UnlockData();
}
