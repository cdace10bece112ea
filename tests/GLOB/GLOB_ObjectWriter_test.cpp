#include "GLOB/GLOB_ObjectWriter.h"

#include "GLOB/GLOB_Array.h"
#include "GLOB/GLOB_Dict.h"
#include "GLOB/GLOB_OperatorParser.h"
#include "GLOB/GLOB_StringStream.h"
#include "GLOB_TestUtil.h"

#include <gtest/gtest.h>

#include <climits>

namespace {

using Steps = std::function<void(GLOB_ObjectWriter&)>;

// What the steps write, flushed, through a buffer of size bytes, into a
// stream that stores chunks of the sizes given.
std::string Written(const Steps& steps, uint32_t size = GLOB_ObjectWriter::DefaultBufferSize,
                    const std::vector<size_t>& stored = {}) {
    GLOB_ChunkedCore* core = new GLOB_ChunkedCore();
    core->storeSizes = stored;
    GLOB_ObjectWriter writer(GLOB_Stream(core), size);
    steps(writer);
    writer.Flush();
    return core->written;
}

// Every kind, names and strings of every byte value, some objects indirect.
GLOB_Object RandomTree(const GLOB_Doc& doc, std::mt19937& rng, int depth) {
    auto pick = [&](int low, int high) { return std::uniform_int_distribution<int>(low, high)(rng); };
    auto bytes = [&](int lowest, int n) {
        std::string s;
        while (n-- > 0)
            s += static_cast<char>(pick(lowest, 255));
        return s;
    };
    const bool indirect = pick(0, 3) == 0;
    switch (pick(0, depth > 4 ? 5 : 7)) {
    case 0: return doc.NewNull();
    case 1: return doc.NewBoolean(pick(0, 1), indirect);
    case 2: return doc.NewInteger(pick(0, 3) ? pick(INT_MIN, INT_MAX) : pick(0, 1) ? INT_MIN : INT_MAX, indirect);
    case 3: {  // five decimals within the clamp: what FormatFixed keeps
        const int64_t k = std::uniform_int_distribution<int64_t>(-999999999999, 999999999999)(rng);
        return doc.NewReal(static_cast<double>(k) / 1e5, indirect);
    }
    case 4: return doc.NewName(GLOB_Name(bytes(1, pick(0, 200)).c_str()), indirect);
    case 5: {
        const std::string s = bytes(0, pick(0, 300));
        return doc.NewString(GLOB_String(s.data(), s.size()), indirect);
    }
    case 6: {
        const GLOB_Object array = doc.NewArray(static_cast<uint32_t>(pick(0, 5)), indirect);
        for (uint32_t i = 0; i < doc.Impl()->ArrayLength(array); ++i)
            array.ArrayPut(i, RandomTree(doc, rng, depth + 1));
        return array;
    }
    default: {
        const GLOB_Object dict = doc.NewDict(0, indirect);
        for (int i = pick(0, 5); i > 0; --i)
            dict.DictPut(GLOB_Name(bytes(1, pick(0, 20)).c_str()), RandomTree(doc, rng, depth + 1));
        return dict;
    }
    }
}

}  // namespace

