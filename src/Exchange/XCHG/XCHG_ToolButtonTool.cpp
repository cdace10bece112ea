#include "Exchange/XCHG/XCHG_ToolButtonTool.h"

#include "Exchange/XCHG/XCHG_AVCalls.h"
#include "Exchange/XCHG/XCHG_AVToolObj.h"
#include "hostpdf/PDFL_PDCalls.h"

namespace {
constexpr uint32_t EditPermission = 8;
constexpr int32_t PersistentModifier = 8;
}  // namespace

void XCHG_ToolButtonTool::Create(XCHG_AVToolObj* tool, const char* name, uint16_t bitmapId,
                                 uint32_t helpStringId) {
    XCHG_AVToolButtonObj::Create(name, bitmapId, helpStringId);
    m_tool = tool;
}

PDFL_Bool XCHG_ToolButtonTool::ComputeEnabled() {
    if (!m_tool)
        return 0;
    const PDFL_AVDoc doc = XCHG_AVAppGetActiveDoc();
    if (!doc)
        return 0;
    return (PDFL_PDDocGetPermissions(XCHG_AVDocGetPDDoc(doc)) & EditPermission) ? 1 : 0;
}

PDFL_Bool XCHG_ToolButtonTool::ComputeMarked() {
    if (!ComputeEnabled())
        return 0;
    return XCHG_AVAppGetActiveTool() == m_tool->HostTool() ? 1 : 0;
}

void XCHG_ToolButtonTool::Execute() {
    if (!ComputeEnabled())
        return;
    const int32_t modifiers = XCHG_AVSysGetModifiers();
    const PDFL_Bool hostSaysPersistent = XCHG_AVToolIsPersistent(m_tool->HostTool());
    const bool persistent = (modifiers & PersistentModifier) != 0 || hostSaysPersistent != 0;
    XCHG_AVAppSetActiveTool(m_tool->HostTool(), persistent ? 1 : 0);
}
