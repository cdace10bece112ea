#include "CPDF/content/CPDF_ContentParser.h"

#include "CPDF/content/iCPDF_CPStateBase.h"
#include "GLIB/GLIB_Assert.h"
#include "GLIB/GLIB_Exception.h"
#include "GLIB/GLIB_Log.h"

#include <cstring>

CPDF_ContentParser::CPDF_ContentParser() : m_pState(&iCPDF_CPStateBase::PageState()) {
    m_markedContentStack.Push(0);
    CPDF_ContentOperatorTable::Initialize();
}

CPDF_ContentParser::~CPDF_ContentParser() = default;

void CPDF_ContentParser::Start(const GLOB_Stream& stream, const GLOB_Object& resources,
                               const CPDF_GraphicsState& state) {
    m_stream = stream;
    SetStream(stream);
    m_resources.SetDict(resources);
    if (&state != &m_graphicsState)
        m_graphicsState = state;
}

void CPDF_ContentParser::Start(const GLOB_Stream& stream, const GLOB_Object& resources) {
    Start(stream, resources, m_graphicsState);
}

void CPDF_ContentParser::Start(const GLOB_Stream& stream, const GLOB_Object& resources,
                               const CPDF_GraphicsState& state, const GLIB_Matrix& matrix) {
    CPDF_GraphicsState copy(state);
    copy.ConcatCTM(matrix);
    Start(stream, resources, copy);
}

void CPDF_ContentParser::Start(const GLOB_Stream& stream, const GLOB_Object& resources,
                               const CPDF_GraphicsState& state, const GLIB_Matrix& matrix, const GLIB_Rect& bbox) {
    CPDF_GraphicsState copy(state);
    copy.ConcatCTM(matrix);
    CPDF_Path box;
    box.AddSegment(GLOB_Path::Rect, GLIB_Point(bbox.Llx(), bbox.Lly()), GLIB_Point(bbox.Urx(), bbox.Lly()),
                   GLIB_Point(bbox.Llx(), bbox.Ury()));
    // A clip path carries its rule; any rule clips a rectangle alike.
    box.SetFillRule(GLOB_Path::NonZeroWindingFill);
    box.Transform(copy.CTM());
    copy.AppendClipPath(box);
    Start(stream, resources, copy);
}

void CPDF_ContentParser::Reset() {
    GLOB_OperatorParser::Reset();
    m_resources.SetDict(GLOB_Object());
    ReleaseSavedStates();
    m_graphicsState.SetDefaults();
    m_path.Clear();
    m_pendingClip.Clear();
    m_bxDepth = 0;
    Lexer().SetLongWordsPass(false);
    m_markedContentStack.Pop(m_markedContentStack.Size());
    m_markedContentStack.Push(0);
    SetPostProcess(nullptr);
    m_pState = &iCPDF_CPStateBase::PageState();
}

void CPDF_ContentParser::ReleaseSavedStates() { m_gStateStack.Pop(m_gStateStack.Size()); }

bool CPDF_ContentParser::PostProcess() {
    const DeferredOperation operation = m_pPostProcess;
    SetPostProcess(nullptr);
    return operation == nullptr || (this->*operation)();
}

bool CPDF_ContentParser::HandleOperator() {
    // Every drawer ends the content at this word, inside BX/EX too.
    if (std::strcmp(OperatorText(), "endstream") == 0) {
        GLOB_StreamLexer::Token next = GLOB_StreamLexer::TokenComment;
        while (next == GLOB_StreamLexer::TokenComment || next == GLOB_StreamLexer::TokenMoreData)
            next = Lexer().NextToken();
        if (next != GLOB_StreamLexer::TokenEndOfData)
            NoteDropped("the word endstream inside it ended it before its end");
        EndData();
        return false;
    }
    return iCPDF_CPStateBase::Dispatch(*m_pState, CPDF_ContentOperatorTable::Find(OperatorText()), *this);
}

