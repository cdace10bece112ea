#include "viewer/cos/VCOS_Reader.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <cstdlib>
#include <map>
#include <new>
#include <optional>
#include <set>
#include <utility>
#include <vector>

#include <qpdf/Buffer.hh>
#include <qpdf/BufferInputSource.hh>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFExc.hh>
#include <qpdf/QPDFObjectHandle.hh>

#include "viewer/cos/VCOS_Error.h"
#include "viewer/cos/VCOS_Repairer.h"
#include "viewer/cos/VCOS_XrefChain.h"

namespace {

std::atomic<uint64_t> g_steps{0};

[[noreturn]] void Fail(VCOS_ErrorKind kind, const std::string& text) {
    throw VCOS_Error(kind, "VCOS_Reader: " + text);
}

// A name's bytes from qpdf's name, solidus dropped. qpdf keeps a "#" that no
// two hex digits follow as a zero byte (and warns); a zero byte written as
// "#00" is refused, so each zero stands for such a "#", read as its byte.
std::string NameBytes(const std::string& qpdfName) {
    std::string bytes = qpdfName.substr(1);
    std::replace(bytes.begin(), bytes.end(), '\0', '#');
    return bytes;
}

// Closes the new document unless the read completes.
class DocGuard {
public:
    DocGuard(VCOS_Store& store, VCOS_DocId doc) : m_store(store), m_doc(doc) {}
    ~DocGuard() {
        if (m_doc != 0)
            m_store.CloseDoc(m_doc);
    }
    DocGuard(const DocGuard&) = delete;
    DocGuard& operator=(const DocGuard&) = delete;
    VCOS_DocId Release() { return std::exchange(m_doc, 0); }

private:
    VCOS_Store& m_store;
    VCOS_DocId m_doc;
};

// The file for qpdf. A seek past the end lands at the end: qpdf recovers a
// stream's length (up to its endstream) from its own exceptions only, and
// the one a seek past the end throws loses the stream.
class ClampedSource : public BufferInputSource {
public:
    ClampedSource(const std::string& name, const std::string& bytes)
        : BufferInputSource(name, new Buffer(reinterpret_cast<unsigned char*>(const_cast<char*>(bytes.data())),
                                             bytes.size()),
                            /*own_memory=*/true),
          m_size(static_cast<qpdf_offset_t>(bytes.size())) {}

    void seek(qpdf_offset_t offset, int whence) override {
        const qpdf_offset_t base = whence == SEEK_SET ? 0 : whence == SEEK_CUR ? tell() : m_size;
        if (offset > 0 && base >= 0 && base <= m_size && offset > m_size - base)
            BufferInputSource::seek(m_size, SEEK_SET);
        else
            BufferInputSource::seek(offset, whence);
    }

private:
    qpdf_offset_t m_size;
};

bool IsPdfSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\0'; }
bool IsRegular(char c) { return !IsPdfSpace(c) && std::strchr("()<>[]{}/%", c) == nullptr; }

// A look at the bytes from one cross-reference entry's offset on, within a
// window of its own size, which bounds what the look costs.
class NearOffset {
public:
    NearOffset(const std::string& bytes, size_t at, size_t window)
        : m_bytes(bytes), m_start(at), m_at(at), m_end(std::min(bytes.size(), at + window)) {}
    ~NearOffset() { g_steps += m_at - m_start; }
    NearOffset(const NearOffset&) = delete;
    NearOffset& operator=(const NearOffset&) = delete;

    // False when the window ends first.
    bool SkipSpaceAndComments() {
        while (m_at < m_end) {
            if (m_bytes[m_at] == '%')
                while (m_at < m_end && m_bytes[m_at] != '\r' && m_bytes[m_at] != '\n')
                    ++m_at;
            else if (IsPdfSpace(m_bytes[m_at]))
                ++m_at;
            else
                return true;
        }
        return false;
    }
    // A whole token of digits whose value is number.
    bool Integer(uint64_t number) {
        uint64_t value = 0;
        return AnyInteger(&value) && value == number;
    }
    // A whole token of up to 19 digits.
    bool AnyInteger(uint64_t* value) {
        *value = 0;
        const size_t first = m_at;
        for (; m_at < m_end && m_at - first < 19 && m_bytes[m_at] >= '0' && m_bytes[m_at] <= '9'; ++m_at)
            *value = *value * 10 + static_cast<uint64_t>(m_bytes[m_at] - '0');
        return m_at > first && !TokenGoesOn();
    }
    // A whole token spelt word.
    bool Keyword(const char* word) {
        const size_t length = std::strlen(word);
        if (m_end - m_at < length || m_bytes.compare(m_at, length, word) != 0)
            return false;
        m_at += length;
        if (!TokenGoesOn())
            return true;
        m_at -= length;
        return false;
    }
    size_t At() const { return m_at; }

private:
    bool TokenGoesOn() const { return m_at < m_bytes.size() && IsRegular(m_bytes[m_at]); }

