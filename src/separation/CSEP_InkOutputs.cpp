#include "separation/CSEP_InkOutputs.h"

#include "GLIB/GLIB_New.h"
#include "GLOB/GLOB_StreamCore.h"
#include "GLOB/GLOB_StringStream.h"
#include "separation/CSEP_TempFile.h"

#include <string>

struct CSEP_InkOutputs::Ink {
    std::string m_held;
    CSEP_TempFile m_file;  // holds no file while the bytes are held
    GLOB_Stream m_fileStream;
};

namespace {

// Appends to the ink's held bytes, and past the bound moves them into the
// ink's file, which then takes every byte.
class HeldOrFiled : public GLOB_StreamCore {
public:
    HeldOrFiled(const std::shared_ptr<CSEP_InkOutputs::Ink>& ink, size_t bound) : m_ink(ink), m_bound(bound) {
        Open(Output);
    }
    ~HeldOrFiled() override { Close(); }

protected:
    // Open for output only: never read.
    FILT_FilterBuffer* FillBuffer() override {
        m_none.SetEOD();
        return &m_none;
    }
    void FlushBuffer(FILT_FilterBuffer& buffer) override {
        CSEP_InkOutputs::Ink& ink = *m_ink;
        const FILT_Size n = buffer.DataAvailable();
        const char* bytes = reinterpret_cast<const char*>(buffer.GetPtr());
        if (!ink.m_file.HoldsFile() && ink.m_held.size() + n <= m_bound) {
            ink.m_held.append(bytes, n);
        } else {
            if (!ink.m_file.HoldsFile()) {
                ink.m_file.Create();
                ink.m_fileStream = ink.m_file.OpenStream();
                Write(ink.m_held.data(), ink.m_held.size());
                std::string().swap(ink.m_held);
            }
            Write(bytes, n);
        }
        buffer.AdvanceGetPtr(n);
    }
    void DoClose() override {}

private:
    void Write(const char* bytes, size_t n) {
        if (n == 0)
            return;
        FILT_FilterBuffer chunk(reinterpret_cast<uint8_t*>(const_cast<char*>(bytes)), static_cast<FILT_Size>(n),
                                false);
        chunk.AdvancePutPtr(static_cast<FILT_Size>(n));
        m_ink->m_fileStream.Write(chunk);
    }

    std::shared_ptr<CSEP_InkOutputs::Ink> m_ink;
    size_t m_bound;
    FILT_FilterBuffer m_none;
};

}  // namespace

CSEP_InkOutputs::CSEP_InkOutputs(const CSEP_SepJobContext& job, bool held) : m_job(job) {
    for (uint32_t i = 0; i < job.NumColorants(); ++i) {
        m_inks.push_back(std::make_shared<Ink>());
        Ink& ink = *m_inks.back();
        if (held) {
            m_streams.emplace_back(GLIB_NEW HeldOrFiled(m_inks.back(), HeldBytes));
        } else {
            ink.m_file.Create();
            m_streams.push_back(ink.m_file.OpenStream());
        }
    }
}

CSEP_InkOutputs::~CSEP_InkOutputs() = default;

void CSEP_InkOutputs::MakeStreams(std::vector<GLOB_Object>& out) {
    out.clear();
    for (size_t i = 0; i < m_inks.size(); ++i) {
        // The closing write flushes what the core still buffers.
        FILT_FilterBuffer end;
        end.SetEOD();
        m_streams[i].Write(end);
        m_streams[i].Close();
        out.push_back(MakeStream(*m_inks[i]));
    }
}

GLOB_Object CSEP_InkOutputs::MakeStream(Ink& ink) {
    const GLOB_Doc doc = m_job.Doc();
    if (!ink.m_file.HoldsFile()) {
        const GLOB_Object stream = m_job.SharedStream(ink.m_held, [&] {
            return CSEP_TempFile::MakeEmbeddedStream(doc, GLOB_Stream(GLIB_NEW GLOB_StringStream(ink.m_held)),
                                                     GLOB_Object(), GLOB_Object());
        });
        std::string().swap(ink.m_held);
        return stream;
    }
    ink.m_fileStream = GLOB_Stream();
    if (m_job.UseExternalStreams() == 0)
        return ink.m_file.MakeEmbeddedStream(doc, GLOB_Object(), GLOB_Object());
    const GLOB_Object stream = ink.m_file.MakeExternalStream(doc, GLOB_Object(), GLOB_Object());
    m_job.AddTempFile(ink.m_file);
    return stream;
}
