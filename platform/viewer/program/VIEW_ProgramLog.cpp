#include "viewer/program/VIEW_ProgramLog.h"

#include "COMN_LossRecord.h"
#include "viewer/program/VIEW_ProgramText.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <map>
#include <utility>
#include <vector>

namespace {

// The plug-in cuts a line after 509 characters and the one that ended it.
constexpr size_t CutWidth = 510;
// "%-8.8s %-35.35s line %3d: ": the word, the file, then " line ".
constexpr size_t LineWordAt = 44;
// The handler formats a record into 512 bytes: one of 511 characters lost
// its line end, and what is left of it after its last line end leads the
// next record's line.
constexpr size_t RecordBytes = 511;
// The host wraps the text of an error code it raises.
const char HostLead[] = "PDF Library Error:";

std::string Trimmed(const std::string& text, char blank = ' ') {
    const size_t end = text.find_last_not_of(blank);
    return end == std::string::npos ? std::string() : text.substr(0, end + 1);
}

}  // namespace

VIEW_LogRecord VIEW_ParseLogLine(const std::string& line) {
    VIEW_LogRecord record;
    if (line.size() < LineWordAt + 6 || line.compare(LineWordAt, 6, " line ") != 0)
        return record;
    const std::string word = Trimmed(line.substr(0, 8));
    size_t at = LineWordAt + 6;
    while (at < line.size() && line[at] == ' ')
        ++at;
    const size_t digits = at;
    while (at < line.size() && (std::isdigit(static_cast<unsigned char>(line[at])) || line[at] == '-'))
        ++at;
    if (at == digits || line.compare(at, 2, ": ") != 0)
        return record;
    if (word == "Error")
        record.m_level = VIEW_LogRecord::Error;
    else if (word == "Warning")
        record.m_level = VIEW_LogRecord::Warning;
    else if (word == "Trace" || word == "Debug" || word == "Info")
        record.m_level = VIEW_LogRecord::Other;
    else
        return record;
    record.m_message = line.substr(at + 2);
    return record;
}

std::string VIEW_WithoutUnitName(const std::string& message) {
    // "CSEP_DeviceCMYKConverter: text": a source unit's name says nothing
    // to a user.
    const size_t colon = message.find(": ");
    const size_t underscore = message.find('_');
    if (underscore == std::string::npos || underscore == 0)
        return message;
    const size_t space = message.find(' ');
    if (colon != std::string::npos && underscore < colon && (space == std::string::npos || space > colon)) {
        // "GLOB_Impl::Copy: text": a function's name is no more a reason.
        for (size_t i = 0; i < colon; ++i)
            if (!std::isalnum(static_cast<unsigned char>(message[i])) && message[i] != '_' && message[i] != ':')
                return message;
        return message.substr(colon + 2);
    }
    // "FILT_FlateDecode encountered ...": the subject keeps its own name.
    if (space == std::string::npos || underscore > space)
        return message;
    for (size_t i = 0; i < underscore; ++i)
        if (!std::isupper(static_cast<unsigned char>(message[i])))
            return message;
    for (size_t i = underscore + 1; i < space; ++i)
        if (!std::isalnum(static_cast<unsigned char>(message[i])))
            return message;
    return message.substr(underscore + 1);
}

