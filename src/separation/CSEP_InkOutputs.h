// Where the content separator writes each ink's stream while it walks one
// content, and the stream objects those become once the walk is done.
//
// Each ink writes into a temporary file of its own (CSEP_TempFile), which
// becomes an external-file stream the job keeps when it uses them, else an
// embedded one. Glyph procedures are held in memory instead, and move into
// a file only when they grow past HeldBytes: a Type 3 font shown in many
// colours has a copy of each glyph for every colour and ink, and a file
// each would cost more than the glyphs' drawing. A procedure held whole
// becomes an embedded stream, or the one the job made before from the same
// bytes (CSEP_SepJobContext::SharedStream): a glyph whose ink is written
// alike in many colours is stored once.
//
// Errors of the files and of the document pass through; the files then go
// with the last handle.
#pragma once

#include "GLOB/GLOB_Object.h"
#include "GLOB/GLOB_Stream.h"
#include "separation/CSEP_SepJobContext.h"

#include <cstddef>
#include <memory>
#include <vector>

class CSEP_InkOutputs {
public:
    static constexpr size_t HeldBytes = 65536;

    // One output per ink of job; held: glyph procedures, as above.
    CSEP_InkOutputs(const CSEP_SepJobContext& job, bool held);
    ~CSEP_InkOutputs();
    CSEP_InkOutputs(const CSEP_InkOutputs&) = delete;
    CSEP_InkOutputs& operator=(const CSEP_InkOutputs&) = delete;

    // The streams to write into, in ink order.
    const std::vector<GLOB_Stream>& Streams() const { return m_streams; }
    // Once the writer has let go of the streams: one stream object per ink
    // into out (emptied first), in ink order.
    void MakeStreams(std::vector<GLOB_Object>& out);

    struct Ink;

private:
    GLOB_Object MakeStream(Ink& ink);

    CSEP_SepJobContext m_job;
    std::vector<std::shared_ptr<Ink>> m_inks;
    std::vector<GLOB_Stream> m_streams;
};
