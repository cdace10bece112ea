// Writes a memory document as a PDF file that another reader (Ghostscript)
// can open: "%PDF-1.3", every indirect object reachable from the catalog
// once, numbered from 1 in the order they are met, a classic cross-reference
// table and a trailer with "Size" and "Root". Test support only: no program
// reaches it, and the memory back-end's own Save stays a programming error.
//
// Containers are walked here, so that an indirect value is written as
// "n 0 R" (GLOB_ObjectWriter writes every value in full); scalars, names and
// strings go through GLOB_ObjectWriter. Stream data are written as stored,
// with their stored byte count as "Length".
//
// External-file streams (a stream dictionary with "F"), as the separation
// engine makes them over its temporary files:
//   - Inline: the file that "F" names becomes the stream's data, "FFilter"
//     and "FDecodeParms" become "Filter" and "DecodeParms", and "F" goes;
//   - Keep: the stream stays external with its own empty data, and a file
//     specification's "DOS" is written as "F", since readers other than the
//     engine's own look only at "F" (Ghostscript 10 cannot draw a stream
//     whose specification has only "DOS").
//
// Failures (a file that cannot be read or written, objects nested deeper
// than GLOB_Object::MaxNesting, an external stream with data of its own in
// Keep mode) throw std::runtime_error; errors of the document pass through.
#pragma once

#include "GLOB/GLOB_Doc.h"

#include <string>

class PdfFileWriter {
public:
    enum class ExternalStreams { Inline, Keep };

    // The bytes of the file.
    static std::string Text(const GLOB_Doc& doc, ExternalStreams external);
    // Text written to the file at path.
    static void Write(const GLOB_Doc& doc, const std::string& path, ExternalStreams external);
};
