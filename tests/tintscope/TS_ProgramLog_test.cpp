// The plug-in's log lines as the program hears them: stamped lines in
// three texts, records cut at 509 characters, messages with line feeds;
// only warnings and the last error come out.
#include "viewer/program/VIEW_ProgramLog.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

// A record as the plug-in's log handler formats it and its line assembler
// hands it on: the stamp, the (empty) indentation, then each line with CR LF.
void Tell(VIEW_ProgramLog& log, const char* word, const std::string& message) {
    char head[64];
    std::snprintf(head, sizeof head, "%-8.8s %-35.35s line %3d: ", word, "ZOVA_ColorSepTool_Separate.cpp", 129);
    const std::string record = (head + message).substr(0, 511) + "\n";
    std::string line;
    for (const char c : record) {
        if (c == '\n' || line.size() >= 509) {
            if (c != '\n')
                line += c;
            log.Hear("12:00:00.000 ");
            log.Hear("");
            log.Hear((line + "\r\n").c_str());
            line.clear();
        } else {
            line += c;
        }
    }
}

TEST(TS_ProgramLog, OnlyWarningsAndTheLastErrorComeOut) {
    std::vector<std::string> warnings;
    VIEW_ProgramLog log([&](const std::string& text) { warnings.push_back(text); });
    Tell(log, "Info", "Returning token 3");
    Tell(log, "Debug", "Exception processing stream: x");
    Tell(log, "Warning", "uses transparency (ExtGState GS0 with SMask); its plates are separated as if opaque");
    Tell(log, "Error", "Error separting page: Unsupported colour space: DeviceRGB");
    Tell(log, "Trace", "after");
    log.Flush();
    EXPECT_EQ(warnings, std::vector<std::string>{
                            "uses transparency (ExtGState GS0 with SMask); its plates are separated as if opaque"});
    EXPECT_EQ(log.LastError(), "Unsupported colour space: DeviceRGB");

    Tell(log, "Error", "Unknow Exception while rendering page");
    log.Flush();
    EXPECT_EQ(log.LastError(), "Unknow Exception while rendering page") << "no lead to take off";
}

TEST(TS_ProgramLog, CutAndBrokenRecordsComeOutWhole) {
    std::vector<std::string> warnings;
    VIEW_ProgramLog log([&](const std::string& text) { warnings.push_back(text); });
    // The record is cut at 511 characters (55 of them the head), the log's
    // lines at 510.
    const std::string longName(600, 'x');
    Tell(log, "Warning", "No CMYK recipe for spot color " + longName + ", using 0 0 0 0: because");
    Tell(log, "Warning", "first part\nsecond part");
    log.Flush();
    ASSERT_EQ(warnings.size(), 2u);
    EXPECT_EQ(warnings[0], ("No CMYK recipe for spot color " + longName + ", using 0 0 0 0: because")
                               .substr(0, 511 - 55));
    EXPECT_EQ(warnings[1], "first part second part");
}

TEST(TS_ProgramLog, LinesOfAnotherShapeAreNoRecords) {
    EXPECT_EQ(VIEW_ParseLogLine("ZOVA_ColorDialog::WindowProc caught an exception").m_level, VIEW_LogRecord::None);
    EXPECT_EQ(VIEW_ParseLogLine("Warning  short line 3: text").m_level, VIEW_LogRecord::None);
    char line[128];
    std::snprintf(line, sizeof line, "%-8.8s %-35.35s line %3d: %s", "Error", "a.cpp", 1234, "m: n");
    const VIEW_LogRecord record = VIEW_ParseLogLine(line);
    EXPECT_EQ(record.m_level, VIEW_LogRecord::Error);
    EXPECT_EQ(record.m_message, "m: n");
    EXPECT_EQ(VIEW_LogReason("Exception separating page: CSEP_X: the cause: more"), "the cause: more");
    EXPECT_EQ(VIEW_LogReason("Error separting page: Tf operator, font 'F9': x"), "Tf operator, font 'F9': x");
    EXPECT_EQ(VIEW_WithoutUnitName("ZOVA_View: the page keeps the inks"), "the page keeps the inks");
    EXPECT_EQ(VIEW_WithoutUnitName("Form X0: is it"), "Form X0: is it");
    // Parts joined with their own line ends and trailing blanks read as one
    // line.
    EXPECT_EQ(VIEW_LogReason("Error separting page: colour space /CS0: Separation colorspace has invalid alternate "
                             "colorspace: Invalid separation alternate colorspace: Pattern\n\n  "),
              "colour space /CS0: Separation colorspace has invalid alternate colorspace: Invalid separation "
              "alternate colorspace: Pattern");
    EXPECT_EQ(VIEW_LogReason("Error separting page: a\r\n\tb  c "), "a b c");
}

