#include "viewer/program/VIEW_ProgramProgress.h"

#include "win32/win32_driver.h"

#include <unistd.h>

VIEW_ProgramProgress::VIEW_ProgramProgress(std::FILE* err, int pageNumber, uint64_t thresholdMs)
    : m_err(err), m_page(pageNumber), m_threshold(thresholdMs), m_terminal(isatty(fileno(err)) != 0) {}

void VIEW_ProgramProgress::Start() { m_start = Win32Driver::Now(); }

bool VIEW_ProgramProgress::Due() const { return Win32Driver::Now() - m_start > m_threshold; }

void VIEW_ProgramProgress::Line(const std::string& text) {
    if (m_terminal) {
        std::fprintf(m_err, "\r\033[Ktintscope: %s", text.c_str());
        m_open = true;
    } else {
        std::fprintf(m_err, "tintscope: %s\n", text.c_str());
    }
    std::fflush(m_err);
}

void VIEW_ProgramProgress::Separating(int32_t value, int32_t duration) {
    if (duration <= 0 || !Due())
        return;
    const int percent = static_cast<int>(static_cast<int64_t>(value) * 100 / duration);
    if (!m_terminal) {
        if (percent / 10 <= m_lastTenth)
            return;
        m_lastTenth = percent / 10;
    }
    Line("separating page " + std::to_string(m_page) + ": " + std::to_string(percent) + "%");
}

void VIEW_ProgramProgress::Rendering(int index, int count, const std::string& name) {
    if (Due())
        Line("rendering ink " + std::to_string(index) + "/" + std::to_string(count) + " " + name);
}

void VIEW_ProgramProgress::Finish() {
    if (m_open)
        std::fputc('\n', m_err);
    m_open = false;
}