TEST(GLOB_ObjectWriter, WritesHandCheckedText) {
    const GLOB_Doc doc = GLOB_ObjectFactory::MemoryDoc();
    const GLOB_Object xobject = doc.ParseObject("<< /Type /XObject >>");
    const GLOB_Array oneTwo = doc.ParseObject("[1 2]").AsArray();
    const std::string longName(130, 'y');
    using W = GLOB_ObjectWriter;
    const struct {
        Steps steps;
        std::string text;
    } cases[] = {
        {[](W& w) { w.WriteInteger(1), w.WriteInteger(0), w.WriteOperator("RG"); }, "1 0 RG\n"},
        {[](W& w) { w.WriteInteger(INT_MIN), w.WriteNewline(), w.WriteReal(0.5), w.WriteReal(-0.000004); },
         "-2147483648\n0.5 -0"},
        {[](W& w) { w.WriteString("a(b\n"), w.WriteString(" \b\t\f\r\\)\x7F\xFF"); },
         "(a\\(b\\n)(\\040\\b\\t\\f\\r\\\\\\)\\177\\377)"},
        {[](W& w) { w.WriteInteger(1), w.WriteString("s"), w.WriteInteger(2); }, "1(s) 2"},
        {[](W& w) { w.WriteName(GLOB_Name("A B")), w.WriteName(GLOB_Name()), w.WriteName(GLOB_Name("x[1]")); },
         "/A#20B / /x#5B1#5D"},
        {[](W& w) { w.WriteText("q "), w.WriteInteger(1), w.WriteText("Q"), w.WriteInteger(2); }, "q 1Q 2"},
        {[&](W& w) { w.WriteArray(oneTwo), w.WriteInteger(0), w.WriteArray(oneTwo); }, "[1 2] 0 [ 1 2]"},
        {[&](W& w) { w.WriteDict(xobject), w.WriteInteger(0), w.WriteObject(xobject); },
         "<</Type /XObject >> 0 << /Type /XObject >>"},
        {[&](W& w) { w.WriteDict(GLOB_Dict()), w.WriteNewline(), w.WriteArray(GLOB_Array()); }, "<< >>\n[]"},
        {[&](W& w) { w.WriteObject(doc.ParseObject("<< /B 1 /A 2 >>")); }, "<</B 1 /A 2 >>"},
        {[&](W& w) { w.WriteObject(doc.ParseObject("[null true]")), w.WriteObject(doc.NewMark()); }, "[null true]"},
        // Reals as read are written to the nearest five decimals; the double
        // nearest 0.123455 lies just below it.
        {[&](W& w) { w.WriteObject(doc.ParseObject("[91.2742951 -1.0000049999 0.0000151]")), w.WriteReal(0.123455); },
         "[91.2743 -1 0.00002] 0.12345"},
        // Long text and a name past the lexer's 127 plain bytes, across flushes.
        {[&](W& w) { w.WriteText(std::string(999, 'x').c_str()), w.WriteName(GLOB_Name(longName.c_str())); },
         std::string(999, 'x') + " /" + std::string(127, 'y') + "#79#79#79"},
    };
    for (size_t i = 0; i < std::size(cases); ++i)
        for (const uint32_t size : {GLOB_ObjectWriter::DefaultBufferSize, GLOB_ObjectWriter::TokenRoom})
            for (const std::vector<size_t>& stored : GLOB_TestChunkings()) {
                SCOPED_TRACE("case " + std::to_string(i) + ", buffer " + std::to_string(size) +
                             ", stored in chunks of " + std::to_string(stored[0]));
                EXPECT_EQ(Written(cases[i].steps, size, stored), cases[i].text);
            }
}

