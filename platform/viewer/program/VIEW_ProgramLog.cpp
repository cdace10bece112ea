#include "viewer/program/VIEW_ProgramLog.h"

#include <cctype>
#include <utility>

namespace {

// The plug-in cuts a line after 509 characters and the one that ended it.
constexpr size_t CutWidth = 510;
// "%-8.8s %-35.35s line %3d: ": the word, the file, then " line ".
constexpr size_t LineWordAt = 44;

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
    if (colon == std::string::npos || underscore == std::string::npos || underscore == 0 || underscore > colon)
        return message;
    for (size_t i = 0; i < colon; ++i)
        if (!std::isalnum(static_cast<unsigned char>(message[i])) && message[i] != '_')
            return message;
    return message.substr(colon + 2);
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

}  // namespace

std::string VIEW_LogReason(const std::string& message) {
    const size_t colon = message.find(": ");
    const size_t space = message.find(' ');
    // The lead is the tool's own words; a colon deeper in belongs to the
    // cause.
    if (colon == std::string::npos || space == std::string::npos || space > colon)
        return OneLine(VIEW_WithoutUnitName(message));
    return OneLine(VIEW_WithoutUnitName(message.substr(colon + 2)));
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
    const VIEW_LogRecord record = m_continues ? VIEW_LogRecord() : VIEW_ParseLogLine(line);
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

void VIEW_ProgramLog::End() {
    VIEW_LogRecord record;
    std::swap(record, m_open);
    if (record.m_level == VIEW_LogRecord::Error)
        m_lastError = VIEW_LogReason(record.m_message);
    else if (record.m_level == VIEW_LogRecord::Warning && m_warning)
        m_warning(VIEW_WithoutUnitName(record.m_message));
}
