#include "viewer/program/VIEW_ProgramPlates.h"

#include "viewer/program/VIEW_ProgramFiles.h"
#include "viewer/program/VIEW_ProgramWrites.h"

#include <algorithm>
#include <vector>

void VIEW_ProgramPlates::Start(VIEW_ProgramOutput* output, FrameOf frameOf, std::function<bool()> stop) {
    m_output = output;
    m_frameOf = std::move(frameOf);
    m_stop = std::move(stop);
}

void VIEW_ProgramPlates::Hear(VIEW_PageDrawing&& drawing, const std::string& plateFile) {
    if (!m_heard)
        std::copy(drawing.m_matrix, drawing.m_matrix + 6, m_matrix);
    m_heard = true;
    m_doc = drawing.m_doc;
    auto& held = m_held[drawing.m_page];
    m_bytesHeld = m_bytesHeld - held.first.m_blue.size() + drawing.m_blue.size();
    held = {std::move(drawing), plateFile};
    if (m_held.size() >= InFlight)
        Flush();
}

bool VIEW_ProgramPlates::Flush() {
    if (m_held.empty())
        return !m_stop();
    const VIEW_PageFrame frame = m_frameOf(m_matrix);
    std::vector<std::function<bool()>> writes;
    // Each write's reason for a failure, written by its own thread.
    std::vector<std::string> why(m_held.size());
    for (const auto& [page, held] : m_held) {
        const VIEW_PageDrawing& plate = held.first;
        // In the drawing's own pixels.
        VIEW_PixelRect keep = frame.PlatePixels();
        keep = VIEW_PixelRect{keep.m_left - plate.m_left, keep.m_top - plate.m_top, keep.m_right - plate.m_left,
                              keep.m_bottom - plate.m_top}
                   .Within(VIEW_PixelRect{0, 0, plate.m_width, plate.m_height});
        writes.push_back([folder = m_output->Staged(held.second), &name = held.second, &plate, keep,
                          reason = &why[writes.size()]] {
            return VIEW_WritePngAt(folder, name, keep.Width(), keep.Height(), 1,
                                   VIEW_FirstPixel(plate.m_blue, plate.m_width, 1, keep),
                                   static_cast<size_t>(plate.m_width), reason);
        });
    }
    const std::vector<VIEW_WriteResult> written = VIEW_RunWrites(writes, VIEW_WriteThreads(writes.size()), m_stop);
    bool whole = true;
    size_t i = 0;
    for (const auto& [page, held] : m_held) {
        if (written[i] == VIEW_WriteResult::Failed)
            m_failed[held.second] = why[i];
        else if (written[i] == VIEW_WriteResult::Written)
            m_failed.erase(held.second);
        whole = whole && written[i] != VIEW_WriteResult::NotRun;
        ++i;
    }
    m_held.clear();
    m_bytesHeld = 0;
    return whole && !m_stop();
}
