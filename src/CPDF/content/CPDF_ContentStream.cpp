#include "CPDF/content/CPDF_ContentStream.h"

#include "CPDF/CPDF_Exception.h"
#include "CPDF/iCPDF_MessageText.h"
#include "GLIB/GLIB_Assert.h"
#include "GLIB/GLIB_Log.h"
#include "GLOB/GLOB_Dict.h"
#include "GLOB/GLOB_Impl.h"
#include "GLOB/GLOB_OperatorParser.h"
#include "GLOB/GLOB_StringStream.h"

#include <cstring>
#include <string>

namespace {

// Reads the entries of an inline image as the operands of the operator that
// ends them, below a Mark so that they make a dictionary.
class InlineImageParser : public GLOB_OperatorParser {
public:
    explicit InlineImageParser(const GLOB_Stream& stream) {
        SetStream(stream);
        SetPostProcess(true);
    }
    bool PostProcess() override {
        Operands().Push(Operands().Doc().NewMark());
        SetPostProcess(false);
        return true;
    }
    // The next operator's text, or null at the end of the data or an error.
    const char* NextOperator() { return Parse() ? OperatorText() : nullptr; }
};

}  // namespace

CPDF_ContentStream::CPDF_ContentStream(const CPDF_Page& page) : m_joinBuffer(JoinBufferSize) {
    OpenContents(page);
    m_resources = page.ResourcesDict();
}

CPDF_ContentStream::CPDF_ContentStream(const CPDF_Page& page, const CPDF_ResourcesDict& resources)
    : m_joinBuffer(JoinBufferSize) {
    OpenContents(page);
    m_resources = resources;
}

void CPDF_ContentStream::OpenContents(const CPDF_Page& page) {
    m_contents = page.Contents();
    if (m_contents.IsStream()) {
        m_numStreams = 1;
        m_currentStream = m_contents.OpenStream(2);
    } else if (m_contents.IsArray()) {
        m_isArray = true;
        m_numStreams = m_contents.Length();
        SayUnread();
        if (m_numStreams > 0)
            m_currentStream = OpenElement(0);
    } else if (m_contents.IsIndirect()) {
        SayUnread();
    } else if (!m_contents.IsNull()) {
        // Contents is optional: a page without any is blank.
        GLIB_THROW(CPDF_Exception, CPDF_MissingContentsCode, "Page missing Contents");
    }
    Open(Input);
}

CPDF_ContentStream::CPDF_ContentStream(const GLOB_Stream& stream, const CPDF_ResourcesDict& resources)
    : m_joinBuffer(JoinBufferSize) {
    Set(stream, resources);
}

CPDF_ContentStream::~CPDF_ContentStream() { Close(); }

void CPDF_ContentStream::Set(const GLOB_Stream& stream, const CPDF_ResourcesDict& resources) {
    m_contents = GLOB_Object();
    m_isArray = false;
    m_numStreams = 1;
    m_streamIndex = 0;
    m_joined = false;
    m_joinBuffer.Reset();
    m_currentStream = stream;
    m_resources = resources;
    Open(Input);
}

namespace {

// References of the page's Contents that name no stream of one kind: the
// first few by name, with what replaced each where it was replaced, the
// others counted.
struct Unread {
    static constexpr uint32_t Named = 3;
    uint32_t m_count = 0;
    std::string m_names, m_by;

    static std::string Name(const GLOB_Object& object) {
        GLOB_Impl* impl = object.GetImpl();
        return std::to_string(impl->ObjectNumber(object)) + " " + std::to_string(impl->GenerationNumber(object)) +
               " R";
    }
    void Note(const GLOB_Object& object, const GLOB_Object* by = nullptr) {
        if (m_count++ >= Named)
            return;
        const std::string comma = m_count > 1 ? ", " : "";
        m_names += comma + Name(object);
        if (by != nullptr)
            m_by += comma + Name(*by);
    }
    std::string More() const { return m_count > Named ? " and " + std::to_string(m_count - Named) + " more" : ""; }
    // one: what is said of a single reference; several: of more.
    void Say(const std::string& one, const std::string& several) const {
        if (m_count == 0)
            return;
        GLIB_LOG(GLIB_LogWarning, "its content stream" << (m_count > 1 ? "s " : " ") << m_names << More() << " "
                                                       << (m_count > 1 ? several : one)
                                                       << ": the page is drawn without "
                                                       << (m_count > 1 ? "them" : "it"));
    }
};

}  // namespace