    const std::string& m_bytes;
    const size_t m_start;
    size_t m_at;
    size_t m_end;
};

// The generation in the header "number G obj" at offset (white space and
// comments before each token allowed); -1 when no header of that number
// stands there. *body: where the header ends.
long long HeaderGeneration(const std::string& bytes, qpdf_offset_t offset, int number, size_t* body) {
    constexpr size_t HeaderWindow = 64;
    if (offset < 0 || static_cast<uint64_t>(offset) >= bytes.size() || number < 0)
        return -1;
    NearOffset header(bytes, static_cast<size_t>(offset), HeaderWindow);
    uint64_t generation = 0;
    if (!(header.SkipSpaceAndComments() && header.Integer(static_cast<uint64_t>(number)) &&
          header.SkipSpaceAndComments() && header.AnyInteger(&generation) && generation <= INT32_MAX &&
          header.SkipSpaceAndComments() && header.Keyword("obj")))
        return -1;
    *body = header.At();
    return static_cast<long long>(generation);
}

// Whether a header of the object's number ("N G obj", of any generation:
// the entry names the object) stands at offset and more than null follows
// it, so that qpdf reading it as null lost it. An entry whose offset holds
// no such header (another object's header) is a missing object, null as
// qpdf reads it. An entry at offset 0 is looked at from the file's start,
// past the header's comment lines: where the object's own header stands
// first in the file, the object is lost ("object has offset 0", says qpdf),
// and as MuPDF's repair reads the same entry as null, a page that uses it
// is refused in those words, never drawn without it; where another object
// stands first, the entry is a missing object.
// The body's first token is looked for however much white space and comment
// lies before it. The bodies of one file together look at no more bytes than
// *budget holds (the file's size): bodies that follow their own headers look
// at each byte once, and only headers written inside another's comment can
// spend it. A body the spent budget cuts short counts as lost, so that the
// repair reads it rather than nothing.
bool LostAt(const std::string& bytes, qpdf_offset_t offset, QPDFObjGen id, size_t* budget) {
    size_t start = 0;
    if (id.getGen() < 0 || HeaderGeneration(bytes, offset, id.getObj(), &start) < 0)
        return false;
    NearOffset body(bytes, start, *budget);
    const bool found = body.SkipSpaceAndComments();
    *budget -= body.At() - start;
    if (!found)
        return body.At() < bytes.size();
    return !body.Keyword("null") && !body.Keyword("endobj");
}

class Copier {
public:
    Copier(VCOS_Store& store, VCOS_DocId doc, QPDF& qpdf, const std::string& bytes)
        : m_store(store),
          m_doc(doc),
          m_qpdf(qpdf),
          m_bytes(bytes),
          m_base(VCOS_XrefChain::HeaderOffset(bytes)),
          m_bodyBudget(bytes.size()) {}

    // The number of objects that were lost.
    size_t Copy();

private:
    void CollectWarnings();
    // Notes the objects the document's warning at index names ("object N G"
    // or "object N/G" before ",", ")" or ":"), keeping each one's first.
    void IndexWarning(size_t index);
    // What qpdf said about the object, for the mark of a lost one.
    std::string SaidAbout(QPDFObjGen id) const;
    // How many of the last of size bytes of data starting at start (as qpdf
    // counts offsets) are the end of line before endstream: qpdf, where it
    // recovers a stream's length, reads the data up to the word, and that
    // one end of line (CR, LF or CR LF) only parts them from it. 0 where
    // qpdf read the stream by its /Length.
    size_t EndOfLineBeforeEndstream(qpdf_offset_t start, size_t size) const;
    VCOS_Obj Direct(QPDFObjectHandle object, int depth);
    VCOS_Obj Value(QPDFObjectHandle object, int depth);
    VCOS_Obj Indirect(QPDFObjectHandle object);
    // The object a reference to another generation of a number reaches,
    // where the sections cannot be followed and the file holds a body of
    // that generation too: declared under a number of its own, as the
    // store keeps one object per number, and copied with the rest.
    VCOS_Obj AnotherGeneration(QPDFObjGen id);
    // A page's /Contents value, whose references to objects the file does
    // not hold (an array's elements included) stay as such, so that the
    // page can say which of its content streams it lacks.
    VCOS_Obj Contents(QPDFObjectHandle value, int depth);
    // An array's copy whose elements are copied as Named copies them.
    VCOS_Obj NamedElements(QPDFObjectHandle array, int depth);
    VCOS_Obj Named(QPDFObjectHandle value, int depth);
    // The generation each object number is declared with: the one the
    // newest cross-reference section that lists the number gives, whether
    // an update raised it (a freed number reused) or lowered it; where the
    // sections cannot be followed (qpdf rebuilt its table), the one of the
    // body last in the file, as a repair finds it; for a number the table
    // lacks, the first qpdf lists. Every other generation of the number
    // reads as null, but where qpdf rebuilt its table: there each other
    // generation the table holds a body of goes to *others.
    std::map<int, int> Generations(const std::map<QPDFObjGen, QPDFXRefEntry>& xref,
                                   const std::vector<QPDFObjectHandle>& objects,
                                   std::set<QPDFObjGen>* others) const;
    // Whether the body at entry, which qpdf read as null, was lost rather
    // than written as null or missing from the file.
    bool Lost(QPDFObjGen id, const QPDFXRefEntry& entry);
    // Copies the bodies of m_kept from index first on, those the copies
    // add included.
    void DefineKept(size_t first, const std::set<QPDFObjGen>& contents, bool release);
    // The object qpdf read as null at id's entry, read under the generation
    // its header gives instead ("4 7 obj" where the entry says 4 0), which
    // references may use too; null when the entry holds no such header or
    // qpdf has nothing there either.
    // xref: the table as the file's sections give it.
    QPDFObjectHandle UnderItsHeader(QPDFObjGen id, const QPDFXRefEntry& entry,
                                    const std::map<QPDFObjGen, QPDFXRefEntry>& xref);
    // Whether the object stream stream lists object number, so that qpdf
    // reading it as null read a literal null. An entry naming no object
    // stream, or one that lacks the number, lost its object, which
    // MuPDF's repair may find.
    bool ListedIn(int stream, int number);
    // Whether qpdf, having rebuilt its table since, reads id from another
    // place than entry, the one the file's sections give.
    bool Moved(QPDFObjGen id, const QPDFXRefEntry& entry);
    // The objects that dictionaries name as their /Contents by reference.
    std::set<QPDFObjGen> NamedAsContents(const std::vector<QPDFObjectHandle>& objects) const;

