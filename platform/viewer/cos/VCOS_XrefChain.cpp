#include "viewer/cos/VCOS_XrefChain.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <memory>
#include <new>
#include <optional>
#include <stdexcept>
#include <utility>
#include <vector>

#include <qpdf/Buffer.hh>
#include <qpdf/Pipeline.hh>
#include <qpdf/BufferInputSource.hh>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFObjectHandle.hh>
#include <qpdf/QPDFTokenizer.hh>
#include <qpdf/QUtil.hh>

namespace {

// Any section that does not read as a reader reads it stops the walk.
struct Broken : std::runtime_error {
    Broken() : std::runtime_error("the cross-reference chain cannot be followed") {}
};

// A stream section whose predictor rows its data could not decode to.
struct Oversized : Broken {};

uint64_t Times(uint64_t a, uint64_t b) { return b != 0 && a > UINT64_MAX / b ? UINT64_MAX : a * b; }

// The filters qpdf decodes in a cross-reference stream, each with the most
// bytes it gives for one byte of its input: Flate's longest match, 258
// bytes, takes at least 2 bits; an LZW code of at least 9 bits stands for
// at most 4,096 bytes; a run of 128 takes 2 bytes; "z" stands for 4 zeros.
// /Crypt passes its bytes on: such a stream is never encrypted. qpdf
// decodes no stream that names any other filter, nor sets up its rows.
std::optional<uint64_t> Expansion(QPDFObjectHandle filter) {
    const std::string name = filter.isName() ? filter.getName() : "";
    if (name == "/FlateDecode" || name == "/Fl")
        return 1032;
    if (name == "/LZWDecode" || name == "/LZW")
        return 4096;
    if (name == "/RunLengthDecode" || name == "/RL")
        return 64;
    if (name == "/ASCII85Decode" || name == "/A85")
        return 4;
    if (name == "/ASCIIHexDecode" || name == "/AHx" || name == "/Crypt")
        return 1;
    return std::nullopt;
}

// A stream's filters, first applied first.
std::vector<QPDFObjectHandle> Filters(QPDFObjectHandle dict) {
    QPDFObjectHandle filters = dict.getKey("/Filter");
    if (filters.isArray())
        return filters.getArrayAsVector();
    if (filters.isNull())
        return {};
    return {filters};
}

// Whether qpdf decodes each of the stream's filters.
bool Decodable(QPDFObjectHandle dict) {
    for (QPDFObjectHandle filter : Filters(dict))
        if (!Expansion(filter))
            return false;
    return true;
}

// A predictor's row before and after it: {0, 0} for none, and for values
// qpdf refuses before it sets up a row.
std::pair<uint64_t, uint64_t> PredictorRow(QPDFObjectHandle parms) {
    if (!parms.isDictionary() || !parms.getKey("/Predictor").isInteger() ||
        parms.getKey("/Predictor").getIntValue() < 2)
        return {0, 0};
    uint64_t bits = 1;
    for (const auto& [key, otherwise] : {std::pair<const char*, long long>("/Columns", 1), {"/Colors", 1},
                                         {"/BitsPerComponent", 8}}) {
        QPDFObjectHandle value = parms.getKey(key);
        if (!value.isNull() && (!value.isInteger() || value.getIntValue() < 0))
            return {0, 0};
        bits = Times(bits, static_cast<uint64_t>(value.isNull() ? otherwise : value.getIntValue()));
    }
    const uint64_t out = bits / 8 + (bits % 8 != 0);
    // A PNG row starts with its predictor's byte.
    return {parms.getKey("/Predictor").getIntValue() == 2 ? out : out + 1, out};
}

// Throws Oversized where a predictor's rows need more than its filter can
// decode from length bytes: the last filter's, one row for each row of
// entries (entryBytes in all), or one; any other's, one.
void CheckRows(QPDFObjectHandle dict, uint64_t length, uint64_t entryBytes) {
    if (!Decodable(dict))
        return;
    const std::vector<QPDFObjectHandle> filters = Filters(dict);
    QPDFObjectHandle parms = dict.getKey("/DecodeParms");
    const size_t count = filters.size();
    uint64_t most = length;
    for (size_t i = 0; i < count; ++i) {
        most = Times(most, *Expansion(filters[i]));
        const auto [in, out] = PredictorRow(parms.isArray() ? parms.getArrayItem(static_cast<int>(i)) : parms);
        if (in == 0)
            continue;
        const uint64_t rows =
            i + 1 < count || out == 0 ? 1 : std::max<uint64_t>(1, entryBytes / out + (entryBytes % out != 0));
        if (Times(in, rows) > most)
            throw Oversized();
    }
}

}  // namespace