void CPDF_ContentStream::SayUnread() const {
    Unread missing, replaced, other;
    const auto note = [&](const GLOB_Object& object) {
        if (!object.IsIndirect() || object.IsStream())
            return;
        if (!object.IsNull()) {
            other.Note(object);
            return;
        }
        // Its body may still stand in the file: say what stands for it now.
        const GLOB_Object by = object.GetImpl()->ReplacedBy(object);
        if (by.IsIndirect())
            replaced.Note(object, &by);
        else
            missing.Note(object);
    };
    if (!m_isArray)
        note(m_contents);
    for (uint32_t i = 0; m_isArray && i < m_numStreams; ++i)
        note(m_contents.Get(i));
    missing.Say("is not in the file", "are not in the file");
    const std::string later = replaced.m_by + replaced.More() + " in a later update";
    replaced.Say("was replaced by " + later, "were replaced by " + later);
    other.Say("is not a stream", "are not a stream");
}

GLOB_Stream CPDF_ContentStream::OpenElement(uint32_t index) const {
    const GLOB_Object element = m_contents.Get(index);
    if (!element.IsStream() && element.IsIndirect()) {
        // Said already; the page's other streams are still drawn.
        return GLOB_Stream(GLIB_NEW GLOB_StringStream(std::string()));
    }
    if (!element.IsStream())
        GLIB_THROW(CPDF_Exception, CPDF_InvalidPageCode,
                   "CPDF_ContentStream: Contents element " << index << " must be a Stream, found "
                                                           << iCPDF_TypeOf(element));
    return element.OpenStream(2);
}

FILT_FilterBuffer* CPDF_ContentStream::Join(const uint8_t* text, FILT_Size n, bool space) {
    m_joinBuffer.Reset();
    if (m_joinBuffer.Capacity() < n + 1)
        m_joinBuffer.SetStorage(nullptr, n + 1, true);
    if (n > 0)
        m_joinBuffer.Write(text, n);
    if (space)
        m_joinBuffer.Write(reinterpret_cast<const uint8_t*>(" "), 1);
    return &m_joinBuffer;
}

FILT_FilterBuffer* CPDF_ContentStream::End() {
    m_joinBuffer.Reset();
    m_joinBuffer.SetEOD();
    return &m_joinBuffer;
}

FILT_FilterBuffer* CPDF_ContentStream::FillBuffer() {
    if (m_streamIndex >= m_numStreams)
        return End();
    if (m_joinBuffer.DataAvailable() > 0)
        return &m_joinBuffer;
    for (;;) {
        FILT_FilterBuffer* buffer = m_currentStream.Read();
        const bool last = m_streamIndex + 1 >= m_numStreams;
        if (buffer->DataAvailable() > 0) {
            if (last || !buffer->IsEOD())
                return buffer;
            m_joined = true;
            FILT_FilterBuffer* joined = Join(buffer->GetPtr(), buffer->DataAvailable(), true);
            buffer->AdvanceGetPtr(buffer->DataAvailable());
            return joined;
        }
        m_currentStream.Close();
        ++m_streamIndex;
        if (last)
            return End();
        const bool joined = m_joined;
        m_joined = false;
        m_currentStream = OpenElement(m_streamIndex);
        // A stream that told its end in an empty buffer still ends a token.
        if (!joined)
            return Join(nullptr, 0, true);
    }
}

void CPDF_ContentStream::FlushBuffer(FILT_FilterBuffer&) {
    GLIB_THROW(CPDF_Exception, CPDF_InvalidPageCode, "Content streams don't support writing");
}

void CPDF_ContentStream::DoClose() { m_currentStream.Close(); }

CPDF_InlineImage CPDF_ContentStream::ReadInlineImage() {
    GLIB_ASSERT_CMP(RefCount(), >, 0u);
    const GLOB_Stream self(this);
    InlineImageParser parser(self);
    const char* op = parser.NextOperator();
    if (op == nullptr || std::strcmp(op, "ID") != 0)
        GLIB_THROW(CPDF_Exception, CPDF_InvalidImageCode, "Inline image missing id");
    parser.Operands().MakeDict(false);
    const GLOB_Dict dict = parser.Operands().Top().AsDict();
    FILT_FilterBuffer* buffer = Read();
    if (buffer->DataAvailable() == 0)
        GLIB_THROW(CPDF_Exception, CPDF_InvalidImageCode, "Inline image missing data.");
    // The white space that ends "ID".
    buffer->AdvanceGetPtr(1);
    CPDF_InlineImage image(dict, self, m_resources);
    image.SkipData();
    image.SkipToEndAfterData(self);
    parser.Lexer().Resume();
    op = parser.NextOperator();
    if (op == nullptr || std::strcmp(op, "EI") != 0)
        GLIB_THROW(CPDF_Exception, CPDF_InvalidImageCode,
                   "Expected end of inline image operator (EI), found " << (op ? op : "end of data"));
    return image;
}
