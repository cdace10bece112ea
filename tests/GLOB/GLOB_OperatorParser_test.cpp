#include "GLOB/GLOB_OperatorParser.h"

#include "GLOB/GLOB_OperandStack.h"
#include "GLOB/GLOB_StringStream.h"
#include "GLOB_TestUtil.h"

#include <gtest/gtest.h>

namespace {

GLOB_Stream Text(const std::string& text) { return GLOB_Stream(new GLOB_StringStream(text)); }

// Records each operator with its operands, stops at "stop".
class RecordingParser : public GLOB_OperatorParser {
public:
    using GLOB_OperatorParser::GLOB_OperatorParser;
    bool HandleOperator() override {
        m_seen.push_back(std::string(OperatorText()) + ":" + std::to_string(Operands().Size()));
        return std::string(OperatorText()) != "stop";
    }
    bool PostProcess() override {
        ++m_postProcessed;
        return false;
    }
    std::vector<std::string> m_seen;
    int m_postProcessed = 0;
};

}  // namespace

TEST(GLOB_OperatorParser, StepsFromOperatorToOperator) {
    GLOB_OperatorParser parser(Text("1 2 add % note\n/N [1 [2] /a] (s) re"), GLOB_ObjectFactory::MemoryDoc());
    ASSERT_TRUE(parser.Parse());
    EXPECT_STREQ(parser.OperatorText(), "add");
    EXPECT_EQ(Printed(parser.Operands()), "  [0]: 2\n  [1]: 1\n");
    ASSERT_TRUE(parser.Parse());
    EXPECT_STREQ(parser.OperatorText(), "re");
    EXPECT_EQ(Printed(parser.Operands()), "  [0]: (s)\n  [1]: [ 1 [ 2 ] /a ]\n  [2]: /N\n");
    EXPECT_FALSE(parser.Parse());
    EXPECT_TRUE(parser.IsEndOfData() && !parser.IsStopped());
    EXPECT_EQ(parser.Operands().Size(), 0u);
    EXPECT_FALSE(parser.Parse());
    EXPECT_FALSE(GLOB_OperatorParser().Parse());  // idle: nothing to parse
}

TEST(GLOB_OperatorParser, BracketErrorsStopWithExactMessages) {
    const std::string deep(GLOB_Object::MaxNesting + 1, '[');
    const std::string cases[][2] = {
        {"<< /A 1 /B >>", "Dictionary must have an even number of objects between << and >>, found 3"},
        {"<< 1 2 >>", "Dictionary keys must be names, found Integer: "},
        {"<< (k) 2 >>", "Dictionary keys must be names, found String: "},
        {"1 2 ]", "Array is missing opening ["},
        {">>", "Dictionary is missing opening <<"},
        {"[/A 1>>", "Dictionary end >> does not match opening ["},
        {"<</A [1 2>> ]", "Dictionary end >> does not match opening ["},
        {"<</A 1]", "Array end ] does not match opening <<"},
        {"1 )", "Error parsing token: Unexpected closing )"},
        {deep, "Arrays and dictionaries nested deeper than 512 levels"},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(i);
        GLOB_OperatorParser parser(Text(cases[i][0]), GLOB_ObjectFactory::MemoryDoc());
        EXPECT_FALSE(parser.Parse());
        EXPECT_TRUE(parser.IsStopped());
        EXPECT_EQ(parser.ErrorMessage(), cases[i][1]);
        EXPECT_FALSE(parser.Parse());
    }
    // Each failure replaces the text of the one before.
    GLOB_OperatorParser parser(Text("]"), GLOB_ObjectFactory::MemoryDoc());
    EXPECT_FALSE(parser.Parse());
    for (size_t i : {4, 5, 9}) {
        parser.SetStream(Text(cases[i][0]));
        EXPECT_FALSE(parser.IsStopped() || parser.Parse());
        EXPECT_EQ(parser.ErrorMessage(), cases[i][1]);
    }
    parser.SetStream(Text("<"));
    EXPECT_FALSE(parser.Parse());
    EXPECT_EQ(parser.ErrorMessage().rfind("Error parsing token: ", 0), 0u);
    // Closed brackets do not count towards the nesting limit.
    std::string wide;
    for (int i = 0; i < 2 * GLOB_Object::MaxNesting; ++i)
        wide += "[ 1 ] ";
    parser.SetStream(Text(wide));
    EXPECT_FALSE(parser.Parse());
    EXPECT_TRUE(parser.IsEndOfData());
    EXPECT_EQ(parser.Operands().Size(), static_cast<size_t>(2 * GLOB_Object::MaxNesting));
}

