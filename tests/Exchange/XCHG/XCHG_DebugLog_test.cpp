// The debug log's lines as the debugger window receives them: stamp,
// indentation, then the line with CR LF; records of the logger with their
// level words; user-facing levels alerting with the file's base name.
#include "XCHG_ReportFixture.h"

#include "Exchange/XCHG/XCHG_DebugLog.h"

#include <cctype>
#include <sys/stat.h>

namespace {

class DebugLogTest : public ReportTest {
protected:
    // The lines the window got, each as stamp + indentation + line.
    static std::vector<std::string> Lines() {
        const std::vector<std::string>& texts = VIEW_App::DebugWindowTexts();
        std::vector<std::string> lines;
        for (size_t i = 0; i + 3 <= texts.size(); i += 3)
            lines.push_back(texts[i] + texts[i + 1] + texts[i + 2]);
        return lines;
    }
    static bool Stamped(const std::string& line) {
        const std::string shape = "99:99:99.999 ";
        if (line.size() < shape.size())
            return false;
        for (size_t i = 0; i < shape.size(); ++i)
            if (shape[i] == '9' ? !std::isdigit(static_cast<unsigned char>(line[i])) : line[i] != shape[i])
                return false;
        return true;
    }
    static std::string Body(const std::string& line) { return line.substr(13); }
};

TEST_F(DebugLogTest, PiecesJoinIntoOneStampedLine) {
    XCHG_DebugPrint("ab");
    EXPECT_TRUE(VIEW_App::DebugWindowTexts().empty()) << "an unfinished line waits";
    XCHG_DebugPrint("%c\n", 'c');
    ASSERT_EQ(Lines().size(), 1u);
    EXPECT_TRUE(Stamped(Lines()[0]));
    EXPECT_EQ(Body(Lines()[0]), "abc\r\n");
    EXPECT_EQ(VIEW_App::DebugWindowTexts()[1], "") << "no indentation";
}

TEST_F(DebugLogTest, LineFeedsSplitOneTextIntoStampedLines) {
    XCHG_DebugPrint("one\ntwo\n");
    ASSERT_EQ(Lines().size(), 2u);
    EXPECT_EQ(Body(Lines()[0]), "one\r\n");
    EXPECT_EQ(Body(Lines()[1]), "two\r\n");
}

TEST_F(DebugLogTest, LevelWordsAndUserAlerts) {
    struct Case {
        int32_t level;
        const char* word;
        bool alerts;
    };
    const Case cases[] = {{0, "Error", false}, {2, "Error", false}, {3, "Error", true},
                          {4, "Warning", false}, {5, "Warning", true}, {6, "Trace", false},
                          {7, "Debug", false}, {8, "Info", false}, {9, "Debug", false},
                          {-1, "Debug", false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.level);
        VIEW_App::Reset();
        XCHG_LogHandler(c.level, "the message", "/deep/folder/of/the/source/XCHG_Unit.cpp", 42);
        ASSERT_EQ(Lines().size(), 1u);
        char expected[128];
        std::snprintf(expected, sizeof expected, "%-8.8s %-35.35s line  42: the message\r\n", c.word,
                      "XCHG_Unit.cpp");
        EXPECT_EQ(Body(Lines()[0]), expected);
        if (c.alerts)
            EXPECT_EQ(AlertTexts(), std::vector<std::string>{std::string(c.word) +
                                                             " occured in XCHG_Unit.cpp line 42:\r\rthe message"});
        else
            EXPECT_TRUE(AlertTexts().empty());
    }
}

TEST_F(DebugLogTest, ARecordCutAt511CharactersEndsAfter510) {
    // 55 characters of prefix, so 456 of the message survive the cut and
    // the record loses its line feed.
    const std::string message(600, 'x');
    XCHG_LogHandler(7, (message + "END").c_str(), "f.cpp", 1);
    ASSERT_EQ(Lines().size(), 1u);
    const std::string body = Body(Lines()[0]);
    ASSERT_EQ(body.size(), 512u);
    EXPECT_EQ(body.substr(510), "\r\n");
    XCHG_DebugPrint("tail\n");
    ASSERT_EQ(Lines().size(), 2u);
    EXPECT_EQ(Body(Lines()[1]), "xtail\r\n") << "the 511th character starts the next line";
}

TEST_F(DebugLogTest, NothingWithoutTheDebuggerWindow) {
    gXCHG_DebuggerWindowHFT = nullptr;
    XCHG_DebugPrint("lost\n");
    XCHG_LogHandler(4, "also lost", "f.cpp", 1);
    EXPECT_TRUE(VIEW_App::DebugWindowTexts().empty());
    struct stat info;
    EXPECT_NE(stat(m_scratch.File("Debug.log").c_str(), &info), 0);
}

}  // namespace