// The plug-in's handler as it is: the record formatted into 512 bytes, so a
// long one loses its line end, and the log's lines cut at 510 characters,
// what is left of one leading the next record's line.
class Handler {
public:
    explicit Handler(VIEW_ProgramLog& log) : m_log(log) {}
    void Tell(const char* word, const std::string& message) {
        char record[512];
        std::snprintf(record, sizeof record, "%-8.8s %-35.35s line %3d: %s\n", word, "CSEP_ContentColorMapper.cpp",
                      78, message.c_str());
        for (const char* c = record; *c; ++c) {
            if (*c == '\n' || m_line.size() >= 509) {
                if (*c != '\n')
                    m_line += *c;
                m_log.Hear("12:00:00.000 ");
                m_log.Hear("");
                m_log.Hear((m_line + "\r\n").c_str());
                m_line.clear();
            } else {
                m_line += *c;
            }
        }
    }

private:
    VIEW_ProgramLog& m_log;
    std::string m_line;
};

TEST(TS_ProgramLog, ARecordAfterOneThatLostItsLineEndStillComesOut) {
    std::vector<std::string> warnings;
    VIEW_ProgramLog log([&](const std::string& text) { warnings.push_back(text); });
    Handler handler(log);
    handler.Tell("Debug", "Exception processing stream: " + std::string(600, 'j'));
    handler.Tell("Error", "Exception separating page: Unknown operator encountered: jjjj");
    handler.Tell("Warning", "ZOVA_View: after it");
    log.Flush();
    EXPECT_EQ(log.LastError(), "Unknown operator encountered: jjjj");
    EXPECT_EQ(warnings, std::vector<std::string>{"after it"});

    // Two in a row: the second starts inside a line of the first's, and
    // its own lost end leads the warning's line.
    warnings.clear();
    handler.Tell("Debug", "Exception processing stream: " + std::string(600, 'k'));
    handler.Tell("Debug", "Exception processing stream: " + std::string(600, 'm'));
    handler.Tell("Warning", "ZOVA_View: after both");
    log.Flush();
    EXPECT_EQ(warnings, std::vector<std::string>{"after both"});
}

TEST(TS_ProgramLog, ReasonsLoseTheHostsWrappingAndNumber) {
    EXPECT_EQ(VIEW_LogReason("GLIB_Exception while rendering page : PDF Library Error: VDRW_PageDrawer: the page "
                             "cannot be read: image width is zero (or less) (10485763)"),
              "the page cannot be read: image width is zero (or less)");
    EXPECT_EQ(VIEW_LogReason("PDF Library Error: a bad Cos object (-5)"), "a bad Cos object");
    EXPECT_EQ(VIEW_LogReason("Exception separating page: PDF Library Error:  (1073741825)"), "") << "no words";
    // A number that is the cause's own stays.
    EXPECT_EQ(VIEW_LogReason("Error separting page: zlib error (-3): data error"), "zlib error (-3): data error");
    EXPECT_EQ(VIEW_LogReason("Error separting page: FILT_FlateDecode encountered an error"),
              "FlateDecode encountered an error");
    EXPECT_EQ(VIEW_LogReason("Error separting page: cs /A: Bad space: Bad space: Bad space: Bad"),
              "cs /A: Bad space: Bad");
    EXPECT_EQ(VIEW_AlertCause("COSF_PDFL_StreamProc::ProcStreamRead caught an exception: Not a JPEG file: starts "
                              "with 0x6a 0x75 : code 1130007"),
              "Not a JPEG file: starts with 0x6a 0x75");
    EXPECT_EQ(VIEW_AlertCause("An error occured trying to separate this page."), "");
}

TEST(TS_ProgramLog, AnErrorWithoutWordsTakesTheCauseHeardBeforeIt) {
    VIEW_ProgramLog log(nullptr);
    Tell(log, "Error", "Exception separating page: PDF Library Error:  (1073741825)");
    log.Flush();
    EXPECT_EQ(log.LastError(), "the engine gave an error it has no words for");
    log.HearAlert("X::Read caught an exception: ASCIIHexDecode: Encountered an illegal character: 0x7a : code 1");
    Tell(log, "Error", "Exception separating page: PDF Library Error:  (1073741825)");
    log.Flush();
    EXPECT_EQ(log.LastError(), "a stream's data in /ASCIIHexDecode are damaged");
    Tell(log, "Error", "Exception separating page: Not a JPEG file: starts with 0x6a");
    Tell(log, "Error", "Exception separating page: PDF Library Error:  (1073741825)");
    log.Flush();
    EXPECT_EQ(log.LastError(), "Not a JPEG file: starts with 0x6a");
}

TEST(TS_ProgramLog, WhatLeavesTheLogIsEscaped) {
    std::vector<std::string> warnings;
    VIEW_ProgramLog log([&](const std::string& text) { warnings.push_back(text); });
    Tell(log, "Warning", "ink \x1b[31mRed\x07 has no recipe");
    Tell(log, "Error", "Error separting page: colour space /X\x1b]0;T\x07\xff: Unsupported");
    log.Flush();
    EXPECT_EQ(warnings, std::vector<std::string>{"ink #1b[31mRed#07 has no recipe"});
    EXPECT_EQ(log.LastError(), "colour space /X#1b]0;T#07#ff: Unsupported");
}

}  // namespace
