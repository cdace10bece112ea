// The walker under the content separator: it pulls the operators of one
// content stream from a CPDF_ContentParser it owns and sorts each into one
// of eleven operations, handing over what that operation needs (colour
// spaces and colours read from the parser's graphics state after the
// operator was applied, resource names and the resolved objects). The
// walker writes nothing; a subclass implements the operations and may read
// the parser (operands, graphics state) while one runs.
//
// Dispatch, by the operator's code in CPDF_ContentOperatorTable (stroke is
// true for the upper-case operator of each pair):
//   g G rg RG k K   SetColorSpace(a new device space of the operator's
//                   family, stroke), then SetColor(the state's colour, stroke)
//   cs CS           SetColorSpace(the state's space, stroke), then, unless
//                   the space is a Pattern space, which has no colour before
//                   scn, SetColor(the space's initial colour the operator
//                   set, stroke)
//   sc SC           SetColor(the state's colour, stroke)
//   scn SCN         in a Pattern space SetPatternColor(the top operand, the
//                   "Pattern" resource of that name, stroke) when that is a
//                   Stream (tiling) or a Dict (shading); otherwise the
//                   warning "Skipping invalid pattern <name>" and nothing.
//                   In any other space SetColor(the state's colour, stroke)
//   b B b* B* f F f* n s S   PaintPath(code)
//   Tj TJ ' "       ShowText(code)
//   sh              DoShading(the top operand, the "Shading" resource of that
//                   name, Null when absent)
//   Do              the "XObject" resource of the top operand: DoImage for a
//                   Stream of /Subtype /Image, DoForm for /Form; a Stream of
//                   any other Subtype logs "Unknown XObject skipped: <name>",
//                   anything else "Skipping missing XObject <name>", and
//                   nothing is called. Forms are not entered.
//   ID              DoInlineImage(the parser's inline image); BI, EI nothing
//   anything else   PassThrough(code): q, Q, gs, Tr, path construction,
//                   text state, marked content, BX, EX, DumpGS, Print, and
//                   an unknown operator inside BX .. EX with code -1
// The warnings are logged at level 4. A resource dictionary that is not a
// Dict answers every lookup as missing. An operand of Do, sh or a pattern's
// scn or SCN that is not a Name is content the walk cannot read: it throws
// GLIB_Exception 1128002 "<op> expects a name operand, found <kind>".
//
// After every WorkBetweenPolls operators (an inline image counting as
// InlineImageWork of them) the walk calls Poll, where a subclass may ask
// for a cancel: a stream read in one piece is otherwise not polled while
// its operators run.
//
// Failures: the first operator the parser refuses ends the walk with
// GLIB_Exception ParseErrorCode (1128002) whose message is the parser's.
// Any GLIB_Exception raised inside the walk, by the parser, the stream (a
// cancel of the progress meter, 1128003, among them, also one raised while
// the subclass or the parser reads an inline image's data) or an operation,
// is logged at level 7 as "Exception processing stream: " and its
// description (at most 512 characters) and passes on unchanged. Other
// exceptions pass without a log.
#pragma once

#include "CPDF/color/CPDF_Color.h"
#include "CPDF/color/CPDF_ColorSpace.h"
#include "CPDF/content/CPDF_ContentParser.h"
#include "CPDF/content/CPDF_GraphicsState.h"
#include "CPDF/content/CPDF_InlineImage.h"
#include "CPDF/document/CPDF_ResourcesDict.h"
#include "GLIB/GLIB_AccumStack.h"
#include "GLOB/GLOB_Name.h"
#include "GLOB/GLOB_Object.h"
#include "GLOB/GLOB_Stream.h"

#include <cstdint>
#include <string>

class CSEP_ContentColorMapper {
public:
    static constexpr uint32_t ParseErrorCode = 1128002;
    static constexpr uint32_t WorkBetweenPolls = 1024;
    static constexpr uint32_t InlineImageWork = 64;

    CSEP_ContentColorMapper() = default;
    virtual ~CSEP_ContentColorMapper();
    CSEP_ContentColorMapper(const CSEP_ContentColorMapper&) = delete;
    CSEP_ContentColorMapper& operator=(const CSEP_ContentColorMapper&) = delete;

    // Walks stream to its end, names resolved in resources, starting from
    // initialState: resets the accumulator stack, starts the parser, calls
    // BeginStream, then SetColorSpace and SetColor for the initial fill and
    // then for the initial stroke, then dispatches every operator. True at
    // the end of the data; failures throw (see above). One mapper walks any
    // number of streams in turn.
    bool ProcessStream(GLOB_Stream stream, const CPDF_ResourcesDict& resources,
                       const CPDF_GraphicsState& initialState);

protected:
    // The operations, in slot order after the destructor. The parser's
    // operands, graphics state and inline image are those of the operator
    // being dispatched.
    virtual void PaintPath(int32_t op) = 0;
    virtual void DoForm(const GLOB_Name& name, const GLOB_Object& form) = 0;
    virtual void DoImage(const GLOB_Name& name, const GLOB_Object& image) = 0;
    // What the subclass leaves unread of the data is skipped at the next
    // step.
    virtual void DoInlineImage(CPDF_InlineImage image) = 0;
    virtual void DoShading(const GLOB_Name& name, const GLOB_Object& shading) = 0;
    virtual void ShowText(int32_t op) = 0;
    virtual void PassThrough(int32_t op) = 0;
    // At the start of every stream, before the initial colours.
    virtual void BeginStream() {}
    virtual void SetColorSpace(const CPDF_ColorSpace& space, bool stroke) = 0;
    virtual void SetColor(const CPDF_Color& color, bool stroke) = 0;
    virtual void SetPatternColor(const GLOB_Name& name, const GLOB_Object& pattern, bool stroke) = 0;
    // Between operators, as above; may throw. The base's does nothing.
    virtual void Poll() {}

    CPDF_ContentParser& Parser() { return m_parser; }
    GLIB_AccumStack& AccumStack() { return m_accumStack; }
    // True during BeginStream and the initial colour calls, which no
    // operator of the stream caused: the parser's operands are not theirs.
    bool AtStreamStart() const { return m_atStreamStart; }

private:
    using Handler = void (CSEP_ContentColorMapper::*)(int32_t op);
    // The handler of each code 0 to 75; -1 passes through.
    static Handler HandlerOf(int32_t op);

    void Walk(const GLOB_Stream& stream, const CPDF_ResourcesDict& resources,
              const CPDF_GraphicsState& initialState);
    void OnDeviceColor(int32_t op);
    void OnColorSpace(int32_t op);
    void OnColor(int32_t op);
    void OnColorN(int32_t op);
    void OnShading(int32_t op);
    void OnXObject(int32_t op);
    void OnInlineImage(int32_t op);
    void OnNothing(int32_t) {}

    // The top operand as a name, else the 1128002 above.
    GLOB_Name NameOperand(int32_t op);
    // The operator being run, for messages: a colour space by its name.
    std::string OperatorConstruct();
    // The entry name of the resource category; Null when absent or when
    // the resources are not a Dict.
    GLOB_Object Resource(const char* category, const GLOB_Name& name) const;

    CPDF_ContentParser m_parser;
    GLIB_AccumStack m_accumStack;
    bool m_atStreamStart = false;
};
