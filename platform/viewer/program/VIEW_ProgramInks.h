// The inks of a separated output document and the program's inks.txt:
// ink i is output page i, named by its SeparationInfo's /DeviceColorant,
// with the CMYK equivalent of its /VELM_Recipe.
//
// inks.txt: "dpi D mag M"; where the plates do not show the whole page, a
// line "area X0 Y0 X1 Y1", the part they show; where the preview does not,
// a line "preview X0 Y0 X1 Y1" (both in the page's user space, points);
// then a line per ink of five tab-separated fields:
// index, name, "C M Y K" (each to 4 decimals, trailing zeros dropped; "-"
// when the page gives no recipe of four numbers), "shown" or "hidden",
// plate file. Tabs, since ink names
// hold spaces; the name as VIEW_EscapedText writes it.
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

struct VIEW_InksHeader {
    int m_dpi = 0;
    int m_mag = 1;
    bool m_hasArea = false;
    double m_area[4] = {0, 0, 0, 0};
    bool m_hasPreview = false;
    double m_preview[4] = {0, 0, 0, 0};
};

std::string VIEW_InksText(const VIEW_InksHeader& header, const std::vector<VIEW_InkLine>& inks);
// The whole page shown without magnification.
std::string VIEW_InksText(int dpi, const std::vector<VIEW_InkLine>& inks);
// The plate files the ink lines of an inks.txt name, those of the plates'
// form (VIEW_IsPlateFileName) only: the file may have been edited.
std::vector<std::string> VIEW_ListedPlateFiles(const std::string& inksText);