TEST(GLOB_OperatorParser, HooksDecideWhetherParsingGoesOn) {
    RecordingParser parser(GLOB_ObjectFactory::MemoryDoc());
    parser.SetStream(Text("1 go 2 3 stop 4 never"));
    EXPECT_TRUE(parser.Parse());
    EXPECT_FALSE(parser.Parse());
    EXPECT_TRUE(parser.IsStopped());
    EXPECT_EQ(parser.m_seen, (std::vector<std::string>{"go:1", "stop:2"}));
    EXPECT_EQ(parser.Operands().Top().AsInteger(), 3);  // the refused operator's operands stay
    parser.SetStream(Text("1 go"));
    parser.SetPostProcess(true);
    EXPECT_FALSE(parser.Parse());
    EXPECT_EQ(parser.m_postProcessed, 1);
    EXPECT_EQ(parser.m_seen.size(), 2u);
}

TEST(GLOB_OperatorParser, AnExceptionOfTheStreamStopsTheParse) {
    // A cancel while the lexer reads passes out; a retried step must not
    // mistake the drained buffer for a clean end.
    auto* core = new GLOB_ChunkedCore("1 go 2 go", {3}, GLOB_StreamCore::Input);
    core->failAtFill = 2;
    RecordingParser parser(GLOB_Stream(core), GLOB_ObjectFactory::MemoryDoc());
    try {
        parser.Parse();
        ADD_FAILURE() << "no exception";
    } catch (const GLIB_Exception& e) {
        EXPECT_EQ(e.Code(), 1128003u);
    }
    EXPECT_TRUE(parser.IsStopped());
    EXPECT_FALSE(parser.IsEndOfData() || parser.Parse());
    EXPECT_TRUE(parser.m_seen.empty());
}

TEST(GLOB_OperandStack, MarksArraysAndDictionaries) {
    const GLOB_Doc doc = NewMemoryDoc();
    GLOB_OperandStack stack(doc);
    EXPECT_EQ(stack.CountToMark(), 0u);
    for (const GLOB_Object& o : {GLOB_ObjectFactory::NewInteger(1), doc.NewMark(),
                                 GLOB_ObjectFactory::NewName(GLOB_Name("K")), GLOB_ObjectFactory::NewInteger(2)})
        stack.Push(o);
    EXPECT_EQ(stack.CountToMark(), 2u);
    EXPECT_EQ(stack.MarkCount(), 1u);
    stack.MakeDict(true);
    EXPECT_EQ(stack.MarkCount(), 0u);
    EXPECT_EQ(stack.Size(), 2u);
    const GLOB_Object dict = stack.Top();  // indirect, in the stack's document
    EXPECT_FALSE(dict.IsDirect());
    EXPECT_EQ(dict.DictGet(GLOB_Name("K")).GetImpl(), doc.Impl());
    EXPECT_THROW(stack.Operand(2), GLIB_Exception);
    GLOB_OperandStack copy;
    copy.Push(GLOB_ObjectFactory::NewNull());
    copy = stack;
    EXPECT_EQ(Printed(copy), "  [0]: -dict-\n  [1]: 1\n");
    EXPECT_EQ(copy.Doc().Impl(), GLOB_ObjectFactory::MemoryDoc().Impl());
}
