// A page of a store document as the drawing sees it: found in the page tree
// by index, with MediaBox, CropBox and Rotate inherited from its ancestors.
//
// Page space is user space moved so that the lower-left corner of the page
// box is (0, 0). The page box is crop box ∩ media box, or the media box when
// the two do not overlap (no area in common). A missing media box, or one
// that is not four numbers, is US Letter (0 0 612 792) as MuPDF takes it; a
// crop box of another form counts as missing. Boxes are normalised first.
// Rotate is taken modulo 360, made non-negative, and is 0 when it is not a
// multiple of 90 (or not a number), so no document value reaches a fatal
// check of the caller.
#pragma once

#include <cstdint>

#include "viewer/cos/VCOS_Store.h"

struct VDRW_Box {
    double m_left = 0, m_bottom = 0, m_right = 0, m_top = 0;
};

struct VDRW_PageSpace {
    VCOS_Obj m_page;               // the page dictionary
    double m_originX = 0;          // user-space point that is (0, 0) of page space
    double m_originY = 0;
    double m_width = 0;            // the page box's sides
    double m_height = 0;
    int m_rotate = 0;              // 0, 90, 180 or 270
};

class VDRW_PageSpaceReader {
public:
    // pageIndex from 0, counted over the leaves in Kids order (IsPage), the
    // Counts trusted nowhere. No such page throws VCOS_Error BadDocument; a
    // root without Kids, an inner node's Kids that are not an array, a kid
    // that is not a dictionary, a loop, or nesting deeper than MaxTreeDepth
    // throws BadObject.
    static VDRW_PageSpace Read(const VCOS_Store& store, VCOS_DocId doc, int pageIndex);
    // Whether node, a dictionary below the tree's root, is a page: it has no
    // Kids, whatever its Type, or it is typed /Page and its Kids are not an
    // array (a writer's slip other readers pass over). Any other node is an
    // inner node, whose Kids must be an array.
    static bool IsPage(const VCOS_Store& store, VCOS_Obj node);
    // The page space of page from its inherited MediaBox, CropBox and Rotate
    // (null handles when absent), for callers that found the page and its
    // entries their own way (the PD layer's page handles).
    static VDRW_PageSpace FromEntries(const VCOS_Store& store, VCOS_Obj page, VCOS_Obj mediaBox,
                                      VCOS_Obj cropBox, VCOS_Obj rotate);

    static VDRW_Box PageBox(const VDRW_Box& media, const VDRW_Box* crop);
    static int NormalisedRotate(int64_t degrees);

    static constexpr int MaxTreeDepth = 256;
};
