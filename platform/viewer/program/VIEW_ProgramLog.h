// The plug-in's debug log as the program hears it through the debugger
// window: each line the plug-in writes, "LEVEL    FILE line N: MESSAGE",
// becomes a record. Warnings go to the program as they end, those that tell
// of data decoded short (COMN_LossRecord.h) as losses; the last error is
// kept, since it carries the reason of a failure. Nothing below warning
// level leaves this class, and what leaves it is escaped (VIEW_EscapedText):
// the engine's messages quote the document's names and operators.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

struct VIEW_LogRecord {
    enum Level { None, Error, Warning, Other };
    Level m_level = None;
    std::string m_message;
};

// One line as the plug-in formats it (without CR LF); m_level None when
// it is not the start of a record.
VIEW_LogRecord VIEW_ParseLogLine(const std::string& line);

// The reason an error record gives: its message without the logging
// code's lead ("Error separting page: ", ...), which names the step and
// not the cause, without the host's wrapping ("PDF Library Error: TEXT
// (CODE)") and without a source unit's name before the cause; on one line,
// runs of blanks and line ends as one space, a phrase repeated before the
// same colon said once. Empty when it holds no words.
std::string VIEW_LogReason(const std::string& message);
// A cause as the user reads it: on one line, without the host's wrapping
// (also after a construct: "image /Im0: PDF Library Error: ..."), a unit's
// name at the start of any part or repeats; the texts of the viewer and its
// libraries that end in a code, an object number of the viewer's own store
// or a library's call said as their cause.
std::string VIEW_CauseInWords(const std::string& text);
// The cause an alert of the plug-in gives when it "caught an exception:
// CAUSE : code N"; empty for any other alert.
std::string VIEW_AlertCause(const std::string& alert);
// message without a leading source unit's or function's name ("ZOVA_View: ",
// "GLOB_Impl::Copy: "), or with only the name's own part where the unit is
// the subject ("FILT_FlateDecode encountered" as "FlateDecode encountered").
std::string VIEW_WithoutUnitName(const std::string& message);

class VIEW_ProgramLog {
public:
    // loss hears the words of a loss record, escaped; without it such a
    // record is a warning too.
    explicit VIEW_ProgramLog(std::function<void(const std::string&)> warning,
                             std::function<void(const std::string&)> loss = nullptr);
    // A text handed to the debugger window: a time stamp, an indentation
    // or a line ending in CR LF.
    void Hear(const char* text);
    // Ends the record being assembled (a record's end shows only when the
    // next one starts): before the program says anything of its own.
    void Flush();
    // An alert the plug-in showed: its cause stands in for a later error
    // that has no words of its own.
    void HearAlert(const std::string& text);
    // A cause in words heard outside the log (a write of the viewer's that
    // failed, whose code the plug-in may not pass on): the same.
    void HearCause(const std::string& cause) { m_cause = cause; }
    // The reason of the last error record, escaped; when that record held
    // no words, the cause heard before it. Empty when no error came.
    const std::string& LastError() const { return m_lastError; }
    void ClearError() {
        m_lastError.clear();
        m_cause.clear();
    }

private:
    void End();

    std::function<void(const std::string&)> m_warning;
    std::function<void(const std::string&)> m_loss;
    VIEW_LogRecord m_open;
    bool m_continues = false;  // the last line was cut at the log's width
    // Of the last record's text as the handler formatted it: none left.
    // Of the last record's text as the handler formatted it; none yet.
    size_t m_recordBytes = SIZE_MAX;
    std::string m_lastError;
    std::string m_cause;  // the last cause in words, not escaped
};
