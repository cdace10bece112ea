#include "viewer/draw/VDRW_InlineWriter.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "viewer/cos/VCOS_ByteSink.h"
#include "viewer/cos/VCOS_Document.h"
#include "viewer/cos/VCOS_Error.h"
#include "viewer/cos/VCOS_Writer.h"
#include "viewer/cos/VCOS_FlateWriter.h"

namespace {

[[noreturn]] void Fail(const std::string& text) {
    throw VCOS_Error(VCOS_ErrorKind::ReadFailed, "VDRW_InlineWriter: " + text);
}

class ExternalStreams : public VCOS_StreamSubstitute {
public:
    explicit ExternalStreams(const VCOS_Store& store) : m_store(store) {}

    bool Substitute(VCOS_Obj stream, VCOS_StreamImage& image) const override {
        const VCOS_Obj spec = m_store.DictGet(stream, "F");
        if (spec.IsNullHandle())
            return false;
        VCOS_Obj filter, parameters;
        for (const auto& [name, value] : m_store.Entry(m_store.StreamDict(stream)).m_entries) {
            if (name == "FFilter")
                filter = value;
            else if (name == "FDecodeParms")
                parameters = value;
            else if (name != "F" && name != "Filter" && name != "DecodeParms" && name != "Length")
                image.m_entries.emplace_back(name, value);
        }
        // Unfiltered data go to MuPDF Flate-encoded: it holds a stream's
        // encoded bytes whole, and an image slice's raw samples cost the
        // image's full size, however little of it is drawn.
        const bool encode = filter.IsNullHandle();
        image.m_bytes = ReadFile(stream, VDRW_InlineWriter::OsPath(PdfPath(stream, spec)), encode);
        if (encode)
            image.m_moreEntries = "/Filter /FlateDecode";
        else
            image.m_entries.emplace_back("Filter", filter);
        if (!parameters.IsNullHandle() && !encode)
            image.m_entries.emplace_back("DecodeParms", parameters);
        return true;
    }

private:
    // The file's bytes, Flate-encoded when encode.
    static std::string ReadFile(VCOS_Obj stream, const std::string& path, bool encode) {
        const std::string what = "the file \"" + path + "\" of the external stream " + VCOS_Describe(stream);
        std::FILE* file = std::fopen(path.c_str(), "rb");
        if (!file)
            Fail(what + " cannot be opened: " + std::strerror(errno));
        std::string bytes;
        VCOS_FlateWriter flate(bytes);
        char chunk[65536];
        bool written = true;
        for (size_t n; written && (n = std::fread(chunk, 1, sizeof chunk, file)) > 0;)
            written = encode ? flate.Add(chunk, n) : (bytes.append(chunk, n), true);
        const bool failed = std::ferror(file) != 0;
        std::fclose(file);
        if (failed)
            Fail(what + " cannot be read");
        if (!written || (encode && !flate.Finish()))
            Fail(what + " cannot be Flate-encoded");
        return bytes;
    }

    std::string PdfPath(VCOS_Obj stream, VCOS_Obj spec) const {
        const VCOS_Type type = m_store.Type(spec);
        if (type == VCOS_Type::String)
            return m_store.StringValue(spec);
        if (type == VCOS_Type::Dict)
            for (const char* key : {"Unix", "F", "DOS"}) {
                const VCOS_Obj path = m_store.DictGet(spec, key);
                if (!path.IsNullHandle() && m_store.Type(path) == VCOS_Type::String)
                    return m_store.StringValue(path);
            }
        Fail("the external stream " + VCOS_Describe(stream) +
             " names its file neither by a string nor by a \"Unix\", \"F\" or \"DOS\" string");
    }

    const VCOS_Store& m_store;
};

}  // namespace

std::string VDRW_InlineWriter::Write(const VCOS_Store& store, VCOS_DocId doc) {
    VCOS_StringSink sink;
    const ExternalStreams substitute(store);
    VCOS_Writer::Write(store, doc, "", sink, &substitute);
    return sink.Bytes();
}

std::string VDRW_InlineWriter::OsPath(const std::string& pdfPath) {
    std::string path;
    for (size_t i = 0; i < pdfPath.size(); ++i) {
        char c = pdfPath[i];
        // No file name here can hold a "/", so an escaped one separates too.
        if (c == '\\' && i + 1 < pdfPath.size() && pdfPath[i + 1] == '/')
            c = pdfPath[++i];
        if (c == '/' && !path.empty() && path.back() == '/')
            continue;
        path += c;
    }
    if (path.size() > 1 && path.back() == '/')
        path.pop_back();
    return path;
}
