#include "support/PdfFileWriter.h"

#include "GLOB/GLOB_FileSpecification.h"
#include "GLOB/GLOB_Impl.h"
#include "GLOB/GLOB_ObjectWriter.h"
#include "GLOB/GLOB_Stream.h"
#include "support/GLOB_ChunkedCore.h"
#include "support/StreamBytes.h"

#include <cstdio>
#include <fstream>
#include <map>
#include <sstream>
#include <stdexcept>
#include <utility>
#include <vector>

namespace {

using ExternalStreams = PdfFileWriter::ExternalStreams;

std::string StoredData(const GLOB_Object& stream) {
    GLOB_Stream data = stream.OpenStream(0);
    const std::string bytes = ReadToEnd(data);
    data.Close();
    return bytes;
}

std::string FileBytes(const GLOB_Object& fileSpec) {
    const std::string path = GLOB_FileSpecification::OsPath(fileSpec);
    std::ifstream in(path, std::ios::binary);
    if (path.empty() || !in)
        throw std::runtime_error("PdfFileWriter: cannot read the external file '" + path + "'");
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

class FileText {
public:
    FileText(const GLOB_Doc& doc, ExternalStreams external)
        : m_doc(doc), m_external(external), m_core(new GLOB_ChunkedCore()), m_writer(GLOB_Stream(m_core)) {}

    std::string Make() {
        Out() += "%PDF-1.3\n%\xE2\xE3\xCF\xD3\n";
        Number(m_doc.Root());
        // The queue grows while objects are written.
        for (size_t i = 0; i < m_queue.size(); ++i) {
            m_offsets.push_back(Out().size());
            m_writer.WriteText((std::to_string(i + 1) + " 0 obj\n").c_str());
            WriteBody(m_queue[i]);
            m_writer.WriteText("\nendobj\n");
        }
        const size_t xref = Out().size();
        char line[32];
        Out() += "xref\n0 " + std::to_string(m_queue.size() + 1) + "\n0000000000 65535 f \n";
        for (size_t offset : m_offsets) {
            std::snprintf(line, sizeof line, "%010zu 00000 n \n", offset);
            Out() += line;
        }
        Out() += "trailer\n<< /Size " + std::to_string(m_queue.size() + 1) + " /Root 1 0 R >>\nstartxref\n" +
                 std::to_string(xref) + "\n%%EOF\n";
        return Out();
    }

private:
    // Everything written so far, the writer's buffer included.
    std::string& Out() {
        m_writer.Flush();
        return m_core->written;
    }

    uint32_t Number(const GLOB_Object& indirect) {
        GLOB_Impl* impl = indirect.GetImpl();
        const auto key = std::make_pair(impl->ObjectNumber(indirect), impl->GenerationNumber(indirect));
        const auto found = m_numbers.find(key);
        if (found != m_numbers.end())
            return found->second;
        m_queue.push_back(indirect);
        return m_numbers[key] = static_cast<uint32_t>(m_queue.size());
    }

    void WriteBody(const GLOB_Object& obj) {
        if (obj.IsStream())
            WriteStream(obj);
        else
            WriteDirect(obj, 0);
    }

    void WriteValue(const GLOB_Object& obj, int depth) {
        if (!obj.IsIndirect())
            return WriteDirect(obj, depth);
        m_writer.WriteSeparator();
        m_writer.WriteText((std::to_string(Number(obj)) + " 0 R").c_str());
    }

    void WriteDirect(const GLOB_Object& obj, int depth) {
        if (depth > GLOB_Object::MaxNesting)
            throw std::runtime_error("PdfFileWriter: objects nested too deep");
        if (obj.IsArray()) {
            m_writer.WriteSeparator();
            m_writer.WriteText("[");
            for (uint32_t i = 0, n = obj.Length(); i < n; ++i)
                WriteValue(obj.Get(i), depth + 1);
            m_writer.WriteText(" ]");
        } else if (obj.IsDict()) {
            WriteDict(Entries(obj), depth);
        } else {
            m_writer.WriteObject(obj);
        }
    }

    std::vector<GLOB_Impl::Entry> Entries(const GLOB_Object& dict) const {
        std::vector<GLOB_Impl::Entry> entries;
        dict.GetImpl()->DictEntries(dict, entries, true);
        // Other readers find an external file only under "F".
        if (m_external == ExternalStreams::Keep && dict.HasType("Filespec") && !dict.Known(GLOB_Name("F")))
            for (GLOB_Impl::Entry& entry : entries)
                if (entry.first == GLOB_Name("DOS"))
                    entry.first = GLOB_Name("F");
        return entries;
    }

    void WriteDict(const std::vector<GLOB_Impl::Entry>& entries, int depth) {
        m_writer.WriteSeparator();
        m_writer.WriteText("<<");
        for (const GLOB_Impl::Entry& entry : entries) {
            m_writer.WriteName(entry.first);
            WriteValue(entry.second, depth + 1);
        }
        m_writer.WriteText(" >>");
    }

    void WriteStream(const GLOB_Object& stream) {
        const GLOB_Object dict = stream.StreamDict();
        const GLOB_Object file = dict.DictGet(GLOB_Name("F"));
        const bool inlined = !file.IsNull() && m_external == ExternalStreams::Inline;
        std::string data;
        if (inlined)
            data = FileBytes(file);
        else if (!file.IsNull() && stream.GetImpl()->StreamLength(stream) != 0)
            throw std::runtime_error("PdfFileWriter: an external-file stream with data of its own");
        else if (file.IsNull())
            data = StoredData(stream);

        std::vector<GLOB_Impl::Entry> entries;
        for (GLOB_Impl::Entry& entry : Entries(dict)) {
            const std::string key = entry.first.CStr() ? entry.first.CStr() : "";
            const bool replaced = key == "Length" || (inlined && (key == "F" || key == "FFilter" ||
                                                                  key == "FDecodeParms" || key == "Filter" ||
                                                                  key == "DecodeParms"));
            if (!replaced)
                entries.push_back(entry);
        }
        if (inlined) {
            for (const char* key : {"FFilter", "FDecodeParms"}) {
                const GLOB_Object value = dict.DictGet(GLOB_Name(key));
                if (!value.IsNull())
                    entries.emplace_back(GLOB_Name(key + 1), value);
            }
        }
        entries.emplace_back(GLOB_Name("Length"), m_doc.NewInteger(static_cast<int32_t>(data.size())));
        WriteDict(entries, 0);
        Out() += "\nstream\n" + data;
        m_writer.WriteText("\nendstream");
    }

    GLOB_Doc m_doc;
    ExternalStreams m_external;
    GLOB_ChunkedCore* m_core;  // held by the writer's stream
    GLOB_ObjectWriter m_writer;
    std::map<std::pair<int32_t, int32_t>, uint32_t> m_numbers;
    std::vector<GLOB_Object> m_queue;  // object n + 1 at index n
    std::vector<size_t> m_offsets;
};

}  // namespace

std::string PdfFileWriter::Text(const GLOB_Doc& doc, ExternalStreams external) {
    return FileText(doc, external).Make();
}

void PdfFileWriter::Write(const GLOB_Doc& doc, const std::string& path, ExternalStreams external) {
    const std::string text = Text(doc, external);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
    if (!out.flush())
        throw std::runtime_error("PdfFileWriter: cannot write '" + path + "'");
}