namespace {

// One line: messages joined from parts keep their parts' line ends and
// trailing spaces.
std::string OneLine(const std::string& text) {
    std::string line;
    for (const char c : text) {
        const bool blank = c == ' ' || c == '\t' || c == '\n' || c == '\r';
        if (blank && (line.empty() || line.back() == ' '))
            continue;
        line += blank ? ' ' : c;
    }
    if (!line.empty() && line.back() == ' ')
        line.pop_back();
    return line;
}

std::string TrimmedBothEnds(const std::string& text) {
    const size_t first = text.find_first_not_of(' ');
    return first == std::string::npos ? std::string() : Trimmed(text.substr(first));
}

bool IsHostWrapped(const std::string& text) { return text.compare(0, sizeof HostLead - 1, HostLead) == 0; }

// "PDF Library Error: TEXT (CODE)" as TEXT, also after a construct's
// "image /Im0: ": the code is the host's number, not a reason.
std::string WithoutHostWrapping(const std::string& text) {
    size_t at = 0;
    while (at < text.size() && !IsHostWrapped(text.substr(at))) {
        at = text.find(": ", at);
        at = at == std::string::npos ? text.size() : at + 2;
    }
    if (at >= text.size())
        return text;
    std::string rest = Trimmed(text.substr(at + sizeof HostLead - 1));
    const size_t open = rest.rfind('(');
    if (open != std::string::npos && rest.back() == ')' && open + 2 < rest.size() &&
        rest.find_first_not_of("-0123456789", open + 1) == rest.size() - 1)
        rest.erase(open);
    return text.substr(0, at) + TrimmedBothEnds(rest);
}

// A unit's name at the start of any part: the construct leads the cause.
std::string PartsWithoutUnitName(std::string text) {
    for (size_t at = 0; at < text.size();) {
        text = text.substr(0, at) + VIEW_WithoutUnitName(text.substr(at));
        at = text.find(": ", at);
        at = at == std::string::npos ? text.size() : at + 2;
    }
    return text;
}

// "String" as "a string": the store's type names.
std::string TypeInWords(const std::string& type) {
    static const std::map<std::string, std::string> words = {
        {"Null", "null"},       {"Integer", "an integer"}, {"Real", "a number"},
        {"Boolean", "a boolean"}, {"Name", "a name"},      {"String", "a string"},
        {"Dict", "a dictionary"}, {"Array", "an array"},   {"Stream", "a stream"}};
    const auto found = words.find(type);
    return found == words.end() ? type : found->second;
}

// The word that starts at at (letters and digits), its end in *end.
std::string WordAt(const std::string& text, size_t at, size_t* end) {
    *end = at;
    while (*end < text.size() && std::isalnum(static_cast<unsigned char>(text[*end])))
        ++*end;
    return text.substr(at, *end - at);
}

// "Bad Cos object: OP: Cos object (D, I) is T1, not T2": the numbers are
// the store's own, the types its names.
std::string WithStoreTypesInWords(const std::string& text) {
    const std::string lead = "Bad Cos object: ";
    const size_t from = text.find(lead);
    const size_t is = from == std::string::npos ? from : text.find(") is ", from);
    const size_t comma = is == std::string::npos ? is : text.find(", not ", is);
    if (comma == std::string::npos || text.find(": Cos object (", from) > is)
        return text;
    size_t end = 0;
    const std::string found = TypeInWords(text.substr(is + 5, comma - is - 5));
    const std::string wanted = TypeInWords(WordAt(text, comma + 6, &end));
    return text.substr(0, from) + found + " stands where " + wanted + " is needed" + text.substr(end);
}

// From the start of the part that holds what, to the end: said as words.
std::string PartSaidAs(const std::string& text, const std::string& what, const std::string& words) {
    const size_t at = text.find(what);
    if (at == std::string::npos)
        return text;
    const size_t colon = text.rfind(": ", at);
    return text.substr(0, colon == std::string::npos ? 0 : colon + 2) + words;
}

// qpdf's "FILE (object N G, offset K): REASON" or "FILE (object N G):
// REASON" after "object N of the file cannot be read: ": the line names the
// file and the object already, and a long path would cut the reason.
std::string WithoutQpdfPlace(const std::string& text) {
    const std::string lost = " of the file cannot be read: ";
    const size_t at = text.find(lost);
    const size_t open = at == std::string::npos ? at : text.find(" (object ", at + lost.size());
    const size_t close = open == std::string::npos ? open : text.find("): ", open);
    if (close == std::string::npos)
        return text;
    const size_t offset = text.find(", offset ", open);
    std::string reason = text.substr(close + 3);
    if (reason == "object has offset 0")
        reason = "its cross-reference entry gives offset 0, where the file's header stands";
    if (offset == std::string::npos || offset > close)
        return text.substr(0, at) + lost + reason;
    return text.substr(0, at) + " of the file cannot be read (at offset " +
           text.substr(offset + 9, close - offset - 9) + "): " + reason;
}

// A temporary file's failure in the system's words said as its cause.
std::string TemporaryCause(const std::string& error) {
    if (error == std::strerror(ENOSPC) || error == std::strerror(EDQUOT))
        return "no space left on the disk of the temporary folder";
    if (error == std::strerror(EFBIG))
        return "a temporary file grew past the limit on file size";
    return "a temporary file failed: " + error;
}

// Texts of the viewer, its libraries and the filters that end in a code,
// an object number of the store's own or a library's call, said as their
// cause.
std::string Reworded(std::string text) {
    text = WithoutQpdfPlace(WithStoreTypesInWords(text));
    // The reader's words lead with the store's kind and the file's path,
    // which the line names already.
    const std::string noRoot = " has no /Root dictionary in its trailer";
    if (const size_t at = text.find(noRoot); at != std::string::npos)
        text = "its trailer names no document catalog (/Root)" + text.substr(at + noRoot.size());
    const std::string decode = "The stream cannot be encoded or decoded: cannot decode Cos object (";
    const size_t through = text.find(decode) == std::string::npos ? std::string::npos : text.find(") through /");
    if (through != std::string::npos) {
        size_t end = 0;
        const std::string filter = WordAt(text, through + 11, &end);
        text = text.substr(0, text.find(decode)) + "a stream's data are in /" + filter +
               ", which the viewer cannot decode";
    }
    text = PartSaidAs(text, "getStreamData called on unfilterable stream",
                      "a stream's data are in a filter the viewer cannot decode");
    // The Flate decoder's failures in zlib's terms: data zlib cannot read.
    text = PartSaidAs(text, "FlateDecode encountered a zlib error (-3)", "a stream's Flate data are damaged");
    // A zlib stream may name a preset dictionary; a PDF stream has none to
    // give it.
    text = PartSaidAs(text, "FlateDecode encountered a zlib error (2)",
                      "a stream's Flate data ask for a preset dictionary, which PDF does not provide");
    // The decoders' own texts name a code or an offset: the data are damaged.
    for (const char* decoder : {"ASCIIHexDecode", "ASCII85Decode", "LZWDecode", "RunLengthDecode"})
        if (text.find(std::string(decoder) + ": ") != std::string::npos &&
            text.find("ProcessBytes called") == std::string::npos)
            text = PartSaidAs(text, std::string(decoder) + ": ",
                              std::string("a stream's data in /") + decoder + " are damaged");
    const std::string ccitt = "CCittFaxDecode error : ";
    if (const size_t at = text.find(ccitt); at != std::string::npos)
        text.replace(at, ccitt.size(), "CCITTFaxDecode: ");
    const std::string columns = "too many columns lead to an integer overflow (";
    if (const size_t at = text.find(columns); at != std::string::npos) {
        size_t end = 0;
        const std::string count = WordAt(text, at + columns.size(), &end);
        text = text.substr(0, at) + "an image's /DecodeParms ask for " + count + " columns, more than can be drawn" +
               text.substr(std::min(text.size(), end + 1));
    }
    // The engine's temporary files are the only files it writes.
    text = PartSaidAs(text, "IOError [error]: 112 [spec]: ", TemporaryCause(std::strerror(ENOSPC)));
    text = PartSaidAs(text, "IOError [error]: 223 [spec]: ", TemporaryCause(std::strerror(EFBIG)));
    const std::string message = " [msg]: ";
    if (text.find("IOError [error]: ") != std::string::npos && text.find(message) != std::string::npos)
        text = PartSaidAs(text, "IOError [error]: ", "a temporary file failed: " +
                                                        text.substr(text.find(message) + message.size()));
    // The cache's files: "BasicIO Write : ERROR : FOLDER\NAME".
    const std::string basic = "BasicIO ";
    const size_t lead = text.find(basic);
    const size_t error = lead == std::string::npos ? lead : text.find(" : ", lead);
    const size_t place = error == std::string::npos ? error : text.find(" : ", error + 3);
    if (place != std::string::npos)
        text = PartSaidAs(text, basic, TemporaryCause(text.substr(error + 3, place - error - 3)));
    // The host's file errors are the system's words alone.
    const size_t last = text.rfind(": ");
    const std::string cause = text.substr(last == std::string::npos ? 0 : last + 2);
    if (cause == std::strerror(ENOSPC) || cause == std::strerror(EDQUOT) || cause == std::strerror(EFBIG))
        text = text.substr(0, text.size() - cause.size()) + TemporaryCause(cause);
    // The plug-in's log after a failed allocation, its lead taken off.
    if (text == "try increasing memory")
        text = "not enough memory to separate the page";
    return text;
}

// "A: A: A: B" as "A: B": a check that met itself again said so at every
// level.
std::string WithoutRepeats(const std::string& text) {
    std::vector<std::string> parts;
    for (size_t at = 0;;) {
        const size_t colon = text.find(": ", at);
        parts.push_back(text.substr(at, colon == std::string::npos ? std::string::npos : colon - at));
        if (colon == std::string::npos)
            break;
        at = colon + 2;
    }
    std::string kept;
    for (size_t i = 0; i < parts.size(); ++i) {
        if (i > 0 && i + 1 < parts.size() && parts[i] == parts[i - 1])
            continue;
        kept += (kept.empty() && i == 0 ? "" : ": ") + parts[i];
    }
    return kept;
}

}  // namespace

