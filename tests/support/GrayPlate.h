// 8-bit gray images as Ghostscript writes them for the end-to-end check of
// the separation engine, their readers, and the comparison of a rendering
// with a plate. Test support only.
//
// Both kinds of file hold one byte per pixel, row after row, 255 meaning no
// ink (white): tiffsep's per-ink plates and pgmraw's renderings of a gray
// page alike. The readers take only what Ghostscript writes and refuse
// anything else with std::runtime_error.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct GrayPlate {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> pixels;  // width × height, row after row

    uint8_t At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
    uint8_t& At(int x, int y) { return pixels[static_cast<size_t>(y) * width + x]; }
    // Share of the pixels below 255; 0 for an empty image.
    double InkedShare() const;
};

// The first image of a little- or big-endian TIFF file: one 8-bit sample per
// pixel, no compression, in any number of strips (tiffsep with
// -sCompression=none).
GrayPlate ReadTiffPlate(const std::string& path);
// A binary PGM ("P5", maximum 255), comments allowed in the header.
GrayPlate ReadPgm(const std::string& path);

// How closely a rendering follows a plate. A pixel is an edge pixel when some
// pixel of its 3×3 neighbourhood in the plate differs from it by more than
// Tolerance levels; edges move by a pixel between two rasterisations, so
// they are left out. Of the other pixels, those where the rendering is
// within Tolerance levels of the plate count as matching.
struct PlateMatch {
    static constexpr int Tolerance = 2;
    // The share of matching pixels a separation page must reach.
    static constexpr double RequiredShare = 0.99;
    // Below this level a pixel counts as inked.
    static constexpr int InkedBelow = 250;
    uint64_t nonEdge = 0;
    uint64_t matching = 0;
    // The non-edge pixels inked in the plate or the rendering, and of those
    // the matching ones: a mostly blank page cannot hide a wrong drawing.
    uint64_t inked = 0;
    uint64_t inkedMatching = 0;
    // matching / nonEdge; 1 when every pixel is an edge pixel.
    double Share() const { return nonEdge == 0 ? 1.0 : static_cast<double>(matching) / nonEdge; }
    // inkedMatching / inked; 1 when no pixel is inked.
    double InkedShare() const { return inked == 0 ? 1.0 : static_cast<double>(inkedMatching) / inked; }
    bool Passes() const { return Share() >= RequiredShare; }
};
// Two rasterisers may round a page's size apart by a pixel: sizes a row or
// a column apart (or both) compare over their common top-left area. Sizes
// further apart throw std::runtime_error.
PlateMatch ComparePlate(const GrayPlate& plate, const GrayPlate& rendering);

// Pixels x0 to x1 - 1 of rows y0 to y1 - 1.
struct PixelBox {
    int x0 = 0, y0 = 0, x1 = 0, y1 = 0;
};

// How closely a drawing by another rasteriser follows Ghostscript's
// rendering of the same page, within `tolerance` levels. Two rasterisers
// part further at edges than Ghostscript's two devices: a pixel is an edge
// pixel within two pixels of an edge of the rendering (a tiling cell is
// repeated in whole pixels, so cells land up to two pixels apart) or next
// to an edge of the drawing (a one-pixel sliver along a clipped border).
// Pixels in leftOut are not compared. Sizes as for ComparePlate.
PlateMatch CompareDrawing(const GrayPlate& rendering, const GrayPlate& drawing, int tolerance = PlateMatch::Tolerance,
                          const std::vector<PixelBox>& leftOut = {});