void CPDF_ContentParser::ChangeState(const iCPDF_CPStateBase& state) {
    if (m_trace)
        GLIB_LOG(GLIB_LogInfo, "Changing state from " << m_pState->StateName() << " to " << state.StateName());
    m_pState = &state;
}

void CPDF_ContentParser::SetPostProcess(DeferredOperation operation) {
    GLIB_ASSERT(operation == nullptr || m_pPostProcess == nullptr);
    m_pPostProcess = operation;
    GLOB_OperatorParser::SetPostProcess(operation != nullptr);
}

void CPDF_ContentParser::EndPainting(const iCPDF_CPStateBase& next) {
    if (m_pendingClip.NumPaths() > 0)
        SetPostProcess(&CPDF_ContentParser::ApplyPendingClip);
    ChangeState(next);
}

void CPDF_ContentParser::AddPendingClip(const CPDF_Path& path) {
    CPDF_Path clip(path);
    clip.Transform(m_graphicsState.CTM());
    m_pendingClip.Append(clip);
}

void CPDF_ContentParser::PushGraphicsState() { m_gStateStack.Push(m_graphicsState); }

void CPDF_ContentParser::PopGraphicsState() {
    if (m_gStateStack.Empty())
        return;
    m_graphicsState = m_gStateStack.Top();
    m_gStateStack.Pop(1);
}

bool CPDF_ContentParser::EndCompatibility() {
    if (m_bxDepth == 0)
        return false;
    --m_bxDepth;
    Lexer().SetLongWordsPass(m_bxDepth > 0);
    return true;
}

void CPDF_ContentParser::PopMarkedContentLevel() {
    if (m_markedContentStack.Size() > 1)
        m_markedContentStack.Pop(1);
}

GLOB_Object CPDF_ContentParser::Resource(const char* category, const GLOB_Name& name) const {
    return m_resources.Dict().IsDict() ? m_resources.Resource(category, name) : GLOB_Object();
}

bool CPDF_ContentParser::Fail(const char* text) {
    MessageStream().str("");
    MessageStream() << text;
    return false;
}

bool CPDF_ContentParser::BuildInlineImage() {
    try {
        Operands().MakeDict(false);
    } catch (const GLIB_Exception& error) {
        if (error.Code() == GLOB_DictSyntaxCode)
            return Fail("Inline Image arguments don't form a dictionary");
        // BI's marker was taken by an unmatched ">>" among the entries.
        if (error.Code() == GLOB_MissingOpenCode)
            return Fail("Inline image dict logic failed.  Beginning dict marker missing.");
        throw;
    }
    const GLOB_Dict dict = Operands().Top().AsDict();
    FILT_FilterBuffer* buffer = m_stream.Read();
    if (buffer->DataAvailable() == 0)
        return Fail("Stream missing inline image data.");
    // The white space that ends "ID".
    buffer->AdvanceGetPtr(1);
    m_inlineImage.Parse(dict, m_stream, m_resources);
    return true;
}

bool CPDF_ContentParser::ApplyPendingClip() {
    m_graphicsState.IntersectClipPath(m_pendingClip);
    m_pendingClip.Clear();
    return true;
}

bool CPDF_ContentParser::PushDictionaryMarker() {
    Operands().Push(Operands().Doc().NewMark());
    return true;
}

bool CPDF_ContentParser::SkipInlineImageData() {
    const uint32_t idOffset = Lexer().TokenOffset();
    m_inlineImage.SkipData();
    if (!m_inlineImage.SkipToEndAfterData(m_stream)) {
        // Without EI the image's end is unknown, so nothing after it can be
        // told from its data: the content ends there, and the user is told.
        GLIB_LOG(GLIB_LogWarning, "The inline image whose ID stands at byte "
                                      << idOffset << " of its content stream has no EI after its data: what followed "
                                      << "it was not drawn");
        for (FILT_FilterBuffer* buffer = m_stream.Read(); buffer->DataAvailable() > 0; buffer = m_stream.Read())
            buffer->AdvanceGetPtr(buffer->DataAvailable());
    }
    Lexer().Resume();
    return true;
}
