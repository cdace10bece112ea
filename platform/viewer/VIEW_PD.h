// The host's PD layer (PDModel slots for documents and pages) over the Cos
// store: a PD document is a Cos document (VIEW_Cos) with flags, an open
// count and where it came from; its pages are the leaves of the catalog's
// page tree, with MediaBox, CropBox, Rotate and Resources inherited.
//
// Documents (VIEW_PDDocs.cpp):
// - opened from a path (66) or from an open host file (265, which the host
//   only reads); a second 265 open of the same path, while the first is
//   open, gives the same document, and only the last PDDocClose (71) closes
//   it; flag 8 makes that close delete the document's file;
// - created (69) with a catalog and an empty page tree, flags 1 | 2;
// - saved (70) with flags 0 (where it came from), 1 (in full, to the path
//   given) or 0x21 (to a new path); file system 0 is the path's own
//   (VIEW_Paths::OwnFileSys), else the default one; the save clears flag 1;
// - before writing, a save sends notification 56 with its parameters (bit
//   0 of their flags set for a save in full);
// - permissions (114): an encrypted file's /P, else every bit.
// Pages (VIEW_PDPages.cpp):
// - a page handle is counted: acquiring a page already held gives the same
//   handle, and each acquire (84) or create (85) needs its release (138);
// - positions "after page n" take -1 for the front;
// - CreatePage takes the box as left, top, right, bottom and stores it
//   normalised as the page's MediaBox;
// - the rotation (142) is /Rotate modulo 360, made non-negative, and 0 when
//   it is not a multiple of 90.
// Drawing (VIEW_PDDraw.cpp):
// - slot 151 draws through one VDRW_PageDrawer over the Cos store, whose
//   written copy of a document is dropped when the document closes; a null
//   matrix or update rectangle is an assertion failure; a drawing that ran
//   to its end is told to VIEW_DrawListener.
// A page number out of range, a broken page tree or a document not open is
// a host error (VIEW_CosErrors).
#pragma once

#include "viewer/cos/VCOS_Object.h"
#include "viewer/host_api.h"

#include <cstddef>
#include <cstdint>

class VIEW_PD {
public:
    // ---- Documents
    static PDFL_PDDoc DocOpen(PDFL_ASPathName path, PDFL_ASFileSys fileSys);   // 66
    static PDFL_PDDoc DocOpenFromASFile(PDFL_ASFile file);                     // 265
    static PDFL_PDDoc DocCreate();                                             // 69
    static void DocSave(PDFL_PDDoc doc, uint16_t flags, PDFL_ASPathName path,
                        PDFL_ASFileSys fileSys);                               // 70
    static void DocClose(PDFL_PDDoc doc);                                      // 71
    static int32_t DocGetFlags(PDFL_PDDoc doc);                                // 74
    static void DocSetFlags(PDFL_PDDoc doc, int32_t flags);                    // 75
    static PDFL_CosDoc DocGetCosDoc(PDFL_PDDoc doc);                           // 78
    static void DocSetInfo(PDFL_PDDoc doc, const char* key, const char* value,
                           int32_t length);                                    // 105
    static uint32_t DocGetPermissions(PDFL_PDDoc doc);                         // 114

    // ---- Pages
    static int32_t DocGetNumPages(PDFL_PDDoc doc);                             // 83
    static PDFL_PDPage DocAcquirePage(PDFL_PDDoc doc, int32_t number);         // 84
    static PDFL_PDPage DocCreatePage(PDFL_PDDoc doc, int32_t after,
                                     PDFL_FixedRect box);                      // 85
    static void DocDeletePages(PDFL_PDDoc doc, int32_t first, int32_t last);   // 86
    static void DocMovePage(PDFL_PDDoc doc, int32_t after, PDFL_PDPage page);  // 87
    static int32_t PageGetNumber(PDFL_PDPage page);                            // 137
    static void PageRelease(PDFL_PDPage page);                                 // 138
    static PDFL_PDDoc PageGetDoc(PDFL_PDPage page);                            // 139
    static PDFL_CosObj PageGetCosObj(PDFL_PDPage page);                        // 140
    static PDFL_PDRotate PageGetRotate(PDFL_PDPage page);                      // 142
    static void PageDrawContents(PDFL_PDPage page, PDFL_PlatformDC dc, const PDFL_FixedMatrix* matrix,
                                 const PDFL_FixedRect* updateRect, PDFL_CancelProc cancel,
                                 void* cancelData);                            // 151

    // ---- The stand-in's own interface
    // Page space as the drawing reads it (VDRW_PageSpace.h): the page's crop
    // box cut to its media box (the media box when they do not overlap), in
    // user space. Its lower-left corner is page space's (0, 0).
    static void PageSpaceBox(PDFL_PDPage page, double box[4]);
    // The Cos document of a PD document (an assertion failure when not open).
    static VCOS_DocId CosDocId(PDFL_PDDoc doc);
    static size_t OpenDocCount();
    static size_t AcquiredPageCount();
    static void Reset();
};
