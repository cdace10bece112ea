// The inks of a separated output document and the program's inks.txt:
// ink i is output page i, named by its SeparationInfo's /DeviceColorant,
// with the CMYK equivalent of its /VELM_Recipe.
//
// inks.txt: "dpi D", then a line per ink of five tab-separated fields:
// index, name, "C M Y K" (each %.6g; "-" when the page gives no recipe of
// four numbers), "shown" or "hidden", plate file. Tabs, since ink names
// hold spaces; the name's control bytes and '#' are written "#xx".
#pragma once

#include "viewer/cos/VCOS_Store.h"
#include "viewer/host_api.h"

#include <string>
#include <vector>

struct VIEW_InkLine {
    int m_index = 0;
    std::string m_name;  // "" when the page names no ink
    bool m_hasRecipe = false;
    double m_cmyk[4] = {0, 0, 0, 0};
    bool m_shown = true;
    std::string m_plateFile;  // VIEW_PlateFileName
};

// One line per page of the host document doc (shown, with its plate file).
std::vector<VIEW_InkLine> VIEW_ReadInks(PDFL_PDDoc doc);
// The first count pages of the store document doc.
std::vector<VIEW_InkLine> VIEW_ReadInks(VCOS_DocId doc, int32_t count);

std::string VIEW_InksText(int dpi, const std::vector<VIEW_InkLine>& inks);
