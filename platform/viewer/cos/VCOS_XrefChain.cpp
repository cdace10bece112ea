#include "viewer/cos/VCOS_XrefChain.h"

#include <cstdint>
#include <memory>
#include <new>
#include <set>
#include <stdexcept>

#include <qpdf/Buffer.hh>
#include <qpdf/BufferInputSource.hh>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFObjectHandle.hh>
#include <qpdf/QPDFTokenizer.hh>

namespace {

// Any section that does not read as a reader reads it stops the walk.
struct Broken : std::runtime_error {
    Broken() : std::runtime_error("the cross-reference chain cannot be followed") {}
};

class Walker {
public:
    explicit Walker(const std::string& bytes)
        : m_bytes(bytes),
          m_input(std::make_shared<BufferInputSource>(
              "", new Buffer(reinterpret_cast<unsigned char*>(const_cast<char*>(bytes.data())), bytes.size()),
              /*own_memory=*/true)) {
        m_scratch.setSuppressWarnings(true);
        m_scratch.emptyPDF();
    }

    std::map<int, int> Walk() {
        const size_t startxref = m_bytes.rfind("startxref");
        if (startxref == std::string::npos)
            throw Broken();
        m_input->seek(static_cast<qpdf_offset_t>(startxref + 9), SEEK_SET);
        for (long long offset = Integer(); offset != 0;) {
            if (!m_visited.insert(offset).second)
                throw Broken();
            offset = Section(offset);
        }
        return std::move(m_newest);
    }

private:
    // Reads the section at offset; the /Prev it names, 0 for none.
    long long Section(long long offset) {
        Seek(offset);
        const qpdf_offset_t start = m_input->tell();
        if (m_tokenizer.readToken(m_input, "").isWord("xref"))
            return Table();
        m_input->seek(start, SEEK_SET);
        return Prev(Stream());
    }

    long long Table() {
        for (;;) {
            const QPDFTokenizer::Token token = m_tokenizer.readToken(m_input, "");
            if (token.isWord("trailer"))
                break;
            if (!token.isInteger())
                throw Broken();
            const long long first = Value(token);
            const long long count = Integer();
            for (long long i = 0; i < count; ++i) {
                Integer();  // the offset
                const long long generation = Integer();
                const QPDFTokenizer::Token kind = m_tokenizer.readToken(m_input, "");
                if (!kind.isWord("n") && !kind.isWord("f"))
                    throw Broken();
                Note(first + i, kind.isWord("n") ? generation : -1);
            }
        }
        QPDFObjectHandle trailer = Object();
        // A hybrid file's stream belongs to the table's own section.
        QPDFObjectHandle stream = trailer.getKey("/XRefStm");
        if (stream.isInteger()) {
            Seek(stream.getIntValue());
            Stream();
        }
        return Prev(trailer);
    }

    // Reads the cross-reference stream at the input; its dictionary.
    QPDFObjectHandle Stream() {
        Integer();
        Integer();
        if (!m_tokenizer.readToken(m_input, "").isWord("obj"))
            throw Broken();
        QPDFObjectHandle dict = Object();
        QPDFObjectHandle length = dict.getKey("/Length");
        if (!m_tokenizer.readToken(m_input, "").isWord("stream") || !length.isInteger())
            throw Broken();
        size_t at = static_cast<size_t>(m_input->tell());
        if (at < m_bytes.size() && m_bytes[at] == '\r')
            ++at;
        if (at < m_bytes.size() && m_bytes[at] == '\n')
            ++at;
        const long long size = length.getIntValue();
        if (size < 0 || static_cast<uint64_t>(size) > m_bytes.size() - at)
            throw Broken();
        QPDFObjectHandle stream = QPDFObjectHandle::newStream(&m_scratch, m_bytes.substr(at, static_cast<size_t>(size)));
        stream.getDict().replaceKey("/Filter", dict.getKey("/Filter"));
        stream.getDict().replaceKey("/DecodeParms", dict.getKey("/DecodeParms"));
        std::shared_ptr<Buffer> data = stream.getStreamData();
        Rows(dict, std::string(reinterpret_cast<const char*>(data->getBuffer()), data->getSize()));
        return dict;
    }