size_t VCOS_XrefChain::HeaderOffset(const std::string& bytes) {
    const std::string head = bytes.substr(0, 1024 + 8);
    for (size_t at = head.find("%PDF-"); at != std::string::npos && at < 1024; at = head.find("%PDF-", at + 1)) {
        size_t p = at + 5;
        const auto digits = [&] {
            const size_t first = p;
            while (p < head.size() && head[p] >= '0' && head[p] <= '9')
                ++p;
            return p > first;
        };
        if (digits() && p < head.size() && head[p++] == '.' && digits())
            return at;
    }
    return 0;
}

namespace {

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\0'; }

// A stream section's rows as qpdf decodes them, of which only those of the
// numbers asked for are read, so that neither what the walk holds nor its
// work per byte grows with the rows a stream holds or promises.
class RowSink : public Pipeline {
public:
    using Noter = std::function<void(long long number, long long generation)>;

    // pairs: /Index's, first number and count.
    RowSink(const int (&width)[3], std::vector<std::pair<long long, long long>> pairs, const std::set<int>& numbers,
            Noter note)
        : Pipeline("xref rows", nullptr), m_pairs(std::move(pairs)), m_numbers(numbers), m_note(std::move(note)) {
        for (int f = 0; f < 3; ++f) {
            m_width[f] = width[f];
            m_size += static_cast<uint64_t>(width[f]);
        }
        for (const auto& pair : m_pairs)
            m_promised += static_cast<uint64_t>(pair.second);
        m_number = m_pairs.empty() ? m_numbers.end() : m_numbers.lower_bound(static_cast<int>(m_pairs[0].first));
    }

    // The rows of interest are found pair by pair as the data reach them,
    // so that overlapping pairs cost no more than the rows the data hold.
    void write(unsigned char const* data, size_t len) override {
        const uint64_t end = m_at + len;
        while (m_pair < m_pairs.size()) {
            const auto [first, count] = m_pairs[m_pair];
            if (m_number == m_numbers.end() || *m_number >= first + count) {
                m_first += static_cast<uint64_t>(count);
                if (++m_pair < m_pairs.size())
                    m_number = m_numbers.lower_bound(static_cast<int>(m_pairs[m_pair].first));
                continue;
            }
            const uint64_t start = (m_first + static_cast<uint64_t>(*m_number - first)) * m_size;
            const uint64_t from = std::max(start, m_at);
            const uint64_t to = std::min(start + m_size, end);
            if (from >= end)
                break;
            std::copy(data + (from - m_at), data + (to - m_at), m_row + (from - start));
            if (to < start + m_size)
                break;  // the row goes on in the next piece
            Row(*m_number++);
        }
        m_at = end;
    }
    void finish() override {}

    // Whether the data hold every row the pairs promise, each one read.
    bool Whole() const { return !m_broken && m_at / m_size >= m_promised; }

private:
    void Row(long long number) {
        uint64_t field[3] = {m_width[0] == 0 ? 1u : 0u, 0, 0};
        size_t byte = 0;
        for (int f = 0; f < 3; ++f)
            for (int b = 0; b < m_width[f]; ++b)
                field[f] = field[f] << 8 | m_row[byte++];
        // qpdf catches what its pipeline throws; the walk hears it after.
        try {
            // Other types name nothing a reader knows.
            if (field[0] <= 2)
                m_note(number, field[0] == 0 ? -1 : field[0] == 2 ? 0 : static_cast<long long>(field[2]));
        } catch (const Broken&) {
            m_broken = true;
        }
    }