std::string VIEW_CauseInWords(const std::string& text) {
    return WithoutRepeats(Reworded(PartsWithoutUnitName(WithoutHostWrapping(OneLine(text)))));
}

std::string VIEW_LogReason(const std::string& message) {
    std::string text = message;
    const size_t colon = text.find(": ");
    const size_t space = text.find(' ');
    // The lead is the tool's own words; a colon deeper in belongs to the
    // cause.
    if (!IsHostWrapped(text) && colon != std::string::npos && space != std::string::npos && space < colon)
        text = text.substr(colon + 2);
    return VIEW_CauseInWords(text);
}

std::string VIEW_AlertCause(const std::string& alert) {
    static const std::string caught = "caught an exception: ";
    const size_t from = alert.find(caught);
    if (from == std::string::npos)
        return std::string();
    std::string cause = OneLine(alert.substr(from + caught.size()));
    const size_t code = cause.rfind(" : code ");
    if (code != std::string::npos)
        cause.erase(code);
    // The cause has no lead of a logging step: its first colon is its own.
    return VIEW_CauseInWords(cause);
}

VIEW_ProgramLog::VIEW_ProgramLog(std::function<void(const std::string&)> warning,
                                 std::function<void(const std::string&)> loss)
    : m_warning(std::move(warning)), m_loss(std::move(loss)) {}

