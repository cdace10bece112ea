/* Type 3 glyphs that set their own colour (d0), told apart from the rest of
 * a text.
 *
 * MuPDF 1.21 renders a stroked Type 3 glyph, and a clip's, as a mask, and
 * its glyph cache keeps one rendering per glyph and matrix, coloured or
 * mask, whichever was asked for first. A coloured glyph stroked (text modes
 * 1, 2, 5, 6) would be painted in the text's colour, and so would every
 * later fill of it at that size; which comes first depends on the band a
 * glyph's stroke reaches before its fill. Such glyphs are painted as a fill
 * paints them, in their own colours, whatever the mode. */
#ifndef VDRW_COLOURGLYPHS_H
#define VDRW_COLOURGLYPHS_H

#include <mupdf/fitz.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Whether text holds a Type 3 glyph that sets its own colour. */
int VDRW_HasColourGlyphs(fz_context* ctx, const fz_text* text);

/* The glyphs of text that set their own colour, and the rest, in their
 * order; an empty part is NULL. */
void VDRW_SplitColourGlyphs(fz_context* ctx, const fz_text* text, fz_text** coloured, fz_text** rest);

/* Runs the content of each glyph of text that sets its own colour into
 * dev, under ctm, as a fill of the glyph would run it. */
void VDRW_RunColourGlyphs(fz_context* ctx, const fz_text* text, fz_matrix ctm, fz_device* dev);

/* Adds to mask (alpha only, device space) the coverage of each glyph of
 * text that sets its own colour, under ctm, as a fill of the glyph covers:
 * rendered as MuPDF's glyph cache renders it, at the same subpixel place.
 * A rendering is kept in MuPDF's store, once per glyph, size and place, and
 * never in the glyph cache: a mask kept there would be what a later fill of
 * the glyph at that size is painted with; one too large to keep is rendered
 * within mask alone. A glyph that misses mask costs its bounds. */
void VDRW_AddColourGlyphCoverage(fz_context* ctx, const fz_text* text, fz_matrix ctm, fz_pixmap* mask);

/* Whether text under ctm holds a glyph that sets its own colour and that
 * MuPDF's draw device would render whole every time and never keep (a size
 * its glyph cache takes, a rendering of 256 pixels or more across). */
int VDRW_HasGlyphsRenderedWholeEachTime(fz_context* ctx, const fz_text* text, fz_matrix ctm);

/* Fills text onto dev as MuPDF's draw device fills it, but for each glyph
 * rendered whole every time (above): its part within area (device space, the
 * band) alone is rendered in model, as MuPDF renders it, and painted as
 * MuPDF paints a coloured glyph, in its place among the text's glyphs.
 * model is the colour space the draw device behind dev paints the text in;
 * NULL, where it is not known, fills the text as it is. */
void VDRW_FillTextWithin(fz_context* ctx, fz_device* dev, const fz_text* text, fz_matrix ctm, fz_colorspace* cs,
                         const float* color, float alpha, fz_color_params params, fz_colorspace* model,
                         fz_irect area);

#ifdef __cplusplus
}
#endif

#endif
