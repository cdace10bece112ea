#include "viewer/cos/VCOS_Writer.h"

#include <cinttypes>
#include <cstdio>
#include <vector>

#include "viewer/cos/VCOS_Error.h"
#include "viewer/cos/VCOS_Syntax.h"

namespace {

[[noreturn]] void Fail(VCOS_ErrorKind kind, const std::string& text) {
    throw VCOS_Error(kind, "VCOS_Writer: " + text);
}

// Buffers the output and hands it to the sink in large pieces.
class Output {
public:
    explicit Output(VCOS_ByteSink& sink) : m_sink(sink) {}

    void Put(const std::string& text) { Put(text.data(), text.size()); }
    void Put(const char* bytes, size_t count) {
        m_offset += count;
        if (m_buffer.size() + count > kChunk)
            Flush();
        if (count > kChunk)
            Send(bytes, count);
        else
            m_buffer.append(bytes, count);
    }
    uint64_t Offset() const { return m_offset; }
    void Finish() {
        Flush();
        if (!m_sink.Finish())
            Fail(VCOS_ErrorKind::WriteFailed, "the file could not be finished after " + std::to_string(m_offset) +
                                                  " bytes");
    }

private:
    static constexpr size_t kChunk = 65536;

    void Flush() {
        Send(m_buffer.data(), m_buffer.size());
        m_buffer.clear();
    }
    void Send(const char* bytes, size_t count) {
        if (count == 0)
            return;
        const size_t stored = m_sink.Write(bytes, count);
        if (stored != count)
            Fail(VCOS_ErrorKind::WriteFailed, "short write: " + std::to_string(stored) + " of " +
                                                  std::to_string(count) + " bytes stored");
    }

    VCOS_ByteSink& m_sink;
    std::string m_buffer;
    uint64_t m_offset = 0;
};

class DocumentWriter {
public:
    DocumentWriter(const VCOS_Store& store, VCOS_ByteSink& sink, const VCOS_StreamSubstitute* substitute)
        : m_store(store), m_out(sink), m_substitute(substitute) {}

    void Write(VCOS_DocId doc, const std::string& header);

private:
    void Object(VCOS_Obj obj);
    void Value(VCOS_Obj obj, int depth);
    void Dict(const std::vector<VCOS_DictEntries::Item>& entries, int depth, const std::string* length,
              const std::string& more = "");
    void Stream(VCOS_Obj obj, const VCOS_Entry& entry, int depth);
    std::string Reference(VCOS_Obj obj) const;