    VCOS_Store& m_store;
    VCOS_DocId m_doc;
    QPDF& m_qpdf;
    const std::string& m_bytes;
    const size_t m_base;  // where qpdf's offsets count from in m_bytes
    size_t m_bodyBudget;  // bytes the objects read as null may still look at for a body
    std::map<QPDFObjGen, VCOS_Obj> m_declared;
    std::set<QPDFObjGen> m_lost;
    std::set<QPDFObjGen> m_underItsHeader;  // read as null by qpdf, held under another generation
    std::map<int, std::set<int>> m_streamLists;  // the numbers each object stream looked at lists
    std::optional<std::map<QPDFObjGen, QPDFXRefEntry>> m_rebuilt;  // qpdf's table once all was read
    std::map<QPDFObjGen, size_t> m_firstWarning;
    std::set<qpdf_offset_t> m_recovered;  // where the streams whose length qpdf recovered start
    struct Kept {
        QPDFObjGen m_id;
        QPDFObjectHandle m_body;
        VCOS_Obj m_declared;
    };
    std::vector<Kept> m_kept;  // the objects to copy, by the reference that reaches each
    const std::map<QPDFObjGen, QPDFXRefEntry>* m_xref = nullptr;  // the table as the file's sections give it
    std::set<QPDFObjGen> m_others;  // bodies of generations a number is not declared with, not yet reached
    bool m_reconstructed = false;   // qpdf rebuilt its table from the bodies, as its warnings say
};

bool IsCrossReferenceStream(QPDFObjectHandle object) {
    if (!object.isStream())
        return false;
    QPDFObjectHandle type = object.getDict().getKey("/Type");
    return type.isName() && (type.getName() == "/ObjStm" || type.getName() == "/XRef");
}

// The digits at text[*at], moved past; -1 when there are none or too many.
long long Digits(const std::string& text, size_t* at) {
    const size_t first = *at;
    long long value = 0;
    for (; *at < text.size() && text[*at] >= '0' && text[*at] <= '9'; ++*at)
        if (*at - first < 10)
            value = value * 10 + (text[*at] - '0');
    return *at > first && *at - first <= 10 && value <= INT32_MAX ? value : -1;
}

void Copier::IndexWarning(size_t index) {
    ++g_steps;
    const std::string& warning = m_store.Warnings(m_doc)[index];
    for (size_t at = warning.find("object "); at != std::string::npos; at = warning.find("object ", at)) {
        at += 7;
        const long long number = Digits(warning, &at);
        if (number < 0 || at >= warning.size() || (warning[at] != ' ' && warning[at] != '/'))
            continue;
        ++at;
        const long long generation = Digits(warning, &at);
        if (generation >= 0 && at < warning.size() && std::strchr(",):", warning[at]) != nullptr)
            m_firstWarning.emplace(QPDFObjGen(static_cast<int>(number), static_cast<int>(generation)), index);
    }
}

std::string Copier::SaidAbout(QPDFObjGen id) const {
    ++g_steps;
    const auto found = m_firstWarning.find(id);
    if (found != m_firstWarning.end())
        return m_store.Warnings(m_doc)[found->second];
    return "object " + std::to_string(id.getObj()) + " " + std::to_string(id.getGen()) + " reads as null";
}

size_t Copier::EndOfLineBeforeEndstream(qpdf_offset_t start, size_t size) const {
    if (start < 0 || m_recovered.count(start) == 0)
        return 0;
    const uint64_t end = m_base + static_cast<uint64_t>(start) + size;
    if (end > m_bytes.size() || m_bytes.compare(end, 9, "endstream") != 0)
        return 0;
    if (size >= 2 && m_bytes.compare(end - 2, 2, "\r\n") == 0)
        return 2;
    return size >= 1 && (m_bytes[end - 1] == '\n' || m_bytes[end - 1] == '\r') ? 1 : 0;
}

void Copier::CollectWarnings() {
    // getWarnings empties qpdf's list, so they are taken as they come.
    for (const QPDFExc& warning : m_qpdf.getWarnings()) {
        // Every non-PDF header (the preference file's) gives this one.
        if (warning.getMessageDetail() == "can't find PDF header")
            continue;
        if (warning.getMessageDetail() == "Attempting to reconstruct cross-reference table")
            m_reconstructed = true;
        if (warning.getMessageDetail().rfind("recovered stream length: ", 0) == 0)
            m_recovered.insert(warning.getFilePosition());
        m_store.AddWarning(m_doc, warning.what());
        IndexWarning(m_store.Warnings(m_doc).size() - 1);
    }
}

VCOS_Obj Copier::Indirect(QPDFObjectHandle object) {
    const auto found = m_declared.find(object.getObjGen());
    if (found != m_declared.end())
        return found->second;
    // A reference to a missing or skipped object reads as null.
    return m_others.count(object.getObjGen()) != 0 ? AnotherGeneration(object.getObjGen()) : VCOS_NullObj;
}

VCOS_Obj Copier::AnotherGeneration(QPDFObjGen id) {
    m_others.erase(id);
    QPDFObjectHandle body = m_qpdf.getObjectByObjGen(id);
    if (IsCrossReferenceStream(body))
        return VCOS_NullObj;
    const VCOS_Obj declared = m_store.DeclareIndirect(m_doc, m_store.NextNumber(m_doc), 0);
    m_declared.emplace(id, declared);
    m_kept.push_back({id, body, declared});
    if (body.isNull() && Lost(id, m_xref->at(id))) {
        m_store.MarkLost(m_doc, m_store.Number(declared), SaidAbout(id));
        m_lost.insert(id);
    }
    return declared;
}

VCOS_Obj Copier::Value(QPDFObjectHandle object, int depth) {
    if (object.isIndirect())
        return Indirect(object);
    return Direct(object, depth);
}

VCOS_Obj Copier::Contents(QPDFObjectHandle value, int depth) {
    if (value.isIndirect() || !value.isArray())
        return Named(value, depth);
    return NamedElements(value, depth);
}

VCOS_Obj Copier::NamedElements(QPDFObjectHandle value, int depth) {
    const VCOS_Obj array = m_store.NewArray(m_doc, false, 0);
    uint32_t index = 0;
    for (QPDFObjectHandle item : value.getArrayAsVector())
        m_store.ArrayPut(array, index++, Named(item, depth + 1));
    return array;
}

VCOS_Obj Copier::Named(QPDFObjectHandle value, int depth) {
    if (!value.isIndirect())
        return Direct(value, depth);
    const VCOS_Obj found = Indirect(value);
    if (!found.IsNullHandle() || value.getObjectID() <= 0)
        return found;
    // A generation the file's sections list but did not declare was
    // replaced by a later update: its body may still stand in the file.
    return m_store.MissingIndirect(m_doc, static_cast<uint32_t>(value.getObjectID()),
                                   static_cast<uint16_t>(value.getGeneration()),
                                   m_xref && m_xref->count(value.getObjGen()) != 0);
}

VCOS_Obj Copier::Direct(QPDFObjectHandle object, int depth) {
    if (depth > VCOS_MaxDepth)
        Fail(VCOS_ErrorKind::ReadFailed, "objects nested deeper than " + std::to_string(VCOS_MaxDepth));
    if (object.isBool())
        return m_store.NewBoolean(m_doc, false, object.getBoolValue());
    if (object.isInteger()) {
        const long long value = object.getIntValue();
        if (value >= INT32_MIN && value <= INT32_MAX)
            return m_store.NewInteger(m_doc, false, static_cast<int32_t>(value));
        // Cos integers are 32-bit; a larger one keeps its value as a real.
        return m_store.NewReal(m_doc, false, static_cast<double>(value));
    }
    if (object.isReal()) {
        const double value = std::strtod(object.getRealValue().c_str(), nullptr);
        return m_store.NewReal(m_doc, false, std::isfinite(value) ? value : 0.0);
    }
    if (object.isName())
        return m_store.NewName(m_doc, false, NameBytes(object.getName()));
    if (object.isString())
        return m_store.NewString(m_doc, false, object.getStringValue());
    if (object.isArray()) {
        const VCOS_Obj array = m_store.NewArray(m_doc, false, 0);
        uint32_t index = 0;
        for (QPDFObjectHandle item : object.getArrayAsVector())
            m_store.ArrayPut(array, index++, Value(item, depth + 1));
        return array;
    }
    if (object.isDictionary() || object.isStream()) {
        QPDFObjectHandle dict = object.isStream() ? object.getDict() : object;
        const VCOS_Obj copy = m_store.NewDict(m_doc, false);
        // qpdf leaves out keys whose values are null; a reference to a lost
        // object stays, so that its user learns it was lost.
        for (auto& [key, value] : dict.getDictAsMap())
            if (key == "/Contents" && (value.isIndirect() || value.isArray()))
                m_store.DictPut(copy, "Contents", Contents(value, depth + 1));
            else if (!value.isNull() || (value.isIndirect() && (m_lost.count(value.getObjGen()) != 0 ||
                                                                m_underItsHeader.count(value.getObjGen()) != 0)))
                m_store.DictPut(copy, NameBytes(key), Value(value, depth + 1));
        if (!object.isStream())
            return copy;
        std::shared_ptr<Buffer> data = object.getRawStreamData();
        std::string bytes(reinterpret_cast<const char*>(data->getBuffer()), data->getSize());
        data.reset();
        // qpdf says it recovered the length as it parses the stream.
        CollectWarnings();
        bytes.resize(bytes.size() - EndOfLineBeforeEndstream(object.getParsedOffset(), bytes.size()));
        // The copy becomes the stream's dictionary: a second would stay in
        // the table, unused, for every stream of the file.
        return m_store.NewStreamOwning(m_doc, std::move(bytes), copy);
    }
    return VCOS_NullObj;  // null, and what qpdf keeps only inside content streams
}

// Where the body an entry names starts in the file: an object stream's
// own place for an object in it; -1 where that is not known.
qpdf_offset_t Where(const std::map<QPDFObjGen, QPDFXRefEntry>& xref, const QPDFXRefEntry& entry) {
    if (entry.getType() == 1)
        return entry.getOffset();
    const auto stream = xref.find(QPDFObjGen(entry.getType() == 2 ? entry.getObjStreamNumber() : 0, 0));
    return stream != xref.end() && stream->second.getType() == 1 ? stream->second.getOffset() : -1;
}

std::map<int, int> Copier::Generations(const std::map<QPDFObjGen, QPDFXRefEntry>& xref,
                                       const std::vector<QPDFObjectHandle>& objects,
                                       std::set<QPDFObjGen>* others) const {
    // Each number's body last in the file, as a repair that reads the file
    // from its start finds it (the highest generation among unknown places).
    std::map<int, std::pair<qpdf_offset_t, int>> last;
    std::set<int> several;
    for (const auto& [id, entry] : xref) {
        const std::pair<qpdf_offset_t, int> here(Where(xref, entry), id.getGen());
        const auto [at, added] = last.emplace(id.getObj(), here);
        if (!added) {
            several.insert(id.getObj());
            at->second = std::max(at->second, here);
        }
    }
    // Only a number listed at several generations needs the sections' order.
    const std::optional<std::map<int, int>> newest =
        several.empty() ? std::nullopt : VCOS_XrefChain::NewestGenerations(m_bytes, several);
    std::map<int, int> generations;
    for (const auto& [number, body] : last) {
        const auto found = newest ? newest->find(number) : std::map<int, int>::const_iterator();
        // Where the sections and qpdf's table disagree, the last body stands.
        const bool listed = newest && found != newest->end() && xref.count(QPDFObjGen(number, found->second)) != 0;
        generations.emplace(number, listed ? found->second : body.second);
    }
    // Where qpdf itself rebuilt its table, no section says which generation
    // stands, and a reference names the one it means: each other generation
    // the table holds a body of reads it. Where qpdf followed the sections,
    // a generation they do not give was replaced, and is not read.
    if (!several.empty() && !newest && m_reconstructed)
        for (const auto& [id, entry] : xref)
            if (several.count(id.getObj()) != 0 && generations.at(id.getObj()) != id.getGen())
                others->insert(id);
    for (const QPDFObjectHandle& object : objects)
        generations.emplace(object.getObjGen().getObj(), object.getObjGen().getGen());
    return generations;
}

QPDFObjectHandle Copier::UnderItsHeader(QPDFObjGen id, const QPDFXRefEntry& entry,
                                        const std::map<QPDFObjGen, QPDFXRefEntry>& xref) {
    size_t body = 0;
    const long long generation =
        entry.getType() == 1 ? HeaderGeneration(m_bytes, entry.getOffset(), id.getObj(), &body) : -1;
    ++g_steps;
    if (generation < 0 || generation == id.getGen())
        return QPDFObjectHandle::newNull();
    // qpdf rebuilt its table when the header disagreed, and found the
    // object there under the header's generation. Where either table puts
    // that generation elsewhere (an older section's body, which qpdf may
    // have read first), this body is not to be had from qpdf.
    if (!m_rebuilt)
        m_rebuilt = m_qpdf.getXRefTable();
    const QPDFObjGen underHeader(id.getObj(), static_cast<int>(generation));
    const auto here = [&](const std::map<QPDFObjGen, QPDFXRefEntry>& table, bool listed) {
        const auto found = table.find(underHeader);
        if (found == table.end())
            return !listed;
        return found->second.getType() == 1 && found->second.getOffset() == entry.getOffset();
    };
    if (!here(xref, /*listed=*/false) || !here(*m_rebuilt, /*listed=*/true))
        return QPDFObjectHandle::newNull();
    return m_qpdf.getObjectByObjGen(underHeader);
}

bool Copier::Lost(QPDFObjGen id, const QPDFXRefEntry& entry) {
    return entry.getType() == 1 ? LostAt(m_bytes, entry.getOffset(), id, &m_bodyBudget)
                                : entry.getType() == 2 && !ListedIn(entry.getObjStreamNumber(), id.getObj());
}

void Copier::DefineKept(size_t first, const std::set<QPDFObjGen>& contents, bool release) {
    // A copy may add to m_kept, so each is taken by value.
    for (size_t i = first; i < m_kept.size(); ++i) {
        Kept object = m_kept[i];
        m_store.Define(object.m_declared, contents.count(object.m_id) != 0 && object.m_body.isArray()
                                              ? NamedElements(object.m_body, 0)
                                              : Direct(object.m_body, 0));
        CollectWarnings();
        if (release && object.m_body.isIndirect() && !object.m_body.isNull())
            m_qpdf.replaceObject(object.m_body.getObjGen(), QPDFObjectHandle::newBool(false));
    }
}

bool Copier::Moved(QPDFObjGen id, const QPDFXRefEntry& entry) {
    if (entry.getType() != 1)
        return false;
    if (!m_rebuilt)
        m_rebuilt = m_qpdf.getXRefTable();
    const auto found = m_rebuilt->find(id);
    return found == m_rebuilt->end() || found->second.getType() != 1 || found->second.getOffset() != entry.getOffset();
}

std::set<QPDFObjGen> Copier::NamedAsContents(const std::vector<QPDFObjectHandle>& objects) const {
    std::set<QPDFObjGen> named;
    for (QPDFObjectHandle object : objects)
        if (object.isDictionary()) {
            QPDFObjectHandle contents = object.getKey("/Contents");
            if (contents.isIndirect())
                named.insert(contents.getObjGen());
        }
    return named;
}

bool Copier::ListedIn(int stream, int number) {
    auto found = m_streamLists.find(stream);
    if (found == m_streamLists.end()) {
        found = m_streamLists.emplace(stream, std::set<int>()).first;
        QPDFObjectHandle objects = m_qpdf.getObjectByObjGen(QPDFObjGen(stream, 0));
        QPDFObjectHandle type = objects.isStream() ? objects.getDict().getKey("/Type") : objects;
        if (stream > 0 && type.isName() && type.getName() == "/ObjStm" && objects.getDict().getKey("/N").isInteger()) {
            std::string data;
            try {
                std::shared_ptr<Buffer> decoded = objects.getStreamData();
                data.assign(reinterpret_cast<const char*>(decoded->getBuffer()), decoded->getSize());
            } catch (const std::bad_alloc&) {
                throw;
            } catch (const std::exception&) {
                // Data qpdf cannot decode list nothing.
            }
            // The header: N pairs of object number and offset.
            const long long pairs = objects.getDict().getKey("/N").getIntValue();
            NearOffset header(data, 0, data.size());
            for (long long i = 0; i < pairs; ++i) {
                uint64_t listed = 0;
                uint64_t offset = 0;
                if (!(header.SkipSpaceAndComments() && header.AnyInteger(&listed) && header.SkipSpaceAndComments() &&
                      header.AnyInteger(&offset)))
                    break;
                if (listed <= INT32_MAX)
                    found->second.insert(static_cast<int>(listed));
            }
        }
    }
    ++g_steps;
    return found->second.count(number) != 0;
}

size_t Copier::Copy() {
    // The table as the file's sections give it, before a header that
    // disagrees with its entry makes qpdf rebuild it from the bodies.
    const std::map<QPDFObjGen, QPDFXRefEntry> xref = m_qpdf.getXRefTable();
    // The repair's warnings, put in before qpdf's.
    for (size_t i = 0; i < m_store.Warnings(m_doc).size(); ++i)
        IndexWarning(i);
    CollectWarnings();
    QPDFObjectHandle trailer = m_qpdf.getTrailer();
    if (!trailer.getKey("/Root").isDictionary())
        Fail(VCOS_ErrorKind::BadDocument, m_qpdf.getFilename() + " has no /Root dictionary in its trailer");

    std::vector<QPDFObjectHandle> objects = m_qpdf.getAllObjects();
    CollectWarnings();
    m_xref = &xref;
    const std::map<int, int> generations = Generations(xref, objects, &m_others);
    std::map<QPDFObjGen, QPDFObjectHandle> listed;
    for (QPDFObjectHandle& object : objects)
        listed.emplace(object.getObjGen(), object);
    for (const auto& [number, generation] : generations) {
        const QPDFObjGen id(number, generation);
        const auto found = listed.find(id);
        // An entry qpdf's rebuilt table dropped (its header gave another
        // generation) is asked for by itself.
        QPDFObjectHandle object = found != listed.end() ? found->second : m_qpdf.getObjectByObjGen(id);
        // qpdf lists the object and cross-reference streams too; their
        // contents are objects of their own, written flat.
        if (number <= 0 || generation < 0 || IsCrossReferenceStream(object))
            continue;
        const VCOS_Obj declared =
            m_store.DeclareIndirect(m_doc, static_cast<uint32_t>(number), static_cast<uint16_t>(generation));
        m_declared.emplace(id, declared);
        m_kept.push_back({id, object, declared});
    }
    // qpdf gives up on some objects it cannot parse (a stream whose /Length
    // refers to the stream itself) and reads them as null; a page would then
    // draw nothing without a word. An entry that points nowhere is a missing
    // object, read as null as qpdf and other readers read it. An entry's
    // offset names its body even where qpdf, having rebuilt its table over a
    // header that disagrees, reads an older body of the number there.
    for (Kept& object : m_kept) {
        const auto entry = xref.find(object.m_id);
        if (entry == xref.end() || (!object.m_body.isNull() && !Moved(object.m_id, entry->second)))
            continue;
        QPDFObjectHandle body = UnderItsHeader(object.m_id, entry->second, xref);
        if (!body.isNull()) {
            // A reference by the header's generation names it too, as in
            // qpdf, whose rebuilt table lists it so.
            object.m_body = body;
            m_underItsHeader.insert(object.m_id);
            m_declared.emplace(body.getObjGen(), object.m_declared);
            continue;
        }
        if (!object.m_body.isNull() || !Lost(object.m_id, entry->second))
            continue;
        m_store.MarkLost(m_doc, m_store.Number(object.m_declared), SaidAbout(object.m_id));
        m_lost.insert(object.m_id);
    }
    // The trailer's dictionaries are looked at before qpdf's objects go.
    std::vector<std::pair<const char*, QPDFObjectHandle>> catalogs;
    for (const char* key : {"/Root", "/Info"}) {
        QPDFObjectHandle value = trailer.getKey(key);
        if (value.isDictionary())
            catalogs.emplace_back(key, value);
    }
    // What qpdf parsed of an object goes once the store holds it, so that a
    // file's objects are not held twice at once. The value left in its place
    // is not null, as the dictionaries still to copy ask of what they name.
    // An encrypted file keeps its objects: qpdf reads its permissions after.
    const bool release = !m_qpdf.isEncrypted();
    // An array named as a page's contents by reference keeps its references
    // to objects the file lacks, as the same array given directly does.
    const std::set<QPDFObjGen> contents = NamedAsContents(objects);
    DefineKept(0, contents, release);

    const size_t defined = m_kept.size();
    for (auto& [key, value] : catalogs) {
        VCOS_Obj obj = Value(value, 0);
        if (!m_store.IsIndirect(obj)) {
            // A direct catalog in the trailer gets a number of its own.
            const VCOS_Obj numbered = m_store.DeclareIndirect(m_doc, m_store.NextNumber(m_doc), 0);
            m_store.Define(numbered, obj);
            obj = numbered;
        }
        if (key[1] == 'R')
            m_store.SetRoot(m_doc, obj);
        else
            m_store.SetInfo(m_doc, obj);
    }
    // A catalog may reach another generation no object reached.
    DefineKept(defined, contents, release);
    CollectWarnings();
    return m_lost.size();
}

// Whether rebuilt holds, as more than null, an object that first lost. A
// repair that merely leaves such an object out (the cut end of a file)
// recovers nothing, and qpdf's reading with its warnings stands.
bool RecoversALostObject(const VCOS_Store& store, VCOS_DocId first, VCOS_DocId rebuilt) {
    std::set<uint32_t> lost;
    for (const VCOS_Obj obj : store.IndirectObjects(first))
        if (store.LostReason(first, store.Number(obj)) != nullptr)
            lost.insert(store.Number(obj));
    for (const VCOS_Obj obj : store.IndirectObjects(rebuilt))
        if (lost.count(store.Number(obj)) != 0 && store.Type(obj) != VCOS_Type::Null)
            return true;
    return false;
}

// One reading by qpdf into a new document, whose warnings start with
// leading; *lost, when not null, counts the objects qpdf could not read.
// A file qpdf refuses gives 0 with qpdf's reason in *refusal; the store's
// own refusals, a password and running out of memory throw.
VCOS_DocId ReadOnce(VCOS_Store& store, const std::string& bytes, const std::string& name,
                    const std::string& header, const std::vector<std::string>& leading, std::string* refusal,
                    size_t* lost) {
    const VCOS_DocId id = store.NewEmptyDoc();
    DocGuard guard(store, id);
    store.SetHeader(id, header);
    for (const std::string& warning : leading)
        store.AddWarning(id, warning);
    // qpdf's errors stop here: each becomes the store's own.
    try {
        QPDF qpdf;
        qpdf.setSuppressWarnings(true);
        qpdf.processInputSource(std::make_shared<ClampedSource>(name, bytes));
        const size_t lostHere = Copier(store, id, qpdf, bytes).Copy();
        if (lost)
            *lost = lostHere;
        int revision = 0;
        int permissions = 0;
        if (qpdf.isEncrypted(revision, permissions))
            store.SetPermissions(id, permissions);
    } catch (const VCOS_Error&) {
        throw;
    } catch (const std::bad_alloc&) {
        throw;
    } catch (const QPDFExc& error) {
        if (error.getErrorCode() == qpdf_e_password)
            Fail(VCOS_ErrorKind::PasswordNeeded, name + " is encrypted and needs a password to open");
        *refusal = error.what();
        return 0;
    } catch (const std::exception& error) {
        *refusal = error.what();
        return 0;
    }
    return guard.Release();
}

}  // namespace