    int m_width[3] = {0, 0, 0};
    uint64_t m_size = 0;  // of a row
    std::vector<std::pair<long long, long long>> m_pairs;
    uint64_t m_promised = 0;  // rows
    const std::set<int>& m_numbers;
    Noter m_note;
    size_t m_pair = 0;                      // the pair the data are in
    uint64_t m_first = 0;                   // its first row
    std::set<int>::const_iterator m_number;  // its next number asked for
    unsigned char m_row[24] = {};
    uint64_t m_at = 0;  // bytes gone by
    bool m_broken = false;
};

class Walker {
public:
    // decode: false to only check each stream section's rows against its
    // data, decoding nothing.
    Walker(const std::string& bytes, const std::set<int>& numbers, bool decode)
        : m_bytes(bytes),
          m_numbers(numbers),
          m_decode(decode),
          m_base(VCOS_XrefChain::HeaderOffset(bytes)),
          m_input(std::make_shared<BufferInputSource>(
              "", new Buffer(reinterpret_cast<unsigned char*>(const_cast<char*>(bytes.data())), bytes.size()),
              /*own_memory=*/true)) {
        m_scratch.setSuppressWarnings(true);
        m_scratch.emptyPDF();
    }

    std::map<int, int> Walk() {
        for (long long offset = StartXref(); offset != 0;) {
            if (!m_visited.insert(offset).second)
                throw Broken();
            offset = Section(offset);
        }
        return std::move(m_newest);
    }

private:
    // The offset the last "startxref" of the file's last 1,054 bytes that
    // a number follows names, as qpdf finds it: a damaged last one leaves
    // an earlier one standing. qpdf's search reads a bad token, such as a
    // stray ")", as one that is not a number, and passes over it.
    long long StartXref() {
        const auto [at, token] = LastStartXref();
        (void)at;
        // qpdf reads "+941" as 941, and finds no section at 0 and rebuilds
        // its table.
        const std::string& digits = token.getValue();
        const long long offset = digits[0] == '+' ? Value(digits.substr(1)) : Value(token);
        if (offset == 0)
            throw Broken();
        return offset;
    }

public:
    // Where the startxref qpdf takes stands, and the integer after it, in
    // the file cut at end.
    std::pair<size_t, QPDFTokenizer::Token> LastStartXref(size_t end = std::string::npos) {
        constexpr size_t Tail = 1054;
        end = std::min(end, m_bytes.size());
        const size_t from = end > Tail ? end - Tail : 0;
        for (size_t at = end < 9 ? std::string::npos : m_bytes.rfind("startxref", end - 9);
             at != std::string::npos && at >= from;
             at = at == 0 ? std::string::npos : m_bytes.rfind("startxref", at - 1)) {
            m_input->seek(static_cast<qpdf_offset_t>(at), SEEK_SET);
            if (!m_tokenizer.readToken(m_input, "", /*allow_bad=*/true).isWord("startxref"))
                continue;
            const QPDFTokenizer::Token token = m_tokenizer.readToken(m_input, "", /*allow_bad=*/true);
            if (token.isInteger())
                return {at, token};
        }
        throw Broken();
    }

private:

    // Reads the section at offset; the /Prev it names, 0 for none. As qpdf,
    // white space before either is passed over, and "xref" and white space
    // begin a table, whose first line starts after up to two more.
    long long Section(long long offset) {
        Seek(offset);
        size_t at = static_cast<size_t>(m_input->tell());
        while (at < m_bytes.size() && QUtil::is_space(m_bytes[at]))
            ++at;
        if (m_bytes.compare(at, 4, "xref") == 0 && at + 4 < m_bytes.size() && QUtil::is_space(m_bytes[at + 4])) {
            at += 5;
            if (at < m_bytes.size() && QUtil::is_space(m_bytes[at]))
                ++at;
            m_input->seek(static_cast<qpdf_offset_t>(at), SEEK_SET);
            return Table();
        }
        return Prev(Stream());
    }

