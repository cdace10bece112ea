// Makes a stream object from source bytes as the host's new-stream slot does.
//
// - A Null attribute dictionary makes an empty one.
// - sourceIsEncoded: the bytes are stored as given.
// - Otherwise they are encoded through the dictionary's /Filter (a name or an
//   array of names, applied last to first): FlateDecode with zlib; no
//   /Filter stores them raw. The parameters are encodeParms, or the
//   dictionary's own /DecodeParms when encodeParms is Null (a dictionary for
//   the first filter, or an array with one entry per filter).
// - /Length is the stored byte count.
//
// Throws VCOS_Error Unsupported for any other filter (the message names it)
// and for a /Predictor above 1, so that no stored stream claims a predictor
// its bytes lack.
#pragma once

#include <string>

#include "viewer/cos/VCOS_Store.h"

class VCOS_StreamMaker {
public:
    static VCOS_Obj Make(VCOS_Store& store, VCOS_DocId doc, bool indirect, const std::string& source,
                         bool sourceIsEncoded, VCOS_Obj attributes, VCOS_Obj encodeParms);
};