uint64_t VCOS_Reader::Steps() { return g_steps; }

std::string VCOS_Reader::HeaderLine(const std::string& bytes) {
    size_t start = std::string::npos;
    if (!bytes.empty() && bytes[0] == '%')
        start = 0;
    else
        start = bytes.substr(0, 1024).find("%PDF-");
    if (start == std::string::npos)
        return "";
    const size_t end = bytes.find_first_of("\r\n", start);
    return bytes.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

VCOS_DocId VCOS_Reader::Read(VCOS_Store& store, const std::string& bytes, const std::string& name) {
    const size_t end = VCOS_XrefChain::ReadableEnd(bytes);
    if (end < bytes.size())
        return Read(store, bytes.substr(0, end), name);
    const std::string header = HeaderLine(bytes);
    std::string refusal;
    size_t lost = 0;
    VCOS_DocId first = 0;
    // A catalog qpdf reads as null (its entry disturbed) may be found by
    // the repair; where none is, the file is refused for want of one.
    std::optional<VCOS_Error> noCatalog;
    try {
        // qpdf sets up a cross-reference stream's predictor rows before it
        // reads a byte of their data: such a file goes to the repair alone.
        if (VCOS_XrefChain::RowsOutgrowTheirData(bytes))
            refusal = "a cross-reference stream's predictor rows are wider than its data could hold";
        else
            first = ReadOnce(store, bytes, name, header, {}, &refusal, &lost);
    } catch (const VCOS_Error& error) {
        if (error.Kind() != VCOS_ErrorKind::BadDocument)
            throw;
        noCatalog = error;
        refusal = "it has no readable catalog";
    }
    if (first != 0 && lost == 0)
        return first;
    DocGuard firstGuard(store, first);
    if (first != 0)
        refusal = std::to_string(lost) + (lost == 1 ? " object" : " objects") + " of it could not be read";
    // What qpdf cannot recover MuPDF may: its repaired copy is read instead,
    // and the repair's warnings make the document a repaired one. Where the
    // repair fails too, qpdf's reading with its lost objects marked stands.
    VCOS_Rebuilt rebuilt;
    try {
        rebuilt = VCOS_Repairer::Rebuild(bytes);
    } catch (const VCOS_Error& error) {
        if (first != 0)
            return firstGuard.Release();
        if (noCatalog)
            throw *noCatalog;
        if (error.Kind() == VCOS_ErrorKind::PasswordNeeded)
            Fail(VCOS_ErrorKind::PasswordNeeded, name + " is encrypted and needs a password to open");
        Fail(VCOS_ErrorKind::ReadFailed,
             "cannot read " + name + ": " + refusal + "; no repair found a document in it: " + error.what());
    }
    std::vector<std::string> warnings{name + ": damaged file rebuilt in memory (" + refusal + ")"};
    for (const std::string& warning : rebuilt.m_warnings)
        warnings.push_back(name + ": " + warning);
    std::string second;
    if (const VCOS_DocId doc = ReadOnce(store, rebuilt.m_bytes, name, header, warnings, &second, nullptr)) {
        if (first == 0 || RecoversALostObject(store, first, doc))
            return doc;
        store.CloseDoc(doc);
        return firstGuard.Release();
    }
    if (first != 0)
        return firstGuard.Release();
    if (noCatalog)
        throw *noCatalog;
    Fail(VCOS_ErrorKind::ReadFailed, "cannot read " + name + ": " + refusal + "; nor its repaired copy: " + second);
}