    long long Table() {
        // A hybrid table frees what only its stream holds, for readers that
        // know no streams: its free entries count after the stream's.
        std::vector<long long> freed;
        // Only the trailer counts where nothing is decoded.
        const size_t trailerAt = m_decode ? std::string::npos : m_bytes.find("trailer", m_input->tell());
        if (trailerAt != std::string::npos)
            m_input->seek(static_cast<qpdf_offset_t>(trailerAt), SEEK_SET);
        for (bool more = trailerAt == std::string::npos; more;) {
            // Lines read as qpdf reads them: a subsection's first line from
            // its first 50 bytes, each row from its first 30.
            char head[51] = {};
            m_input->read(head, 50);
            long long first = 0;
            long long count = 0;
            const char* p = head;
            if (!Number(&p, &first) || !QUtil::is_space(*p) || !Number(&p, &count))
                throw Broken();
            SkipSpace(&p);
            m_input->seek(m_input->getLastOffset() + (p - head), SEEK_SET);
            for (long long i = 0; i < count; ++i) {
                const char kind = RowKind(m_input->readLine(30), &first, i);
                if (kind == 'f')
                    freed.push_back(first + i);
            }
            const qpdf_offset_t next = m_input->tell();
            more = !m_tokenizer.readToken(m_input, "").isWord("trailer");
            if (more)
                m_input->seek(next, SEEK_SET);
        }
        if (trailerAt != std::string::npos)
            m_tokenizer.readToken(m_input, "");
        QPDFObjectHandle trailer = Object();
        QPDFObjectHandle stream = trailer.getKey("/XRefStm");
        if (stream.isInteger()) {
            Seek(stream.getIntValue());
            Stream();
        }
        for (const long long number : freed)
            Note(number, -1);
        return Prev(trailer);
    }

    // A table row's kind, 'n' or 'f', as qpdf reads the row: offset and
    // generation, white space after each, then the kind's byte; what
    // follows that byte is not looked at. A row in use is noted as entry i
    // of the subsection from *first.
    char RowKind(const std::string& row, const long long* first, long long i) {
        const char* p = row.c_str();
        long long offset = 0;
        long long generation = 0;
        if (!Number(&p, &offset) || !QUtil::is_space(*p) || !Number(&p, &generation) || !QUtil::is_space(*p))
            throw Broken();
        SkipSpace(&p);
        if (*p != 'n' && *p != 'f')
            throw Broken();
        if (*p == 'n')
            Note(*first + i, generation);
        return *p;
    }

    static void SkipSpace(const char** p) {
        while (QUtil::is_space(**p))
            ++*p;
    }

    // The number after the white space at *p, moved past; as Digits.
    static bool Number(const char** p, long long* value) {
        SkipSpace(p);
        return Digits(p, value);
    }

    // The digits at *p, moved past: none, or a value past 12 digits, fail.
    static bool Digits(const char** p, long long* value) {
        const char* start = *p;
        while (QUtil::is_digit(**p))
            ++*p;
        if (*p == start)
            return false;
        *value = Value(std::string(start, *p));
        return true;
    }

    // Reads the cross-reference stream at the input; its dictionary.
    QPDFObjectHandle Stream() {
        Integer();
        Integer();
        if (!m_tokenizer.readToken(m_input, "").isWord("obj"))
            throw Broken();
        QPDFObjectHandle dict = Object();
        QPDFObjectHandle type = dict.getKey("/Type");
        if (!m_tokenizer.readToken(m_input, "").isWord("stream") || !type.isName() || type.getName() != "/XRef")
            throw Broken();
        size_t at = static_cast<size_t>(m_input->tell());
        if (at < m_bytes.size() && m_bytes[at] == '\r')
            ++at;
        if (at < m_bytes.size() && m_bytes[at] == '\n')
            ++at;
        Rows(dict, at, Length(dict.getKey("/Length"), at));
        return dict;
    }

