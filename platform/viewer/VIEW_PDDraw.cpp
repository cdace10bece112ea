// PDModel slot 151: a page's contents drawn into a device context by the
// stand-in's one page drawer, which keeps each document's written copy
// until the document closes.
#include "viewer/VIEW_Cos.h"
#include "viewer/VIEW_CosErrors.h"
#include "viewer/VIEW_HostError.h"
#include "viewer/VIEW_PD.h"
#include "viewer/VIEW_PDState.h"
#include "viewer/draw/VDRW_PageDrawer.h"

#include <memory>

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

}  // namespace

void VIEW_PD::PageDrawContents(PDFL_PDPage page, PDFL_PlatformDC dc, const PDFL_FixedMatrix* matrix,
                               const PDFL_FixedRect* updateRect, PDFL_CancelProc cancel, void* cancelData) {
    // Without them the host would not know where to draw nor what.
    if (!matrix || !updateRect)
        throw VIEW_AssertionFailure("PDPageDrawContentsToWindow without a matrix or update rectangle");
    const int32_t number = PageGetNumber(page);
    if (number < 0)
        VIEW_CosErrors::Raise(VCOS_ErrorKind::BadDocument, "the page is no longer in its document");
    Drawer().Draw(CosDocId(PageGetDoc(page)), number, *matrix, static_cast<HDC>(dc), *updateRect, cancel,
                  cancelData);
}

void VIEW_PDForgetDrawing(VCOS_DocId doc) {
    if (DrawerSlot())
        DrawerSlot()->Forget(doc);
}

void VIEW_PDResetDrawing() { DrawerSlot().reset(); }