    const VCOS_Store& m_store;
    Output m_out;
    const VCOS_StreamSubstitute* m_substitute;
};

std::string DocumentWriter::Reference(VCOS_Obj obj) const {
    const VCOS_Entry& entry = m_store.Entry(obj);
    return std::to_string(entry.m_number) + " " + std::to_string(entry.m_generation) + " R";
}

void DocumentWriter::Dict(const std::vector<VCOS_DictEntries::Item>& entries, int depth, const std::string* length,
                          const std::string& more) {
    m_out.Put("<<");
    for (const auto& [key, value] : entries) {
        if (length && key == "Length")
            continue;
        m_out.Put(VCOS_FormatName(key));
        m_out.Put(" ");
        Value(value, depth + 1);
        m_out.Put("\n");
    }
    if (!more.empty())
        m_out.Put(more + "\n");
    if (length)
        m_out.Put("/Length " + *length + "\n");
    m_out.Put(">>");
}

void DocumentWriter::Value(VCOS_Obj obj, int depth) {
    if (depth > VCOS_MaxDepth)
        Fail(VCOS_ErrorKind::BadObject, "objects nested deeper than " + std::to_string(VCOS_MaxDepth) +
                                            " (a direct container inside itself?)");
    const VCOS_Entry& entry = m_store.Entry(obj);
    if (depth > 0 && entry.m_indirect && !entry.m_missing) {
        m_out.Put(Reference(obj));
        return;
    }
    switch (entry.m_type) {
    case VCOS_Type::Null: m_out.Put("null"); break;
    case VCOS_Type::Integer: m_out.Put(std::to_string(entry.m_integer)); break;
    case VCOS_Type::Real: m_out.Put(VCOS_FormatReal(entry.m_real)); break;
    case VCOS_Type::Boolean: m_out.Put(entry.m_boolean ? "true" : "false"); break;
    case VCOS_Type::Name: m_out.Put(VCOS_FormatName(entry.m_bytes)); break;
    case VCOS_Type::String: m_out.Put(VCOS_FormatString(entry.m_bytes)); break;
    case VCOS_Type::Array:
        m_out.Put("[");
        for (size_t i = 0; i < entry.m_items->size(); ++i) {
            if (i > 0)
                m_out.Put(" ");
            Value((*entry.m_items)[i], depth + 1);
        }
        m_out.Put("]");
        break;
    case VCOS_Type::Dict: Dict(entry.m_entries.Items(), depth, nullptr); break;
    case VCOS_Type::Stream: Stream(obj, entry, depth); break;
    }
}

void DocumentWriter::Stream(VCOS_Obj obj, const VCOS_Entry& entry, int depth) {
    if (depth > 0)
        Fail(VCOS_ErrorKind::BadObject, "a direct stream cannot be written (" + VCOS_Describe(obj) + ")");
    VCOS_StreamImage image;
    const bool substituted = m_substitute && m_substitute->Substitute(obj, image);
    const std::vector<VCOS_DictEntries::Item>& entries =
        substituted ? image.m_entries : m_store.Entry(entry.m_dict).m_entries.Items();
    const std::string& bytes = substituted ? image.m_bytes : entry.m_bytes;
    const std::string length = std::to_string(bytes.size());
    Dict(entries, depth, &length, image.m_moreEntries);
    m_out.Put("\nstream\n");
    m_out.Put(bytes.data(), bytes.size());
    m_out.Put("\nendstream");
}

void DocumentWriter::Object(VCOS_Obj obj) {
    const VCOS_Entry& entry = m_store.Entry(obj);
    m_out.Put(std::to_string(entry.m_number) + " " + std::to_string(entry.m_generation) + " obj\n");
    Value(obj, 0);
    m_out.Put("\nendobj\n");
}

void DocumentWriter::Write(VCOS_DocId doc, const std::string& header) {
    const VCOS_Obj root = m_store.Root(doc);
    const VCOS_Obj info = m_store.Info(doc);
    if (m_store.Type(root) != VCOS_Type::Dict || !m_store.IsIndirect(root))
        Fail(VCOS_ErrorKind::BadDocument, "Cos document " + std::to_string(doc) + " has no root dictionary");
    const bool hasInfo = !info.IsNullHandle();
    if (hasInfo && !m_store.IsIndirect(info))
        Fail(VCOS_ErrorKind::BadObject, "the information dictionary of Cos document " + std::to_string(doc) +
                                            " is not indirect");

    std::string line = header;
    if (line.empty())
        line = m_store.Header(doc);
    if (line.empty())
        line = "%PDF-1.3";
    m_out.Put(line + "\n");

    const std::vector<VCOS_Obj> objects = m_store.IndirectObjects(doc);
    const uint32_t size = m_store.NextNumber(doc);
    std::vector<uint64_t> offsets(size, 0);
    std::vector<uint16_t> generations(size, 0);
    std::vector<bool> used(size, false);
    for (const VCOS_Obj obj : objects) {
        const VCOS_Entry& entry = m_store.Entry(obj);
        offsets[entry.m_number] = m_out.Offset();
        generations[entry.m_number] = entry.m_generation;
        used[entry.m_number] = true;
        Object(obj);
    }

    // Free entries form the classic list: each names the next free number,
    // the last one 0.
    std::vector<uint32_t> freeNumbers;
    for (uint32_t n = 0; n < size; ++n)
        if (!used[n])
            freeNumbers.push_back(n);
    for (size_t i = 0; i < freeNumbers.size(); ++i)
        offsets[freeNumbers[i]] = i + 1 < freeNumbers.size() ? freeNumbers[i + 1] : 0;

    const uint64_t xref = m_out.Offset();
    m_out.Put("xref\n0 " + std::to_string(size) + "\n");
    char row[32];
    for (uint32_t n = 0; n < size; ++n) {
        const unsigned generation = n == 0 ? 65535u : generations[n];
        std::snprintf(row, sizeof row, "%010" PRIu64 " %05u %c\r\n", offsets[n], generation, used[n] ? 'n' : 'f');
        m_out.Put(row, 20);
    }
    std::string trailer = "trailer\n<</Size " + std::to_string(size) + " /Root " + Reference(root);
    if (hasInfo)
        trailer += " /Info " + Reference(info);
    trailer += ">>\nstartxref\n" + std::to_string(xref) + "\n%%EOF\n";
    m_out.Put(trailer);
    m_out.Finish();
}

}  // namespace

void VCOS_Writer::Write(const VCOS_Store& store, VCOS_DocId doc, const std::string& header, VCOS_ByteSink& sink,
                        const VCOS_StreamSubstitute* substitute) {
    DocumentWriter(store, sink, substitute).Write(doc, header);
}
