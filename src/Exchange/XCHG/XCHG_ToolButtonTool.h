// The toolbar button of a tool: pressing it makes the tool the host's
// active tool, and it shows marked while that tool is active. Enabled only
// for a front document whose permissions carry the bit of value 8.
#pragma once

#include "Exchange/XCHG/XCHG_AVToolButtonObj.h"

class XCHG_AVToolObj;

class XCHG_ToolButtonTool : public XCHG_AVToolButtonObj {
public:
    ~XCHG_ToolButtonTool() override { m_tool = nullptr; }

    void Create(XCHG_AVToolObj* tool, const char* name, uint16_t bitmapId, uint32_t helpStringId);

    PDFL_Bool ComputeEnabled() override;
    PDFL_Bool ComputeMarked() override;
    // Persistent when the modifier word has the bit of value 8 or the host
    // calls the tool persistent.
    void Execute() override;

private:
    XCHG_AVToolObj* m_tool = nullptr;
};
