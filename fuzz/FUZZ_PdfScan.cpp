#include "FUZZ_PdfScan.h"

#include "GLIB/GLIB_Exception.h"
#include "GLIB/GLIB_New.h"
#include "GLOB/GLOB_Doc.h"
#include "GLOB/GLOB_Filter.h"
#include "GLOB/GLOB_ObjectFactory.h"
#include "GLOB/GLOB_StreamLexer.h"
#include "GLOB/GLOB_StringStream.h"
#include "support/FilterDriver.h"

#include <memory>

namespace {

using Lexer = GLOB_StreamLexer;

const std::string EndStream = "endstream";
const std::string EndObj = "endobj";

bool StartsWith(const std::string& text, const std::string& prefix) {
    return text.compare(0, prefix.size(), prefix) == 0;
}

bool IsWhite(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\0'; }

// "stream" ends its line with CR LF or LF (ISO 32000-1, 7.3.8.1); writers
// that end it with a lone CR exist too.
size_t DataStart(const std::string& file, size_t p) {
    if (p < file.size() && file[p] == '\r')
        ++p;
    if (p < file.size() && file[p] == '\n')
        ++p;
    return p;
}

// Where the data ends and where "endstream" begins (the file's end when it
// is missing). A direct /Length is trusted when "endstream" follows it;
// otherwise the data runs to the next "endstream", less one end of line.
std::pair<size_t, size_t> DataEnd(const std::string& file, size_t start, const GLOB_Object& dict) {
    if (dict.IsDict()) {
        const GLOB_Object length = dict.DictGet(GLOB_Name("Length"));
        if (length.IsInteger() && length.AsInteger() >= 0 &&
            static_cast<size_t>(length.AsInteger()) <= file.size() - start) {
            const size_t end = start + static_cast<size_t>(length.AsInteger());
            size_t p = end;
            while (p < file.size() && IsWhite(file[p]))
                ++p;
            if (file.compare(p, EndStream.size(), EndStream) == 0)
                return {end, p};
        }
    }
    const size_t found = file.find(EndStream, start);
    const size_t keyword = found == std::string::npos ? file.size() : found;
    size_t end = keyword;
    if (end > start && file[end - 1] == '\n')
        --end;
    if (end > start && file[end - 1] == '\r')
        --end;
    return {end, keyword};
}

}  // namespace

std::vector<FUZZ_PdfObject> FUZZ_PdfScan::Objects(const std::string& file) {
    std::vector<FUZZ_PdfObject> objects;
    for (size_t offset = 0; offset < file.size();)
        offset = ScanFrom(file, offset, objects);
    return objects;
}

size_t FUZZ_PdfScan::ScanFrom(const std::string& file, size_t offset, std::vector<FUZZ_PdfObject>& objects) {
    Lexer lexer(GLOB_Stream(GLIB_NEW GLOB_StringStream(file.substr(offset))));
    int32_t numbers[2] = {0, 0};
    int integers = 0;  // integers right before the current token, up to two
    bool inObject = false;
    int32_t number = 0;
    size_t bodyStart = 0;
    for (;;) {
        const Lexer::Token token = lexer.NextToken();
        const size_t at = offset + lexer.TokenOffset();
        if (token == Lexer::TokenEndOfData)
            return file.size();
        if (token == Lexer::TokenError)
            return at + 1;
        if (token == Lexer::TokenComment)
            continue;
        if (token == Lexer::TokenInteger) {
            numbers[0] = numbers[1];
            numbers[1] = lexer.IntegerValue();
            integers = integers < 2 ? integers + 1 : 2;
            continue;
        }
        const int before = integers;
        integers = 0;
        if (token != Lexer::TokenSymbol)
            continue;
        const std::string word = lexer.SymbolValue();
        if (word == "obj" && before == 2) {
            inObject = true;
            number = numbers[0];
            bodyStart = at + word.size();
        } else if (StartsWith(word, EndObj)) {
            if (inObject)
                objects.push_back(Parsed(number, file.substr(bodyStart, at - bodyStart)));
            inObject = false;
            // "endobj12 0 obj": the lexer reads one word.
            if (word.size() > EndObj.size())
                return at + EndObj.size();
        } else if (word == "stream" && inObject) {
            FUZZ_PdfObject stream = Parsed(number, file.substr(bodyStart, at - bodyStart));
            stream.isStream = true;
            const size_t start = DataStart(file, at + word.size());
            const std::pair<size_t, size_t> end = DataEnd(file, start, stream.object);
            stream.data = file.substr(start, end.first - start);
            objects.push_back(stream);
            if (stream.object.IsDict() && stream.object.AsDict().HasType("ObjStm"))
                AddContained(stream, objects);
            return std::min(file.size(), end.second + EndStream.size());
        }
    }
}

FUZZ_PdfObject FUZZ_PdfScan::Parsed(int32_t number, const std::string& text) {
    FUZZ_PdfObject parsed;
    parsed.number = number;
    parsed.text = WithoutReferences(text);
    parsed.rawText = text;
    try {
        parsed.object = GLOB_ObjectFactory::MemoryDoc().ParseObject(parsed.text);
    } catch (const GLIB_Exception&) {
        parsed.object = GLOB_ObjectFactory::NewNull();
    }
    return parsed;
}

std::string FUZZ_PdfScan::WithoutReferences(const std::string& text) {
    return ReplaceReferences(text, [](int32_t) { return std::string("null"); });
}

std::string FUZZ_PdfScan::ReplaceReferences(const std::string& text,
                                            const std::function<std::string(int32_t)>& written) {
    Lexer lexer(GLOB_Stream(GLIB_NEW GLOB_StringStream(text)));
    std::string out;
    size_t copied = 0;
    size_t integerStarts[2] = {0, 0};
    int32_t numbers[2] = {0, 0};
    int integers = 0;
    for (;;) {
        const Lexer::Token token = lexer.NextToken();
        if (token == Lexer::TokenEndOfData || token == Lexer::TokenError)
            break;
        const size_t at = lexer.TokenOffset();
        if (token == Lexer::TokenInteger) {
            integerStarts[0] = integerStarts[1];
            integerStarts[1] = at;
            numbers[0] = numbers[1];
            numbers[1] = lexer.IntegerValue();
            integers = integers < 2 ? integers + 1 : 2;
            continue;
        }
        if (token == Lexer::TokenSymbol && integers == 2 && std::string(lexer.SymbolValue()) == "R") {
            out.append(text, copied, integerStarts[0] - copied).append(written(numbers[0]));
            copied = at + 1;
        }
        if (token != Lexer::TokenComment)
            integers = 0;
    }
    return out.append(text, copied, std::string::npos);
}

std::string FUZZ_PdfScan::Decoded(const FUZZ_PdfObject& stream) {
    const GLOB_Object filter = stream.object.IsDict() ? stream.object.DictGet(GLOB_Name("Filter")) : GLOB_Object();
    if (filter.IsNull())
        return stream.data;
    std::unique_ptr<FILT_Filter> chain(GLOB_Filter::MakeFilterChain(
        filter, stream.object.DictGet(GLOB_Name("DecodeParms")), GLOB_Filter::Decoding));
    return chain ? RunFilter(*chain, stream.data, {{0}, {0}}, MaxDecoded) : stream.data;
}

void FUZZ_PdfScan::AddContained(const FUZZ_PdfObject& objectStream, std::vector<FUZZ_PdfObject>& objects) {
    std::string decoded;
    int32_t count = 0, first = 0;
    try {
        decoded = Decoded(objectStream);
        count = objectStream.object.AsDict().IntegerValue("N");
        first = objectStream.object.AsDict().IntegerValue("First");
    } catch (const GLIB_Exception&) {
        return;
    } catch (const FilterContractError&) {
        return;
    }
    if (count <= 0 || first < 0 || static_cast<size_t>(first) > decoded.size())
        return;
    // The header: count pairs of object number and offset from First.
    Lexer lexer(GLOB_Stream(GLIB_NEW GLOB_StringStream(decoded.substr(0, first))));
    std::vector<int32_t> header;
    while (header.size() < 2 * static_cast<size_t>(count) && lexer.NextToken() == Lexer::TokenInteger)
        header.push_back(lexer.IntegerValue());
    const size_t found = header.size() / 2;
    for (size_t i = 0; i < found; ++i) {
        const size_t begin = static_cast<size_t>(first) + static_cast<uint32_t>(header[2 * i + 1]);
        const size_t end = i + 1 < found ? static_cast<size_t>(first) + static_cast<uint32_t>(header[2 * i + 3])
                                         : decoded.size();
        if (begin <= end && end <= decoded.size())
            objects.push_back(Parsed(header[2 * i], decoded.substr(begin, end - begin)));
    }
}
