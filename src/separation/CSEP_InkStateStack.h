// What the content separator knows of one ink at the current point of a
// content stream: whether the current stroke and fill paint in that ink,
// whether an overprinting stroke or fill leaves that ink (it marks in
// others, so the ink keeps its backdrop there), and the text rendering mode
// last written to that ink's stream. q pushes a
// copy of the top, Q pops it, as the ink's own stream does with its state.
#pragma once

#include <cstdint>
#include <vector>

struct CSEP_InkState {
    // Paint flags; their sum is the row of the paint and text-mode tables.
    enum : uint32_t { StrokeFlag = 1, FillFlag = 2 };

    uint32_t m_paintFlags = 0;
    uint32_t m_leftFlags = 0;  // the same bits, for the sides overprint leaves
    int32_t m_textMode = 0;
};

class CSEP_InkStateStack {
public:
    // The one entry {flags 0, none left, mode 0}.
    CSEP_InkStateStack() { Reset(); }

    // Exactly one entry {flags 0, none left, mode 0}.
    void Reset() { m_entries.assign(1, CSEP_InkState()); }

    uint32_t Flags() const { return m_entries.back().m_paintFlags; }
    int32_t TextMode() const { return m_entries.back().m_textMode; }
    void SetTextMode(int32_t mode) { m_entries.back().m_textMode = mode; }
    // Sets or clears StrokeFlag or FillFlag of the top.
    void SetFlag(uint32_t flag, bool on);
    uint32_t LeftFlags() const { return m_entries.back().m_leftFlags; }
    void SetLeftFlag(uint32_t flag, bool on);

    void Push() { m_entries.push_back(m_entries.back()); }
    // The content parser lets a Q without its q through, so the stack never
    // drops below its one entry.
    void Pop();

private:
    std::vector<CSEP_InkState> m_entries;
};
