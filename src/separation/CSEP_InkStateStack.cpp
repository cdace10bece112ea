#include "separation/CSEP_InkStateStack.h"

void CSEP_InkStateStack::SetFlag(uint32_t flag, bool on) {
    uint32_t& flags = m_entries.back().m_paintFlags;
    flags = on ? flags | flag : flags & ~flag;
}

void CSEP_InkStateStack::Pop() {
    if (m_entries.size() > 1)
        m_entries.pop_back();
}
