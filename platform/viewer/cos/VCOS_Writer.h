// Writes a document of the store as a whole new file: the header line, every
// indirect object by number, a classic cross-reference table and a trailer
// with /Size, /Root and /Info (when the document has one). Each stream's
// /Length is written direct, as its stored byte count.
//
// Throws VCOS_Error: WriteFailed when the sink stores fewer bytes than asked
// or cannot finish; BadDocument for a document without a root; BadObject for
// direct objects nested deeper than VCOS_MaxDepth.
#pragma once

#include <string>

#include "viewer/cos/VCOS_ByteSink.h"
#include "viewer/cos/VCOS_Store.h"
#include "viewer/cos/VCOS_StreamSubstitute.h"

class VCOS_Writer {
public:
    // header: the save's header line when not empty, else the document's,
    // else "%PDF-1.3"; written verbatim.
    // substitute, when given, is asked about every indirect stream.
    static void Write(const VCOS_Store& store, VCOS_DocId doc, const std::string& header, VCOS_ByteSink& sink,
                      const VCOS_StreamSubstitute* substitute = nullptr);
};
