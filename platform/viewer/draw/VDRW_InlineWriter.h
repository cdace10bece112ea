// Writes a document of the Cos store to memory for the renderer, with every
// external-file stream inlined: a stream whose dictionary has /F gets the
// bytes of that file as its data, its /FFilter and /FDecodeParms become
// /Filter and /DecodeParms (the stream's own /Filter and /DecodeParms, which
// described the ignored inline data, are dropped) and /F goes. A file
// without /FFilter is Flate-encoded on the way and written with /Filter
// /FlateDecode (and no /DecodeParms). The store is not changed.
//
// The file comes from /F: a String (a PDF path), or a dictionary whose first
// String among "Unix", "F" and "DOS" is the path. A file specification of
// another form, or a file that cannot be read, throws VCOS_Error ReadFailed
// naming the stream and the path; so do the writer's own refusals.
#pragma once

#include <string>

#include "viewer/cos/VCOS_Store.h"

class VDRW_InlineWriter {
public:
    static std::string Write(const VCOS_Store& store, VCOS_DocId doc);

    // The path on this system of a PDF path: "/" separates components (an
    // escaped "\/" too, since no name here holds one), doubled and trailing
    // separators are dropped, a leading "/" stays.
    static std::string OsPath(const std::string& pdfPath);
};
