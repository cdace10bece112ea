#include "Exchange/XCHG/XCHG_AVToolBarObj.h"

#include "Exchange/XCHG/XCHG_AVCalls.h"
#include "Exchange/XCHG/XCHG_AVToolButtonObj.h"
#include "hostpdf/PDFL_CorCalls.h"

void XCHG_AVToolBarObj::AddButtonAfter(XCHG_AVToolButtonObj& button, const char* existing) {
    const PDFL_AVToolBar toolBar = ToolBar();
    if (!toolBar)
        return;
    const PDFL_AVToolButton found =
        XCHG_AVToolBarGetButtonByName(toolBar, PDFL_ASAtomFromString(existing));
    XCHG_AVToolBarAddButton(toolBar, button.HostButton(), /*before=*/0, found);
}

void XCHG_AVToolBarObj::AddButton(XCHG_AVToolButtonObj& button, XCHG_AVToolButtonObj& after) {
    const PDFL_AVToolBar toolBar = ToolBar();
    if (!toolBar)
        return;
    XCHG_AVToolBarAddButton(toolBar, button.HostButton(), /*before=*/0, after.HostButton());
}

PDFL_Bool XCHG_AVToolBarObj::IsRoomFor(uint16_t buttons, uint16_t separators) {
    const PDFL_AVToolBar toolBar = ToolBar();
    return toolBar ? XCHG_AVToolBarIsRoomFor(toolBar, buttons, separators) : 0;
}

PDFL_AVToolBar XCHG_MainToolBar::ToolBar() {
    return XCHG_AVAppGetToolBar();
}

XCHG_MainToolBar& XCHG_MainToolBar::Instance() {
    static XCHG_MainToolBar instance;
    return instance;
}