    // The stream data's length at at: /Length where endstream follows it,
    // else up to the next endstream, as qpdf recovers it.
    size_t Length(QPDFObjectHandle length, size_t at) {
        if (length.isInteger() && length.getIntValue() >= 0 &&
            static_cast<uint64_t>(length.getIntValue()) <= m_bytes.size() - at) {
            size_t end = at + static_cast<size_t>(length.getIntValue());
            while (end < m_bytes.size() && IsSpace(m_bytes[end]))
                ++end;
            if (m_bytes.compare(end, 9, "endstream") == 0)
                return static_cast<size_t>(length.getIntValue());
        }
        // Each section looks for its endstream in one list of them, so that
        // many damaged sections cost no more than one pass over the file.
        if (m_endstreams.empty()) {
            for (size_t found = m_bytes.find("endstream"); found != std::string::npos;
                 found = m_bytes.find("endstream", found + 1))
                m_endstreams.push_back(found);
            m_endstreams.push_back(std::string::npos);
        }
        const size_t end = *std::lower_bound(m_endstreams.begin(), m_endstreams.end(), at);
        if (end == std::string::npos)
            throw Broken();
        return end - at;
    }

    // The rows of the stream whose data are length bytes at at.
    void Rows(QPDFObjectHandle dict, size_t at, size_t length) {
        QPDFObjectHandle widths = dict.getKey("/W");
        int width[3] = {0, 0, 0};
        for (int i = 0; i < 3; ++i) {
            if (!widths.isArray() || !widths.getArrayItem(i).isInteger())
                throw Broken();
            const long long value = widths.getArrayItem(i).getIntValue();
            if (value < 0 || value > 8)
                throw Broken();
            width[i] = static_cast<int>(value);
        }
        if (width[0] + width[1] + width[2] == 0)
            throw Broken();
        QPDFObjectHandle index = dict.getKey("/Index");
        if (!index.isArray()) {
            index = QPDFObjectHandle::newArray();
            index.appendItem(QPDFObjectHandle::newInteger(0));
            index.appendItem(dict.getKey("/Size"));
        }
        if (index.getArrayNItems() % 2 != 0)
            throw Broken();
        std::vector<std::pair<long long, long long>> pairs;
        for (int pair = 0; pair + 1 < index.getArrayNItems(); pair += 2) {
            if (!index.getArrayItem(pair).isInteger() || !index.getArrayItem(pair + 1).isInteger())
                throw Broken();
            const long long first = index.getArrayItem(pair).getIntValue();
            const long long count = index.getArrayItem(pair + 1).getIntValue();
            if (first < 0 || count < 0 || first > INT32_MAX || count > INT32_MAX)
                throw Broken();
            pairs.emplace_back(first, count);
        }
        uint64_t promised = 0;
        for (const auto& pair : pairs)
            promised += static_cast<uint64_t>(pair.second);
        CheckRows(dict, length, Times(promised, static_cast<uint64_t>(width[0] + width[1] + width[2])));
        if (!m_decode)
            return;
        QPDFObjectHandle stream = QPDFObjectHandle::newStream(&m_scratch, m_bytes.substr(at, length));
        stream.getDict().replaceKey("/Filter", dict.getKey("/Filter"));
        stream.getDict().replaceKey("/DecodeParms", dict.getKey("/DecodeParms"));
        // A stream holding fewer rows than its /Index promises is refused
        // whole, as qpdf refuses it, once its rows have gone by.
        RowSink rows(width, std::move(pairs), m_numbers,
                     [this](long long number, long long generation) { Note(number, generation); });
        // qpdf reads these streams decoded to this level, RunLength's too.
        if (!Decodable(dict) || !stream.pipeStreamData(&rows, 0, qpdf_dl_specialized, /*suppress_warnings=*/true) ||
            !rows.Whole())
            throw Broken();
    }

