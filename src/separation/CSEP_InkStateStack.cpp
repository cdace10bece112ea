#include "separation/CSEP_InkStateStack.h"

namespace {

void Assign(uint32_t& flags, uint32_t flag, bool on) { flags = on ? flags | flag : flags & ~flag; }

}  // namespace

void CSEP_InkStateStack::SetFlag(uint32_t flag, bool on) { Assign(m_entries.back().m_paintFlags, flag, on); }

void CSEP_InkStateStack::SetLeftFlag(uint32_t flag, bool on) { Assign(m_entries.back().m_leftFlags, flag, on); }

void CSEP_InkStateStack::Pop() {
    if (m_entries.size() > 1)
        m_entries.pop_back();
}
