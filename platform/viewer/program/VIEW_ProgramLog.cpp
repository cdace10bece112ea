#include "viewer/program/VIEW_ProgramLog.h"

#include "viewer/program/VIEW_ProgramText.h"

#include <cctype>
#include <utility>
#include <vector>

namespace {

// The plug-in cuts a line after 509 characters and the one that ended it.
constexpr size_t CutWidth = 510;
// "%-8.8s %-35.35s line %3d: ": the word, the file, then " line ".
constexpr size_t LineWordAt = 44;
// A record of 511 characters lost its line end to the handler's buffer:
// what the log's cut left of it leads the next record's line.
constexpr size_t MostLeftOver = 2;
// The host wraps the text of an error code it raises.
const char HostLead[] = "PDF Library Error:";

std::string Trimmed(const std::string& text) {
    const size_t end = text.find_last_not_of(' ');
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
        for (size_t i = 0; i < colon; ++i)
            if (!std::isalnum(static_cast<unsigned char>(message[i])) && message[i] != '_')
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

// "PDF Library Error: TEXT (CODE)" as TEXT: the code is the host's number,
// not a reason.
std::string WithoutHostWrapping(const std::string& text) {
    if (!IsHostWrapped(text))
        return text;
    std::string rest = Trimmed(text.substr(sizeof HostLead - 1));
    const size_t open = rest.rfind('(');
    if (open != std::string::npos && rest.back() == ')' && open + 2 < rest.size() &&
        rest.find_first_not_of("-0123456789", open + 1) == rest.size() - 1)
        rest.erase(open);
    return TrimmedBothEnds(rest);
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

// A cause as the user reads it: on one line, without the host's wrapping,
// a unit's name or repeats.
std::string CauseInWords(const std::string& text) {
    return WithoutRepeats(VIEW_WithoutUnitName(WithoutHostWrapping(OneLine(text))));
}

}  // namespace

std::string VIEW_LogReason(const std::string& message) {
    std::string text = message;
    const size_t colon = text.find(": ");
    const size_t space = text.find(' ');
    // The lead is the tool's own words; a colon deeper in belongs to the
    // cause.
    if (!IsHostWrapped(text) && colon != std::string::npos && space != std::string::npos && space < colon)
        text = text.substr(colon + 2);
    return CauseInWords(text);
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
    return CauseInWords(cause);
}

VIEW_ProgramLog::VIEW_ProgramLog(std::function<void(const std::string&)> warning) : m_warning(std::move(warning)) {}

void VIEW_ProgramLog::Hear(const char* text) {
    std::string line = text ? text : "";
    // Time stamps and indentation come as texts of their own.
    if (line.empty() || line.back() != '\n')
        return;
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r'))
        line.pop_back();
    const bool cut = line.size() >= CutWidth;
    VIEW_LogRecord record = m_continues ? VIEW_LogRecord() : VIEW_ParseLogLine(line);
    for (size_t skip = 1; m_continues && skip <= MostLeftOver && record.m_level == VIEW_LogRecord::None &&
                          skip < line.size();
         ++skip) {
        record = VIEW_ParseLogLine(line.substr(skip));
        if (record.m_level != VIEW_LogRecord::None && m_open.m_level != VIEW_LogRecord::None)
            m_open.m_message += line.substr(0, skip);
    }
    if (record.m_level != VIEW_LogRecord::None) {
        End();
        m_open = record;
    } else if (m_open.m_level != VIEW_LogRecord::None) {
        // A message's own line feeds and the log's cuts.
        m_open.m_message += (m_continues ? "" : " ") + line;
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
    } else if (record.m_level == VIEW_LogRecord::Warning && m_warning) {
        m_warning(VIEW_EscapedText(WithoutRepeats(VIEW_WithoutUnitName(OneLine(record.m_message)))));
    }
}