    // The newest section's word stands: older ones are read later. Only
    // the numbers asked for are kept.
    void Note(long long number, long long generation) {
        if (number < 0 || number > INT32_MAX || generation > 65535)
            throw Broken();
        if (m_numbers.count(static_cast<int>(number)) != 0)
            m_newest.emplace(static_cast<int>(number), static_cast<int>(generation));
    }

    // A trailer's /Prev; 0, as none, ends the chain.
    long long Prev(QPDFObjectHandle dict) {
        QPDFObjectHandle prev = dict.getKey("/Prev");
        if (prev.isNull())
            return 0;
        if (!prev.isInteger() || prev.getIntValue() < 0)
            throw Broken();
        return prev.getIntValue();
    }

    void Seek(long long offset) {
        if (offset <= 0 || static_cast<uint64_t>(offset) >= m_bytes.size() - m_base)
            throw Broken();
        m_input->seek(static_cast<qpdf_offset_t>(m_base) + offset, SEEK_SET);
    }

    long long Integer() {
        const QPDFTokenizer::Token token = m_tokenizer.readToken(m_input, "");
        if (!token.isInteger())
            throw Broken();
        return Value(token);
    }

    static long long Value(const QPDFTokenizer::Token& token) {
        if (token.getValue().empty() || token.getValue()[0] == '-')
            throw Broken();
        return Value(token.getValue());
    }

    // Leading zeros, which qpdf reads past, count for nothing.
    static long long Value(const std::string& digits) {
        const size_t first = std::min(digits.find_first_not_of('0'), digits.size());
        if (digits.size() - first > 12 || digits.find_first_not_of("0123456789", first) != std::string::npos)
            throw Broken();
        return first == digits.size() ? 0 : std::stoll(digits.substr(first));
    }

    // A dictionary at the input; references in it read as null.
    QPDFObjectHandle Object() {
        bool empty = false;
        QPDFObjectHandle object = QPDFObjectHandle::parse(m_input, "", m_tokenizer, empty, nullptr, &m_scratch);
        if (!object.isDictionary())
            throw Broken();
        return object;
    }

    const std::string& m_bytes;
    const std::set<int>& m_numbers;
    const bool m_decode;
    const size_t m_base;  // where the header stands, from which offsets count
    std::shared_ptr<InputSource> m_input;
    QPDFTokenizer m_tokenizer;
    QPDF m_scratch;
    std::set<long long> m_visited;
    std::vector<size_t> m_endstreams;  // every endstream's place, then npos, once one is looked for
    std::map<int, int> m_newest;
};

}  // namespace

std::optional<std::map<int, int>> VCOS_XrefChain::NewestGenerations(const std::string& bytes,
                                                                    const std::set<int>& numbers) {
    try {
        return Walker(bytes, numbers, /*decode=*/true).Walk();
    } catch (const std::bad_alloc&) {
        throw;
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

size_t VCOS_XrefChain::ReadableEnd(const std::string& bytes) {
    const std::set<int> none;
    Walker walker(bytes, none, /*decode=*/false);
    size_t end = bytes.size();
    try {
        for (;;) {
            const auto [at, token] = walker.LastStartXref(end);
            errno = 0;
            std::strtoll(token.getValue().c_str(), nullptr, 10);
            if (errno != ERANGE)
                return end;
            end = at;
        }
    } catch (const std::bad_alloc&) {
        throw;
    } catch (const std::exception&) {
        return end;
    }
}

bool VCOS_XrefChain::RowsOutgrowTheirData(const std::string& bytes) {
    const std::set<int> none;
    try {
        Walker(bytes, none, /*decode=*/false).Walk();
    } catch (const Oversized&) {
        return true;
    } catch (const std::bad_alloc&) {
        throw;
    } catch (const std::exception&) {
    }
    return false;
}
