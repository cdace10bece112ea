// The pull parser of PDF content streams. Start it on a stream with its
// resources and a graphics state, then call Step until it returns false;
// after each true step the operator just accepted can be read (its text,
// CPDF_ContentOperatorTable::Find for its code, its operands bottom first),
// with the graphics state after it, the path, the pending clip, the object
// state and, after ID, the inline image. Nothing is drawn or written.
//
// Each operator is checked against the object state the content is in
// (iCPDF_CPStateBase and its states). The first operator refused ends the
// parse: Step returns false with the stopped flag set and one message in
// ErrorMessage. At the end of the data Step returns false with the flag
// clear; the client tells the two apart by IsStopped. Exceptions of the
// path operators' operands (1151001, 1151006), the object model, the
// filters and the inline image (1128008) pass out of Step; one from the
// stream, or from skipping an image's data, also sets the stopped flag (see
// GLOB_OperatorParser).
//
// Work an operator defers runs at the start of the next step, before the
// next token is read, so the client never sees it done: the clip of W and W*
// is intersected into the graphics state after the painting operator, the
// dictionary marker is pushed after BI, and what the client left unread of
// an inline image's data is skipped after ID. At most one is pending. An
// image whose data no EI follows ends the content, with the warning "The
// inline image whose ID stands at byte <n> of its content stream has no EI
// after its data: what followed it was not drawn".
//
// The graphics state is copy-on-write: q saves a shared copy, Q restores the
// last saved one (an unmatched Q changes nothing), and the state a caller
// passes to Start never changes.
//
// A resource dictionary that is not a Dict (none was given, or a form
// without "Resources") answers every lookup as if the entry were missing.
#pragma once

#include "CPDF/content/CPDF_GraphicsState.h"
#include "CPDF/content/CPDF_InlineImage.h"
#include "CPDF/content/CPDF_Path.h"
#include "CPDF/content/CPDF_PathList.h"
#include "CPDF/document/CPDF_ResourcesDict.h"
#include "GLIB/GLIB_Geometry.h"
#include "GLIB_Stack.h"
#include "GLOB/GLOB_OperatorParser.h"

#include <cstdint>

class iCPDF_CPStateBase;

class CPDF_ContentParser : public GLOB_OperatorParser {
public:
    // Idle until Start; operands are made in the memory document.
    CPDF_ContentParser();
    ~CPDF_ContentParser() override;

    // Reset, then parse stream with the resource dictionary resources (any
    // object, owner Null) from state, shared; the parser's own
    // GraphicsState object starts it from the defaults. The lexer closes the
    // stream it read before.
    void Start(const GLOB_Stream& stream, const GLOB_Object& resources, const CPDF_GraphicsState& state);
    // From the default graphics state.
    void Start(const GLOB_Stream& stream, const GLOB_Object& resources);
    // From a copy of state whose CTM is matrix × its CTM, matrix applied
    // first as a form's Matrix is (ISO 32000-1, 8.10.1).
    void Start(const GLOB_Stream& stream, const GLOB_Object& resources, const CPDF_GraphicsState& state,
               const GLIB_Matrix& matrix);
    // As above, the clip of the copy also holding the rectangle bbox mapped
    // by the copy's CTM (a form's BBox).
    void Start(const GLOB_Stream& stream, const GLOB_Object& resources, const CPDF_GraphicsState& state,
               const GLIB_Matrix& matrix, const GLIB_Rect& bbox);
    // One operator: true when accepted, false at the end or on an error.
    bool Step() { return Parse(); }

    // A shared copy of the current graphics state.
    CPDF_GraphicsState GraphicsState() const { return m_graphicsState; }
    // The image of the last ID, shared.
    CPDF_InlineImage InlineImage() const { return m_inlineImage; }
    const CPDF_Path& Path() const { return m_path; }
    CPDF_PathList PendingClip() const { return m_pendingClip; }
    const iCPDF_CPStateBase& ObjectState() const { return *m_pState; }
    uint32_t BXDepth() const { return m_bxDepth; }
    // Logs each change of object state at level 8 when on.
    void SetTrace(bool on) { m_trace = on; }

    // For the object states.
    using DeferredOperation = bool (CPDF_ContentParser::*)();
    CPDF_GraphicsState& MutableGraphicsState() { return m_graphicsState; }
    CPDF_Path& MutablePath() { return m_path; }
    const CPDF_ResourcesDict& Resources() const { return m_resources; }
    // The resource under name in category; Null when there is none, also
    // when the resource dictionary is not a Dict.
    GLOB_Object Resource(const char* category, const GLOB_Name& name) const;
    // The working colour of the colour operators (8 components to start).
    CPDF_Color& ScratchColor() { return m_scratchColor; }
    void ChangeState(const iCPDF_CPStateBase& state);
    // Arms operation (null disarms); asserts that none is pending.
    void SetPostProcess(DeferredOperation operation);
    // Arms ApplyPendingClip when the pending clip holds a path, then
    // ChangeState(next).
    void EndPainting(const iCPDF_CPStateBase& next);
    // A copy of path mapped by the CTM joins the pending clip.
    void AddPendingClip(const CPDF_Path& path);
    void PushGraphicsState();
    void PopGraphicsState();
    // Inside BX ... EX an unknown operator is passed over, however long.
    void BeginCompatibility() {
        ++m_bxDepth;
        Lexer().SetLongWordsPass(true);
    }
    // False when no BX is open.
    bool EndCompatibility();
    // The counters of open BDC/BMC sections: one for the page level and one
    // per open text object, the innermost on top.
    void PushMarkedContentLevel() { m_markedContentStack.Push(0); }
    int32_t& MarkedContentCount() { return m_markedContentStack.Top(); }
    // Drops the innermost level; the page level stays.
    void PopMarkedContentLevel();
    // The body of ID: the dictionary from the operands since BI, one byte of
    // white space, then the inline image over the stream's next bytes. False
    // with "Inline Image arguments don't form a dictionary", "Inline image
    // dict logic failed.  Beginning dict marker missing." or "Stream missing
    // inline image data."; the image's own exceptions pass.
    bool BuildInlineImage();
    // Empties the message stream, writes text; false.
    bool Fail(const char* text);

    // The deferred operations; each returns true.
    bool ApplyPendingClip();
    bool PushDictionaryMarker();
    bool SkipInlineImageData();

protected:
    bool PostProcess() override;
    // The word endstream ends the data there, as every drawer takes it;
    // noted as dropped (Dropped) where a token follows it.
    bool HandleOperator() override;
    // Everything as after construction: no resources, the default graphics
    // state, nothing saved, no path or pending clip, no BX, one marked-
    // content level, nothing deferred, page description.
    void Reset() override;

private:
    void ReleaseSavedStates();

    CPDF_GraphicsState m_graphicsState;
    GLIB_Stack<CPDF_GraphicsState> m_gStateStack;
    CPDF_ResourcesDict m_resources;
    CPDF_Path m_path;
    CPDF_PathList m_pendingClip;
    uint32_t m_bxDepth = 0;
    GLIB_Stack<int32_t> m_markedContentStack;
    CPDF_Color m_scratchColor;
    CPDF_InlineImage m_inlineImage;
    bool m_trace = false;
    GLOB_Stream m_stream;
    const iCPDF_CPStateBase* m_pState;
    DeferredOperation m_pPostProcess = nullptr;
};
