// The /DecodeParms of the predictor filters and the row arithmetic both
// directions share (ISO 32000-1, 7.4.4.4; the PNG predictors of RFC 2083).
#pragma once

#include "FILT/FILT_FilterBuffer.h"

#include <cstdint>
#include <cstdlib>

struct FILT_PredictParameters {
    // 1 none, 2 TIFF, 10 to 14 one PNG predictor for every row, 15 a PNG
    // predictor chosen per row.
    enum : int32_t { None = 1, TIFF = 2, PNGNone = 10, PNGSub = 11, PNGUp = 12, PNGAverage = 13, PNGPaeth = 14,
                     PNGOptimum = 15 };
    // Limits of the parameters; a row larger than MaxRowBytes is refused.
    static constexpr uint32_t MaxColors = 256;
    static constexpr uint64_t MaxRowBytes = 1u << 24;

    int32_t predictor = None;
    uint32_t colors = 1;
    uint32_t bitsPerComponent = 8;
    uint32_t columns = 1;

    bool IsPNG() const { return predictor >= PNGNone && predictor <= PNGOptimum; }
    // Bytes of a row and of a pixel; valid once Check passed.
    FILT_Size RowSize() const {
        return static_cast<FILT_Size>((static_cast<uint64_t>(columns) * colors * bitsPerComponent + 7) / 8);
    }
    FILT_Size PixelSize() const { return static_cast<FILT_Size>((bitsPerComponent * colors + 7) / 8); }

    // Throws GLIB_Exception with code and a message starting with
    // filterName when a value is out of range, when the row would exceed
    // MaxRowBytes, or when the TIFF predictor meets a width other than 1, 2,
    // 4 or 8 bits. An unknown predictor gives "Unrecognized Prediction: N"
    // (also logged at level 2).
    void Check(const char* filterName, uint32_t code) const;
    // The four values, checked as Check does.
    static FILT_PredictParameters Checked(int32_t predictor, uint32_t colors, uint32_t bitsPerComponent,
                                          uint32_t columns, const char* filterName, uint32_t code) {
        const FILT_PredictParameters p{predictor, colors, bitsPerComponent, columns};
        p.Check(filterName, code);
        return p;
    }
};

// The PNG Paeth predictor: whichever of a (left), b (up), c (upper left) is
// nearest to a + b - c, ties in the order a, b, c.
inline uint8_t FILT_Paeth(uint8_t a, uint8_t b, uint8_t c) {
    const int pa = std::abs(int(b) - int(c));
    const int pb = std::abs(int(a) - int(c));
    const int pc = std::abs(int(a) + int(b) - 2 * int(c));
    if (pa <= pb && pa <= pc)
        return a;
    return pb <= pc ? b : c;
}