void VIEW_ProgramLog::Hear(const char* text) {
    std::string line = text ? text : "";
    // Time stamps and indentation come as texts of their own.
    if (line.empty() || line.back() != '\n')
        return;
    // The assembler's own CR LF; a CR before it is the message's.
    line.pop_back();
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    const bool cut = line.size() >= CutWidth;
    const size_t bytes = line.size() + (cut ? 0 : 1);
    // A line cut at the log's width goes on with its record.
    const size_t left = m_recordBytes < RecordBytes ? RecordBytes - m_recordBytes : 0;
    VIEW_LogRecord record;
    if (!m_continues || left == 0)
        record = VIEW_ParseLogLine(Trimmed(line, '\r'));
    size_t from = 0;
    if (record.m_level == VIEW_LogRecord::None && left > 0 && left < line.size()) {
        record = VIEW_ParseLogLine(Trimmed(line.substr(left), '\r'));
        if (record.m_level != VIEW_LogRecord::None) {
            from = left;
            if (m_open.m_level != VIEW_LogRecord::None)
                m_open.m_message += (m_continues ? "" : " ") + line.substr(0, left);
        }
    }
    if (record.m_level != VIEW_LogRecord::None) {
        End();
        m_open = record;
        m_recordBytes = bytes - from;
    } else {
        // A message's own line feeds and the log's cuts.
        if (m_open.m_level != VIEW_LogRecord::None)
            m_open.m_message += (m_continues ? "" : " ") + Trimmed(line, '\r');
        m_recordBytes += bytes;
    }
    m_continues = cut;
}

void VIEW_ProgramLog::Flush() {
    End();
    m_continues = false;
}

void VIEW_ProgramLog::HearAlert(const std::string& text) {
    const std::string cause = VIEW_AlertCause(text);
    if (!cause.empty())
        m_cause = cause;
}

void VIEW_ProgramLog::End() {
    VIEW_LogRecord record;
    std::swap(record, m_open);
    if (record.m_level == VIEW_LogRecord::Error) {
        const std::string reason = VIEW_LogReason(record.m_message);
        if (!reason.empty())
            m_cause = reason;
        m_lastError = VIEW_EscapedText(m_cause.empty() ? "the engine gave an error it has no words for" : m_cause);
    } else if (record.m_level == VIEW_LogRecord::Warning && m_loss &&
               record.m_message.compare(0, sizeof COMN_LOSS_LEAD - 1, COMN_LOSS_LEAD) == 0) {
        m_loss(VIEW_EscapedText(OneLine(record.m_message.substr(sizeof COMN_LOSS_LEAD - 1))));
    } else if (record.m_level == VIEW_LogRecord::Warning && m_warning) {
        m_warning(VIEW_EscapedText(WithoutRepeats(VIEW_WithoutUnitName(WithoutHostWrapping(OneLine(record.m_message))))));
    }
}
