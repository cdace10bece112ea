// Rows of a page drawn again and again by fresh drawers on one thread and on
// eight: bytes that hang on which band a thread finished first show as a
// drawing that differs from the first.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The rows of page pageIndex of the PDF file's bytes at dpi, the page's
// height rounded to a whole row.
int VDRW_PageRows(const std::string& file, int pageIndex, double dpi);

// Rows top to bottom - 1 (from the page's top) of page pageIndex of the PDF
// file's bytes at dpi, drawn runs times, each time into a fresh store by a
// fresh drawer: the first on one thread, then every third on one and the
// others on eight. Every drawing must be complete, cover rows top to bottom -
// 1 and give the first one's bytes; those bytes (B, G, R, reserved, from row 0
// down, white above top) come back, empty when a drawing failed.
std::vector<uint8_t> VDRW_SoakRows(const std::string& file, int pageIndex, double dpi, int top, int bottom,
                                   int runs);

// A 200-point page drawing, uses times at its top-left corner, a side ×
// side one-ink image (uneven values in its top-left corner × corner
// samples, the rest 0) at one image pixel a pixel at dpi; with a soft mask
// of the same size (200 throughout) when masked.
std::string VDRW_HugeImagePage(int side, int corner, int dpi, int uses = 1, bool masked = false);