// Random trees, and the hardest names and strings: tokens cut by flushes,
// names of 200 escapes, plain bytes past the lexer's 127, every byte value.
TEST(GLOB_ObjectWriter, TreesParseBackDeeplyEqual) {
    const GLOB_Doc doc = GLOB_ObjectFactory::MemoryDoc();
    std::string all, escapes;
    for (int c = 0; c < 256; ++c)
        all += static_cast<char>(c);
    for (int i = 0; i < 200; ++i)
        escapes += static_cast<char>(i % 2 ? 0x80 + i % 128 : 1 + i % 32);
    const std::string closing = std::string(5000, ')') + "\\0009";
    std::vector<GLOB_Object> trees = {doc.NewName(GLOB_Name(escapes.c_str())), doc.NewName(GLOB_Name(all.c_str() + 1)),
                                      doc.NewName(GLOB_Name(std::string(200, 'a').c_str())),
                                      doc.NewString(GLOB_String(all.data(), all.size())), doc.NewString("((("),
                                      doc.NewString(GLOB_String(closing.data(), closing.size()))};
    std::mt19937 rng(20240611);
    while (trees.size() < 600)
        trees.push_back(RandomTree(doc, rng, 0));
    for (size_t i = 0; i + 1 < trees.size(); i += 2) {
        SCOPED_TRACE(i);
        const std::string text = Written(
            [&](GLOB_ObjectWriter& w) { w.WriteObject(trees[i]), w.WriteObject(trees[i + 1]), w.WriteOperator("op"); },
            i % 4 ? GLOB_ObjectWriter::TokenRoom : 777);
        GLOB_OperatorParser parser(GLOB_Stream(new GLOB_StringStream(text)), doc);
        ASSERT_TRUE(parser.Parse()) << parser.ErrorMessage();
        ASSERT_EQ(parser.Operands().Size(), 2u);
        EXPECT_TRUE(parser.Operands().Operand(1).IsDeepEqual(trees[i])) << text;
        EXPECT_TRUE(parser.Operands().Top().IsDeepEqual(trees[i + 1])) << text;
        EXPECT_FALSE(parser.Parse() || !parser.IsEndOfData());
    }
}

// Graphs that cannot be written inline throw; the writer stays usable.
TEST(GLOB_ObjectWriter, RefusesWhatCannotBeWrittenInline) {
    const GLOB_Doc doc = GLOB_ObjectFactory::MemoryDoc();
    const GLOB_Object self = doc.NewArray(1, true);  // 1 0 obj [1 0 R]
    self.ArrayPut(0, self);
    const std::string deepText = std::string(512, '[') + std::string(512, ']');
    const GLOB_Object doubling = Doubling(doc, 25);
    const GLOB_Object font = doc.NewDict(0);
    font.DictPut(GLOB_Name("FontFile"), StoreStream(doc, "data"));
    const std::pair<GLOB_Object, std::string> cases[] = {
        {self, "1151004 nested deeper than 512"},
        {doubling, "1151004 objects in one write"}, {font, "1151006 Unable to write objects of type Stream"},
    };
    for (const auto& [obj, expected] : cases) {
        GLOB_ObjectWriter writer(GLOB_Stream(new GLOB_ChunkedCore()));
        const std::string failure = Failure([&] { writer.WriteObject(obj); });
        EXPECT_EQ(failure.substr(0, 8), expected.substr(0, 8)) << failure;
        EXPECT_NE(failure.find(expected.substr(8)), std::string::npos) << failure;
        GLOB_ChunkedCore* core = new GLOB_ChunkedCore();
        writer.SetStream(GLOB_Stream(core));
        writer.WriteObject(doc.ParseObject(deepText.c_str()));
        writer.Flush();
        EXPECT_TRUE(core->written == deepText);
    }
    self.ArrayPut(0, doc.NewNull());  // the cycle would never be freed
}

TEST(GLOB_ObjectWriter, HandsTextToTheStreamOnlyWhenAskedOrFull) {
    GLOB_ChunkedCore* core = new GLOB_ChunkedCore();
    const GLOB_Stream stream(core);
    GLOB_ObjectWriter writer(stream, GLOB_ObjectWriter::TokenRoom);
    writer.WriteText(std::string(1000, 'x').c_str());
    writer.SetStream(stream);  // drops what was not flushed
    writer.WriteRaw("ab");
    writer.Flush();
    writer.Flush();
    EXPECT_EQ(core->written, std::string(2 * GLOB_ObjectWriter::TokenRoom, 'x') + "ab");
    EXPECT_EQ(core->flushes.size(), 3u);
    GLOB_StreamCore* shared = writer.Stream().Core();
    EXPECT_EQ(shared, core);
    shared->Release();
    EXPECT_TRUE(GLOB_ObjectWriter().Stream().IsNull());
    core->storeNothing = true;  // a device that refuses every byte
    writer.WriteInteger(1);
    EXPECT_THROW(writer.Flush(), GLIB_Exception);
}
