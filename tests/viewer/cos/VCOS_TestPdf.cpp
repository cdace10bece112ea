#include "VCOS_TestPdf.h"
#include "support/PdfText.h"

#include <cstdio>

#include <zlib.h>

#include "viewer/cos/VCOS_ByteSink.h"
#include "viewer/cos/VCOS_Writer.h"

std::string VCOS_MakePdf(const std::string& header, const std::vector<std::string>& objects,
                         const std::string& trailer) {
    return PdfText(header, objects, trailer);
}

std::string VCOS_WriteToString(const VCOS_Store& store, VCOS_DocId doc, const std::string& header) {
    VCOS_StringSink sink;
    VCOS_Writer::Write(store, doc, header, sink);
    return sink.Bytes();
}

std::string VCOS_Inflate(const std::string& bytes) {
    z_stream z{};
    if (inflateInit(&z) != Z_OK)
        return "";
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(bytes.data()));
    z.avail_in = static_cast<uInt>(bytes.size());
    std::string out;
    char buffer[4096];
    int status = Z_OK;
    while (status == Z_OK) {
        z.next_out = reinterpret_cast<Bytef*>(buffer);
        z.avail_out = sizeof buffer;
        status = inflate(&z, Z_NO_FLUSH);
        out.append(buffer, sizeof buffer - z.avail_out);
    }
    inflateEnd(&z);
    return status == Z_STREAM_END ? out : "";
}
