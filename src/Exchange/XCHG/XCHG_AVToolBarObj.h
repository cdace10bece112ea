// A thin handle on a host toolbar that places buttons and asks for room;
// without a toolbar each operation does nothing. XCHG_MainToolBar is the
// host's main toolbar, asked for at every call.
#pragma once

#include "viewer/host_api.h"

#include <cstdint>

class XCHG_AVToolButtonObj;

class XCHG_AVToolBarObj {
public:
    virtual ~XCHG_AVToolBarObj() = default;
    virtual PDFL_AVToolBar ToolBar() = 0;

    // After the host button named existing (or wherever the host puts a
    // button after none, when there is no such button).
    void AddButtonAfter(XCHG_AVToolButtonObj& button, const char* existing);
    void AddButton(XCHG_AVToolButtonObj& button, XCHG_AVToolButtonObj& after);
    PDFL_Bool IsRoomFor(uint16_t buttons, uint16_t separators);
};

class XCHG_MainToolBar : public XCHG_AVToolBarObj {
public:
    PDFL_AVToolBar ToolBar() override;
    static XCHG_MainToolBar& Instance();
};