    void Rows(QPDFObjectHandle dict, const std::string& data) {
        QPDFObjectHandle widths = dict.getKey("/W");
        int width[3] = {0, 0, 0};
        size_t row = 0;
        for (int i = 0; i < 3; ++i) {
            if (!widths.isArray() || !widths.getArrayItem(i).isInteger())
                throw Broken();
            const long long value = widths.getArrayItem(i).getIntValue();
            if (value < 0 || value > 8)
                throw Broken();
            width[i] = static_cast<int>(value);
            row += static_cast<size_t>(value);
        }
        QPDFObjectHandle index = dict.getKey("/Index");
        if (!index.isArray()) {
            index = QPDFObjectHandle::newArray();
            index.appendItem(QPDFObjectHandle::newInteger(0));
            index.appendItem(dict.getKey("/Size"));
        }
        size_t at = 0;
        for (int pair = 0; pair + 1 < index.getArrayNItems(); pair += 2) {
            if (!index.getArrayItem(pair).isInteger() || !index.getArrayItem(pair + 1).isInteger())
                throw Broken();
            const long long first = index.getArrayItem(pair).getIntValue();
            const long long count = index.getArrayItem(pair + 1).getIntValue();
            for (long long i = 0; i < count; ++i, at += row) {
                if (row == 0 || data.size() - at < row)
                    throw Broken();
                uint64_t field[3] = {width[0] == 0 ? 1u : 0u, 0, 0};
                size_t byte = at;
                for (int f = 0; f < 3; ++f)
                    for (int b = 0; b < width[f]; ++b)
                        field[f] = field[f] << 8 | static_cast<unsigned char>(data[byte++]);
                // Other types name nothing a reader knows.
                if (field[0] <= 2)
                    Note(first + i, field[0] == 0 ? -1 : field[0] == 2 ? 0 : static_cast<long long>(field[2]));
            }
        }
    }

    // The newest section's word stands: older ones are read later.
    void Note(long long number, long long generation) {
        if (number < 0 || number > INT32_MAX || generation > 65535)
            throw Broken();
        m_newest.emplace(static_cast<int>(number), static_cast<int>(generation));
    }

    long long Prev(QPDFObjectHandle dict) {
        QPDFObjectHandle prev = dict.getKey("/Prev");
        if (prev.isNull())
            return 0;
        if (!prev.isInteger() || prev.getIntValue() == 0)
            throw Broken();
        return prev.getIntValue();
    }

    void Seek(long long offset) {
        if (offset <= 0 || static_cast<uint64_t>(offset) >= m_bytes.size())
            throw Broken();
        m_input->seek(offset, SEEK_SET);
    }

    long long Integer() {
        const QPDFTokenizer::Token token = m_tokenizer.readToken(m_input, "");
        if (!token.isInteger())
            throw Broken();
        return Value(token);
    }

    static long long Value(const QPDFTokenizer::Token& token) {
        const std::string& digits = token.getValue();
        if (digits.empty() || digits.size() > 12 || digits[0] == '-')
            throw Broken();
        return std::stoll(digits);
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
    std::shared_ptr<InputSource> m_input;
    QPDFTokenizer m_tokenizer;
    QPDF m_scratch;
    std::set<long long> m_visited;
    std::map<int, int> m_newest;
};

}  // namespace

std::optional<std::map<int, int>> VCOS_XrefChain::NewestGenerations(const std::string& bytes) {
    try {
        return Walker(bytes).Walk();
    } catch (const std::bad_alloc&) {
        throw;
    } catch (const std::exception&) {
        return std::nullopt;
    }
}
