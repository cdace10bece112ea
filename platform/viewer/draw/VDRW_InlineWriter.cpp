#include "viewer/draw/VDRW_InlineWriter.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "viewer/cos/VCOS_ByteSink.h"
#include "viewer/cos/VCOS_Document.h"
#include "viewer/cos/VCOS_Error.h"
#include "viewer/cos/VCOS_Writer.h"

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
        image.m_bytes = ReadFile(stream, VDRW_InlineWriter::OsPath(PdfPath(stream, spec)));
        VCOS_Obj filter, parameters;
        for (const auto& [name, value] : m_store.Entry(m_store.StreamDict(stream)).m_entries) {
            if (name == "FFilter")
                filter = value;
            else if (name == "FDecodeParms")
                parameters = value;
            else if (name != "F" && name != "Filter" && name != "DecodeParms" && name != "Length")
                image.m_entries.emplace_back(name, value);
        }
        if (!filter.IsNullHandle())
            image.m_entries.emplace_back("Filter", filter);
        if (!parameters.IsNullHandle())
            image.m_entries.emplace_back("DecodeParms", parameters);
        return true;
    }

private:
    static std::string ReadFile(VCOS_Obj stream, const std::string& path) {
        const std::string what = "the file \"" + path + "\" of the external stream " + VCOS_Describe(stream);
        std::FILE* file = std::fopen(path.c_str(), "rb");
        if (!file)
            Fail(what + " cannot be opened: " + std::strerror(errno));
        std::string bytes;
        char chunk[65536];
        for (size_t n; (n = std::fread(chunk, 1, sizeof chunk, file)) > 0;)
            bytes.append(chunk, n);
        const bool failed = std::ferror(file) != 0;
        std::fclose(file);
        if (failed)
            Fail(what + " cannot be read");
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
