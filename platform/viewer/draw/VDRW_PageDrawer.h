// The viewer stand-in's page drawing (PDModel slot 151's core): a page of a
// Cos store document drawn by MuPDF into the 32-bit DIB section of a device
// context.
//
// The document is written to memory with its external-file streams inlined
// (VDRW_InlineWriter) and opened by MuPDF once per change of the document
// (VCOS_Store::Changes); the opened copy is kept per document until Forget
// or until the document is closed. Each Draw makes a display list of the
// page's contents (no annotations) and runs it through the matrix, which
// maps page space (VDRW_PageSpace.h) to device pixels, its 16.16 rounding
// taken out (VDRW_DrawingMatrix.h), in bands of BandRows rows (other
// heights change MuPDF's shadings), drawn on several threads (VDRW_BandRun). Only pixels inside the update rectangle (page space), the
// page box and the bitmap are drawn, over what the bitmap holds; the
// reserved byte of each pixel is kept. The cancel procedure, when given, is
// asked on the calling thread before every band is handed out, from the top
// band down, and true stops the drawing there, with no error: bands
// already handed out are drawn whole if they end within 50 ms, otherwise
// stopped and left untouched. After VDRW_StopAllDrawing (from another
// thread) the list and the bands stop where MuPDF next looks, and the
// drawing ends incomplete, with no error.
//
// Failures are host errors: a MuPDF error (also one that MuPDF's display
// list goes past, with MuPDF's message), a device context without a
// 32-bit DIB section, a missing page, a document the store or the inlining
// refuses all raise VIEW_HostRaise with a newly registered error text that
// says what failed (VIEW_ErrorRegistry). MuPDF running out of memory throws
// std::bad_alloc; exceptions of the cancel procedure pass unchanged, the
// drawer staying usable.
//
// Draw answers the device rectangle it drew (half-open, in the bitmap's
// pixels from the top-left), empty when nothing was in it, whether the
// drawing ran to its end, and what MuPDF could not read of the contents.
//
// One drawer belongs to one store and one thread, the one that calls Draw.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>

#include "viewer/cos/VCOS_Store.h"
#include "viewer/draw/VDRW_MuPDFHolders.h"
#include "viewer/host_api.h"
#include "win32/win32.h"

struct VDRW_Drawn {
    int m_left = 0, m_top = 0, m_right = 0, m_bottom = 0;
    bool m_complete = false;  // false: cancelled, or nothing to draw
    // The words of MuPDF's first error that left some of the page's
    // contents undrawn (VDRW_PageListError); empty when none.
    std::string m_unread;

    bool Empty() const { return m_right <= m_left || m_bottom <= m_top; }
};

class VDRW_PageDrawer {
public:
    static constexpr int BandRows = 64;

    explicit VDRW_PageDrawer(const VCOS_Store& store);
    ~VDRW_PageDrawer();
    VDRW_PageDrawer(const VDRW_PageDrawer&) = delete;
    VDRW_PageDrawer& operator=(const VDRW_PageDrawer&) = delete;

    // pageIndex from 0; matrix and updateRect as the slot receives them.
    VDRW_Drawn Draw(VCOS_DocId doc, int pageIndex, const PDFL_FixedMatrix& matrix, HDC dc,
                    const PDFL_FixedRect& updateRect, PDFL_CancelProc cancel, void* cancelData);

    // Drops the opened copy of doc (when its document closes).
    void Forget(VCOS_DocId doc);

    // The most threads a drawing uses; 0 (the default) for
    // VDRW_BandRun::DefaultThreads.
    void SetThreads(int threads);

private:
    struct Opened {
        uint64_t m_changes = 0;
        // MuPDF reads these bytes in place; the document goes first.
        std::unique_ptr<const std::string> m_bytes;
        VDRW_DocumentHolder m_document;
    };

    // Throws VDRW_Error and VCOS_Error; Draw turns them into host errors.
    VDRW_Drawn DrawOrThrow(VCOS_DocId doc, int pageIndex, const PDFL_FixedMatrix& matrix, HDC dc,
                           const PDFL_FixedRect& updateRect, PDFL_CancelProc cancel, void* cancelData);
    VDRW_Engine* Engine();
    VDRW_Document* Document(VCOS_DocId doc);

    const VCOS_Store& m_store;
    VDRW_EngineHolder m_engine;
    std::map<VCOS_DocId, Opened> m_opened;
    int m_threads = 0;
};
