// The matrix a page is drawn with, from the host's 16.16 one.
//
// The plug-in rounds each term of an exact matrix (dpi / 72 pixels a point,
// the page turned, its top-left corner on a pixel corner) to 16.16. Drawn
// as given, the scale's error (up to 2^-17 pixel a point, 0.006 pixel
// across Letter) moves an edge that lies on a pixel boundary a sub-sample
// off it, and the pixel beyond it gets faint ink. So the error is taken
// out before drawing:
// - a scale term within two 16.16 units of a whole number of 72nds (a
//   whole dpi) is that number;
// - the page box's turned top-left corner stays where the host's matrix
//   puts it, and lies on the nearest pixel corner when the scale's
//   rounding could have moved it there from one (two units a point of the
//   box's width and height: 0.03 pixel for Letter), as the plug-in places
//   it.
// A matrix of any other scale moves by less than two units a term.
#pragma once

#include "viewer/draw/VDRW_MuPDF.h"
#include "viewer/host_api.h"

// Page space (VDRW_PageSpace.h) to device pixels for a page box of
// boxWidth x boxHeight points.
VDRW_Transform VDRW_DrawingMatrix(const PDFL_FixedMatrix& host, double boxWidth, double boxHeight);
