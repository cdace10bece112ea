// The progress lines of a page that takes long: "separating page N: P%"
// and "rendering ink i/n NAME", once the page has taken longer than the
// threshold on the stand-ins' clock. On a terminal each line replaces the
// one before; otherwise the separating line comes every 10%.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

class VIEW_ProgramProgress {
public:
    static constexpr uint64_t DefaultThresholdMs = 1000;

    VIEW_ProgramProgress(std::FILE* err, int pageNumber, uint64_t thresholdMs);
    // The page starts now.
    void Start();
    void Separating(int32_t value, int32_t duration);
    // index from 1.
    void Rendering(int index, int count, const std::string& name);
    // Ends a line left open on a terminal.
    void Finish();

private:
    bool Due() const;
    void Line(const std::string& text);

    std::FILE* m_err;
    int m_page;
    uint64_t m_threshold;
    uint64_t m_start = 0;
    bool m_terminal;
    bool m_open = false;  // a line without its end on the terminal
    int m_lastTenth = -1;
};
