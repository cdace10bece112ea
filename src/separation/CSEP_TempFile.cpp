#include "separation/CSEP_TempFile.h"

#include "GLIB/GLIB_New.h"
#include "GLOB/GLOB_FileSpecification.h"
#include "GLOB/GLOB_StringStream.h"

#include <string>

namespace {

// A Null leaves the key out: the memory back-end would keep a /Key null.
void PutForcedCopy(const GLOB_Doc& document, const GLOB_Object& dict, const char* key, const GLOB_Object& value) {
    if (!value.IsNull())
        dict.DictPut(GLOB_Name(key), document.Copy(value, true));
}

}  // namespace

GLOB_Object CSEP_TempFile::MakeEmbeddedStream(GLOB_Doc document, const GLOB_Object& filter,
                                              const GLOB_Object& encodeParams) {
    iCSEP_TempFileCore& core = Core();
    core.FinishStreams();
    core.Rewind();
    GLOB_Stream source = core.OpenStream();
    const GLOB_Object stream = MakeEmbeddedStream(document, source, filter, encodeParams);
    source.Close();
    core.Delete();
    return stream;
}

GLOB_Object CSEP_TempFile::MakeEmbeddedStream(GLOB_Doc document, const GLOB_Stream& source,
                                              const GLOB_Object& filter, const GLOB_Object& encodeParams) {
    const GLOB_Object attributes = document.NewDict(2, false);
    PutForcedCopy(document, attributes, "Filter", filter);
    const GLOB_Object params = encodeParams.IsNull() ? document.NewNull() : document.Copy(encodeParams, true);
    // Flag 1: the bytes are stored as the writer encoded them.
    return document.NewStream(source, 1, attributes, params, -1);
}

GLOB_Object CSEP_TempFile::MakeExternalStream(GLOB_Doc document, const GLOB_Object& filter,
                                              const GLOB_Object& decodeParams) {
    iCSEP_TempFileCore& core = Core();
    core.FinishStreams();
    const GLOB_Object stream =
        document.NewStream(GLOB_Stream(GLIB_NEW GLOB_StringStream("")), 1, document.NewNull(), document.NewNull(), -1);
    core.Close();

    PutForcedCopy(document, stream, "FFilter", filter);
    PutForcedCopy(document, stream, "FDecodeParms", decodeParams);
    const GLOB_Object fileSpec = document.NewDict(2, true);
    fileSpec.DictPut(GLOB_Name("Type"), document.NewName(GLOB_Name("Filespec")));
    const std::string path = GLOB_FileSpecification::PdfPath(core.FileSpec().Path());
    fileSpec.DictPut(GLOB_Name("DOS"), document.NewString(GLOB_String(path.c_str())));
    stream.DictPut(GLOB_Name("F"), fileSpec);
    return stream;
}
