#include "VDRW_InkBand.h"

#include <stddef.h>

static _Thread_local int t_inkBand;

void VDRW_SetDrawingInkBand(int on) { t_inkBand = on; }

int VDRW_DrawingInkBand(void) { return t_inkBand; }

static unsigned char* BandRow(const VDRW_Band* band, int y) {
    return band->m_pixels + (size_t)y * (size_t)band->m_width * 4;
}

fz_pixmap* VDRW_NewInkBand(fz_context* ctx, const VDRW_Band* band) {
    const fz_irect area = fz_make_irect(band->m_x, band->m_y, band->m_x + band->m_width, band->m_y + band->m_height);
    fz_pixmap* ink = fz_new_pixmap_with_bbox(ctx, fz_device_cmyk(ctx), area, NULL, 1);
    for (int y = 0; y < band->m_height; ++y) {
        const unsigned char* from = BandRow(band, y);
        unsigned char* to = ink->samples + (size_t)y * ink->stride;
        for (int x = 0; x < band->m_width; ++x, from += 4, to += 5) {
            if (from[0] != from[1] || from[1] != from[2]) {
                fz_drop_pixmap(ctx, ink);
                return NULL;
            }
            to[0] = to[1] = to[2] = 0;
            to[3] = (unsigned char)(255 - from[0]);
            to[4] = 255;
        }
    }
    return ink;
}

void VDRW_PutInkBand(const fz_pixmap* ink, const VDRW_Band* band) {
    for (int y = 0; y < band->m_height; ++y) {
        const unsigned char* from = ink->samples + (size_t)y * ink->stride;
        unsigned char* to = BandRow(band, y);
        for (int x = 0; x < band->m_width; ++x, from += 5, to += 4)
            to[0] = to[1] = to[2] = (unsigned char)(255 - from[3]);
    }
}
