// A shared handle over one temporary file of separated stream data
// (iCSEP_TempFileCore). Copies share the file; when the last handle goes,
// the file is closed and deleted from disk.
//
// A separator creates the file, writes an ink's bytes through OpenStream,
// and then makes it a stream object of the output document:
//   - embedded: the file's bytes become the object's data, stored as they
//     are (the writer has already encoded them with the filter it names),
//     and the file is deleted at once;
//   - external: the object has empty data of its own and
//       /FFilter filter /FDecodeParms parameters
//       /F <indirect> << /Type /Filespec /DOS (the file's POSIX path in PDF form) >>
//     and the file stays on disk, closed, for as long as a handle holds it:
//     the job keeps its external files alive while the pages are used.
// Both first finish the streams OpenStream handed out (see
// iCSEP_TempFileCore), so that no byte stays behind. Null filter or
// parameters leave their key out. Errors of the file layer and of the
// document pass through; the file then goes with its last handle.
#pragma once

#include "GLIB_RefCountPrivateBase.h"
#include "GLOB/GLOB_Doc.h"
#include "GLOB/GLOB_Object.h"
#include "GLOB/GLOB_Stream.h"
#include "fileio/MACR_FileSpec.h"
#include "separation/iCSEP_TempFileCore.h"

class CSEP_TempFile : private GLIB_RefCountPrivateBase<iCSEP_TempFileCore> {
public:
    // A new core that holds no file.
    CSEP_TempFile() = default;
    CSEP_TempFile(const CSEP_TempFile&) = default;
    CSEP_TempFile& operator=(const CSEP_TempFile&) = default;
    ~CSEP_TempFile() = default;

    // Forwarded to the core.
    void Create() { Core().Create(); }
    void Close() { Core().Close(); }
    void Delete() { Core().Delete(); }
    void Rewind() { Core().Rewind(); }
    GLOB_Stream OpenStream() { return Core().OpenStream(); }
    MACR_FileSpec FileSpec() const { return Core().FileSpec(); }
    bool HoldsFile() const { return Core().HoldsFile(); }
    bool SameFile(const CSEP_TempFile& other) const { return SameCore(other); }
    // Drops this reference: the handle gets a new empty core.
    void Release() { *this = CSEP_TempFile(); }

    // A new indirect stream of document whose data are the file's bytes,
    // with /Filter a forced copy of filter; encodeParams must be Null or a
    // Dict. The file is deleted afterwards.
    GLOB_Object MakeEmbeddedStream(GLOB_Doc document, const GLOB_Object& filter, const GLOB_Object& encodeParams);
    // The same stream object over the bytes source reads to its end, for
    // data small enough never to go through a file.
    static GLOB_Object MakeEmbeddedStream(GLOB_Doc document, const GLOB_Stream& source, const GLOB_Object& filter,
                                          const GLOB_Object& encodeParams);
    // A new indirect external-file stream of document over this file, which
    // is closed and stays.
    GLOB_Object MakeExternalStream(GLOB_Doc document, const GLOB_Object& filter, const GLOB_Object& decodeParams);
};
