#include "VDRW_TileLayer.h"

#include "VDRW_InkBand.h"

/* What the pattern can ink of the band, a pixel wider for its edges. */
static fz_irect LayerArea(const VDRW_Tile* tile, fz_rect band) {
    const fz_rect area = fz_expand_rect(fz_transform_rect(tile->m_area, tile->m_ctm), 1);
    return fz_irect_from_rect(fz_intersect_rect(area, band));
}

/* MuPDF's tiling onto layer; 0 when the cookie stopped the cell. */
static int DrawTiling(fz_context* ctx, fz_pixmap* layer, fz_display_list* cell, const VDRW_Tile* tile,
                      fz_default_colorspaces* spaces, fz_cookie* cookie) {
    int drawn = 0;
    fz_device* draw = fz_new_draw_device(ctx, fz_identity, layer);
    fz_var(drawn);
    fz_try(ctx) {
        if (spaces)
            fz_set_default_colorspaces(ctx, draw, spaces);
        if (!fz_begin_tile_id(ctx, draw, tile->m_area, tile->m_view, tile->m_xstep, tile->m_ystep, tile->m_ctm,
                              tile->m_id))
            fz_run_display_list(ctx, cell, draw, fz_identity, fz_infinite_rect, cookie);
        /* A stopped cell may leave its own clips open. */
        if (!(cookie && __atomic_load_n(&cookie->abort, __ATOMIC_RELAXED))) {
            fz_end_tile(ctx, draw);
            fz_close_device(ctx, draw);
            drawn = 1;
        }
    }
    fz_always(ctx) fz_drop_device(ctx, draw);
    fz_catch(ctx) fz_rethrow(ctx);
    return drawn;
}

/* The layer painted onto target as an image over area: MuPDF paints an
 * image's premultiplied pixels with exactly rounded products. */
static void Composite(fz_context* ctx, fz_device* target, fz_pixmap* layer, fz_irect area) {
    const fz_matrix pixels = fz_make_matrix((float)(area.x1 - area.x0), 0, 0, (float)(area.y1 - area.y0),
                                            (float)area.x0, (float)area.y0);
    fz_image* image = fz_new_image_from_pixmap(ctx, layer, NULL);
    fz_try(ctx) fz_fill_image(ctx, target, image, pixels, 1, fz_default_color_params);
    fz_always(ctx) fz_drop_image(ctx, image);
    fz_catch(ctx) fz_rethrow(ctx);
}

/* A CMYK layer's black as BGR, premultiplied: the page is one ink's grey,
 * which MuPDF draws into black alone; cyan, magenta and yellow hold only
 * what a blend mode makes of no ink over no ink (under Difference, full
 * ink). */
static fz_pixmap* BlackAsBgr(fz_context* ctx, const fz_pixmap* cmyk) {
    fz_pixmap* bgr = fz_new_pixmap_with_bbox(ctx, fz_device_bgr(ctx), fz_pixmap_bbox(ctx, cmyk), NULL, 1);
    for (int y = 0; y < cmyk->h; ++y) {
        const unsigned char* from = cmyk->samples + (size_t)y * cmyk->stride;
        unsigned char* to = bgr->samples + (size_t)y * bgr->stride;
        for (int x = 0; x < cmyk->w; ++x, from += 5, to += 4) {
            to[0] = to[1] = to[2] = (unsigned char)(from[3] < from[4] ? from[4] - from[3] : 0);
            to[3] = from[4];
        }
    }
    return bgr;
}

/* MuPDF's tiling straight onto target. */
static void DrawTilingOn(fz_context* ctx, fz_device* target, fz_display_list* cell, const VDRW_Tile* tile,
                         fz_cookie* cookie) {
    if (!fz_begin_tile_id(ctx, target, tile->m_area, tile->m_view, tile->m_xstep, tile->m_ystep, tile->m_ctm,
                          tile->m_id))
        fz_run_display_list(ctx, cell, target, fz_identity, fz_infinite_rect, cookie);
    fz_end_tile(ctx, target);
}

void VDRW_DrawTiledOnLayer(fz_context* ctx, fz_device* target, fz_display_list* cell, const VDRW_Tile* tile,
                           fz_rect band, fz_default_colorspaces* spaces, fz_cookie* cookie, int blends) {
    /* An ink's band is CMYK already, where white is no ink: the tiling
     * keeps it exact there, and a BGR layer would not convert back. */
    if (VDRW_DrawingInkBand()) {
        DrawTilingOn(ctx, target, cell, tile, cookie);
        return;
    }
    const fz_irect area = LayerArea(tile, band);
    if (fz_is_empty_irect(area))
        return;
    fz_colorspace* space = blends ? fz_device_cmyk(ctx) : fz_device_bgr(ctx);
    fz_pixmap* layer = fz_new_pixmap_with_bbox(ctx, space, area, NULL, 1);
    fz_pixmap* black = NULL;
    fz_var(black);
    fz_try(ctx) {
        fz_clear_pixmap(ctx, layer);
        if (DrawTiling(ctx, layer, cell, tile, spaces, cookie)) {
            if (blends)
                black = BlackAsBgr(ctx, layer);
            Composite(ctx, target, black ? black : layer, area);
        }
    }
    fz_always(ctx) {
        fz_drop_pixmap(ctx, black);
        fz_drop_pixmap(ctx, layer);
    }
    fz_catch(ctx) fz_rethrow(ctx);
}
