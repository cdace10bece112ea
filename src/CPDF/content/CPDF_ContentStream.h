// A page's Contents as one read-only byte stream: a single content stream,
// or an array of streams read one after another (each decoded through its
// filters) with one space between two streams, so that no token runs across
// a stream boundary (ISO 32000-1, 7.8.2). The space comes whether a stream
// ends in a buffer of its final bytes or in an empty one after them. An
// empty array, and an absent or null Contents (a blank page, 7.7.3.3), read
// as empty content.
//
// Single streams are handed out buffer by buffer without copying; the final
// bytes of every stream but the last go out copied into a join buffer with
// the space appended (the buffer grows to hold them).
//
// ReadInlineImage reads one inline image from where the stream stands, just
// after a "BI": its entries up to "ID", its data (skipped), and the "EI"
// after them. It throws CPDF_Exception 1128008 "Inline image missing id"
// when the entries end in another operator or no operator, "Inline image
// missing data." when nothing follows "ID", and "Expected end of inline
// image operator (EI), found <operator>" ("end of data" when none follows);
// the operand stack's refusal of the entries (1151002) and the image's own
// refusals (CPDF_InlineImage) pass.
//
// A Contents, or an element of its array, that is a reference to an object
// the file does not hold, or to one that is not a stream, is said in a
// warning ("its content stream 9 0 R is not in the file: the page is drawn
// without it"; several in one line, the first three by name) and read as
// empty, so that the rest of the page is drawn. A reference to a generation
// that a later update of the file replaced, where the back-end can tell
// (GLOB_Impl::ReplacedBy), is said so in a line of its own: "its content
// stream 4 0 R was replaced by 4 1 R in a later update: ...".
//
// Failures throw CPDF_Exception: 1128009 "Page missing Contents" for a
// direct Contents that is neither a Stream, an Array nor Null, 1128004 for
// a direct element of the array that is not a Stream, 1128004 "Content
// streams don't support writing" for a write. Errors of the filters and the
// object model pass.
#pragma once

#include "CPDF/content/CPDF_InlineImage.h"
#include "CPDF/document/CPDF_Page.h"
#include "CPDF/document/CPDF_ResourcesDict.h"
#include "FILT/FILT_FilterBuffer.h"
#include "GLOB/GLOB_Object.h"
#include "GLOB/GLOB_Stream.h"
#include "GLOB/GLOB_StreamCore.h"

#include <cstdint>

class CPDF_ContentStream : public GLOB_StreamCore {
public:
    static constexpr FILT_Size JoinBufferSize = 1024;

    // Over the page's Contents, with its resources (CPDF_Page::ResourcesDict,
    // which throws for a page without any).
    explicit CPDF_ContentStream(const CPDF_Page& page);
    // Over the page's Contents, with the given resources.
    CPDF_ContentStream(const CPDF_Page& page, const CPDF_ResourcesDict& resources);
    // Over one stream, already open, and its resources.
    CPDF_ContentStream(const GLOB_Stream& stream, const CPDF_ResourcesDict& resources);
    ~CPDF_ContentStream() override;

    // The same over another single stream.
    void Set(const GLOB_Stream& stream, const CPDF_ResourcesDict& resources);
    const CPDF_ResourcesDict& Resources() const { return m_resources; }
    // The core must be held by a GLOB_Stream (the image keeps a handle).
    CPDF_InlineImage ReadInlineImage();

protected:
    FILT_FilterBuffer* FillBuffer() override;
    void FlushBuffer(FILT_FilterBuffer& buffer) override;
    void DoClose() override;

private:
    // Opens the page's Contents for reading.
    void OpenContents(const CPDF_Page& page);
    // Says which references of the Contents name no stream.
    void SayUnread() const;
    // Element index of the array opened decoded; empty for a reference that
    // names no stream.
    GLOB_Stream OpenElement(uint32_t index) const;
    // The join buffer holding the n bytes of text and, when space, a space
    // after them, without EOD.
    FILT_FilterBuffer* Join(const uint8_t* text, FILT_Size n, bool space);
    // The join buffer empty, with EOD: every stream is read.
    FILT_FilterBuffer* End();

    GLOB_Object m_contents;
    CPDF_ResourcesDict m_resources;
    bool m_isArray = false;
    GLOB_Stream m_currentStream;
    uint32_t m_numStreams = 0;
    // m_numStreams once every stream is read.
    uint32_t m_streamIndex = 0;
    // Whether the current stream's final bytes went out with the space.
    bool m_joined = false;
    FILT_FilterBuffer m_joinBuffer;
};
