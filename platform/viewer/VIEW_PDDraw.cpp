// PDModel slot 151: a page's contents drawn into a device context by the
// stand-in's one page drawer, which keeps each document's written copy
// until the document closes; a drawing that ran to its end is told to the
// drawing listener.
#include "viewer/VIEW_Cos.h"
#include "viewer/VIEW_CosErrors.h"
#include "viewer/VIEW_DrawListener.h"
#include "viewer/VIEW_HostError.h"
#include "viewer/VIEW_PD.h"
#include "viewer/VIEW_PDState.h"
#include "viewer/draw/VDRW_DibTarget.h"
#include "viewer/draw/VDRW_PageDrawer.h"

#include <memory>
#include <utility>

namespace {

std::unique_ptr<VDRW_PageDrawer>& DrawerSlot() {
    static std::unique_ptr<VDRW_PageDrawer> drawer;
    return drawer;
}

VDRW_PageDrawer& Drawer() {
    std::unique_ptr<VDRW_PageDrawer>& drawer = DrawerSlot();
    if (!drawer)
        drawer = std::make_unique<VDRW_PageDrawer>(VIEW_Cos::Store());
    return *drawer;
}

// The drawn rectangle's blue bytes, from the DIB the drawing went into.
void TellListener(VCOS_DocId doc, int32_t page, const VDRW_Drawn& drawn, HDC dc, const PDFL_FixedMatrix& matrix) {
    const VDRW_DibTarget target = VDRW_DibTarget::FromDC(dc);
    VIEW_PageDrawing drawing;
    const PDFL_Fixed fixed[6] = {matrix.m_a, matrix.m_b, matrix.m_c, matrix.m_d, matrix.m_h, matrix.m_v};
    for (int i = 0; i < 6; ++i)
        drawing.m_matrix[i] = fixed[i] / 65536.0;
    drawing.m_doc = doc;
    drawing.m_page = page;
    drawing.m_left = drawn.m_left;
    drawing.m_top = drawn.m_top;
    drawing.m_width = drawn.m_right - drawn.m_left;
    drawing.m_height = drawn.m_bottom - drawn.m_top;
    drawing.m_unread = drawn.m_unread;
    drawing.m_blue.resize(static_cast<size_t>(drawing.m_width) * drawing.m_height);
    uint8_t* out = drawing.m_blue.data();
    for (int y = drawn.m_top; y < drawn.m_bottom; ++y) {
        const uint8_t* row = target.Row(y);
        for (int x = drawn.m_left; x < drawn.m_right; ++x)
            *out++ = row[x * 4];
    }
    VIEW_DrawListener::Tell(std::move(drawing));
}

}  // namespace

void VIEW_PD::PageDrawContents(PDFL_PDPage page, PDFL_PlatformDC dc, const PDFL_FixedMatrix* matrix,
                               const PDFL_FixedRect* updateRect, PDFL_CancelProc cancel, void* cancelData) {
    // Without them the host would not know where to draw nor what.
    if (!matrix || !updateRect)
        throw VIEW_AssertionFailure("PDPageDrawContentsToWindow without a matrix or update rectangle");
    const int32_t number = PageGetNumber(page);
    if (number < 0)
        VIEW_CosErrors::Raise(VCOS_ErrorKind::BadDocument, "the page is no longer in its document");
    const VCOS_DocId doc = CosDocId(PageGetDoc(page));
    const VDRW_Drawn drawn =
        Drawer().Draw(doc, number, *matrix, static_cast<HDC>(dc), *updateRect, cancel, cancelData);
    if (drawn.m_complete && !drawn.Empty() && VIEW_DrawListener::IsSet())
        TellListener(doc, number, drawn, static_cast<HDC>(dc), *matrix);
}

void VIEW_PDForgetDrawing(VCOS_DocId doc) {
    if (DrawerSlot())
        DrawerSlot()->Forget(doc);
}

void VIEW_PDResetDrawing() { DrawerSlot().reset(); }
