// The plates of a run as the host draws them. Each drawing of an ink's
// separation page is held with its plate file's name and written into the
// output's staging folder once InFlight are held, so that the plates held at
// once do not grow with the page's inks. A page drawn again is written again
// from its latest drawing.
#pragma once

#include "viewer/VIEW_DrawListener.h"
#include "viewer/program/VIEW_PageFrame.h"
#include "viewer/program/VIEW_ProgramOutput.h"

#include <cstddef>
#include <functional>
#include <map>
#include <string>
#include <utility>

class VIEW_ProgramPlates {
public:
    static constexpr size_t InFlight = 4;
    // The plates' frame for the matrix every plate is drawn with.
    using FrameOf = std::function<VIEW_PageFrame(const double matrix[6])>;

    // Writes go to output's staging folder, cut to frameOf's plate pixels;
    // once stop answers true no further write starts.
    void Start(VIEW_ProgramOutput* output, FrameOf frameOf, std::function<bool()> stop);
    // Holds drawing as the plate of plateFile, and writes the plates held
    // when they are InFlight.
    void Hear(VIEW_PageDrawing&& drawing, const std::string& plateFile);
    // Writes the plates still held; false when stop cut the writes short.
    bool Flush();

    // Whether a drawing was heard, and of which document.
    bool Heard() const { return m_heard; }
    VCOS_DocId Doc() const { return m_doc; }
    // The first drawing's matrix.
    const double* Matrix() const { return m_matrix; }
    // The reason the latest write of plateFile failed (empty when the
    // system gave none); null when it did not fail.
    const std::string* Failure(const std::string& plateFile) const {
        const auto failed = m_failed.find(plateFile);
        return failed == m_failed.end() ? nullptr : &failed->second;
    }
    // The pixel bytes of the drawings held, not yet written.
    size_t BytesHeld() const { return m_bytesHeld; }

private:
    VIEW_ProgramOutput* m_output = nullptr;
    FrameOf m_frameOf;
    std::function<bool()> m_stop;
    bool m_heard = false;
    VCOS_DocId m_doc = 0;
    double m_matrix[6] = {1, 0, 0, 1, 0, 0};
    // By page: the drawing and its plate file.
    std::map<int32_t, std::pair<VIEW_PageDrawing, std::string>> m_held;
    size_t m_bytesHeld = 0;
    // By plate file: why its latest write failed.
    std::map<std::string, std::string> m_failed;
};
