// Decodes a stream's stored bytes through its /Filter and /DecodeParms with
// a scratch qpdf stream (LZW, ASCII85 and the rest of qpdf's filters).
// Throws VCOS_Error Unsupported, with the filter names and qpdf's reason,
// when qpdf cannot apply them. No qpdf type leaves the decoder.
#pragma once

#include <string>

#include "viewer/cos/VCOS_Store.h"

class VCOS_StreamDecoder {
public:
    static std::string Decode(const VCOS_Store& store, VCOS_Obj stream);
};
