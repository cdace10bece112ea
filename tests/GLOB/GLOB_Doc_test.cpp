#include "GLOB/GLOB_Doc.h"

#include "GLOB/GLOB_Dict.h"
#include "GLOB/GLOB_FileName.h"
#include "GLOB_TestUtil.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

namespace {

class HookedDoc : public GLOB_Doc {
public:
    HookedDoc() : GLOB_Doc(GLOB_Memory_Impl::Make()) {}
    std::string m_calls;

protected:
    void DidOpen() override { m_calls += "open;"; }
    void WillClose() override { m_calls += IsOpen() ? "closing;" : "closing closed;"; }
};

}  // namespace

TEST(GLOB_Doc, ParseObjectBuildsTheSameObjectAsMadeByHand) {
    const GLOB_Doc doc = NewMemoryDoc();
    const GLOB_Object parsed = doc.ParseObject("<< /A [1 2.5 (x) /N#20x] /B << >> >>");
    EXPECT_EQ(parsed.GetImpl(), doc.Impl());
    EXPECT_TRUE(parsed.IsDirect());
    EXPECT_EQ(Printed(parsed), "-dict-");
    EXPECT_EQ(Printed(parsed.GetPath("A")), "[ 1 2.5 (x) /N#20x ]");

    const GLOB_Object byHand = doc.NewDict(2, false);
    const GLOB_Object array = doc.NewArray(0, false);
    for (const GLOB_Object& element : {doc.NewInteger(1, false), doc.NewReal(2.5, false),
                                       doc.NewString(GLOB_String("x"), false), doc.NewName(GLOB_Name("N x"), false)})
        array.ArrayPut(doc.Impl()->ArrayLength(array), element);
    byHand.DictPut(GLOB_Name("A"), array);
    byHand.DictPut(GLOB_Name("B"), doc.NewDict(0, false));
    EXPECT_TRUE(parsed.IsDeepEqual(byHand) && byHand.IsDeepEqual(parsed));
    // Given with its length, the text may hold NUL: white space between
    // tokens, a byte inside a string.
    const std::string withNul = std::string("<< /A [1 2.5 (x) /N#20x]") + '\0' + "/B << >> >>";
    EXPECT_TRUE(doc.ParseObject(withNul).IsDeepEqual(byHand));
    EXPECT_TRUE(doc.Impl()->StringValue(doc.ParseObject(std::string("(x\0y)", 5))) == GLOB_String("x\0y", 3));
    byHand.PutPath("/A[1]", doc.NewReal(2.6, false));
    EXPECT_FALSE(parsed.IsDeepEqual(byHand));

    // A repeated key keeps its first place and takes the last value, also in
    // a dictionary large enough to be indexed; the arrays it replaces go.
    std::string text = "<<";
    for (int i = 0; i < 40; ++i)
        text += " /K" + std::to_string(i) + " [" + std::to_string(i) + "]";
    const GLOB_Dict large = doc.ParseObject((text + " /K5 (five) /K0 /zero /K39 39 >>").c_str()).AsDict();
    std::string entries;
    GLOB_Name key;
    GLOB_Object value;
    for (uint32_t i : {0u, 5u, 6u, 39u})
        if (large.Entry(i, &key, &value))
            entries += key.CStr() + std::string("=") + Printed(value) + ";";
    EXPECT_EQ(std::to_string(large.Size()) + ":" + entries, "40:K0=/zero;K5=(five);K6=[ 6 ];K39=39;");
}

TEST(GLOB_Doc, ParseObjectFailures) {
    const GLOB_Doc doc = NewMemoryDoc();
    // Long texts are quoted by their first 64 bytes and their length.
    const std::string deep = std::string(100000, '[') + std::string(100000, ']');
    const std::string word(127, 'q'), endless(100000, 'q');
    const std::string q64 = word.substr(0, 64) + "...";
    const std::string cases[][2] = {
        {"1 2", "Encountered 2objects (1 expected) while parsing '1 2'"},
        {"", "Encountered 0objects (1 expected) while parsing ''"},
        {"1 0 R", "Unexpected operator detected: Rwhile parsing '1 0 R'"},
        {"(open", "Error encountered (Error parsing token: String is missing trailing ')') while parsing '(open'"},
        {"<</A 1]", "Error encountered (Array end ] does not match opening <<) while parsing '<</A 1]'"},
        {deep, "Error encountered (Arrays and dictionaries nested deeper than 512 levels) while parsing '" +
                   deep.substr(0, 64) + "...' (200000 bytes)"},
        {word, "Unexpected operator detected: " + q64 + " (127 bytes)while parsing '" + q64 + "' (127 bytes)"},
        {endless, "Error encountered (Error parsing token: A bare word is longer than 127 bytes: no operator or "
                  "keyword is) while parsing '" + q64 + "' (100000 bytes)"},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(Failure([&] { doc.ParseObject(cases[i][0].c_str()); }), "1151013 " + cases[i][1]);
    }
}

TEST(GLOB_Doc, DocumentsShareTheirBackEndAndRunTheirHooks) {
    EXPECT_THROW(GLOB_Doc().NewNull(), TestAssertionFailure);  // no back-end
    GLOB_Doc doc = NewMemoryDoc();
    GLOB_Doc copy(doc);
    GLOB_Doc assigned;
    assigned = doc;
    assigned = assigned;
    EXPECT_EQ(copy.NewDict(0, true).Doc().Impl(), doc.Impl());
    copy.Close();
    EXPECT_FALSE(doc.IsOpen() || assigned.IsOpen());
    EXPECT_THROW(doc.InfoDict(), TestAssertionFailure);
    EXPECT_THROW(doc.Save(), TestAssertionFailure);  // no file name

    HookedDoc hooked;
    hooked.Create("%PDF-1.3", 0);
    hooked.Create(GLOB_FileName("ignored.pdf"), "%PDF-1.4", 0);
    EXPECT_STREQ(hooked.Header(), "%PDF-1.4");
    hooked.Close();
    EXPECT_EQ(hooked.m_calls, "open;open;closing;");
}

TEST(GLOB_Doc, MakeCosObjRebuildsWithTheAskedIndirection) {
    const GLOB_Doc from = NewMemoryDoc();
    const GLOB_Object source = from.ParseObject("<< /A [ << /B 1 >> [2] ] /C 2.5 /D (s) /E /n /F true /G null >>");
    const GLOB_Doc to = NewMemoryDoc();
    const struct {
        uint32_t flags;
        bool top, innerDict, innerArray;
    } cases[] = {
        {0x00, false, false, false}, {0x01, true, false, false}, {0x10, false, false, false},
        {0x03, true, true, false},   {0x30, false, false, true}, {0x33, true, true, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.flags);
        const GLOB_Object made = to.MakeCosObj(source, c.flags);
        EXPECT_EQ(made.GetImpl(), to.Impl());
        EXPECT_TRUE(made.IsDeepEqual(source));
        EXPECT_EQ(!made.IsDirect(), c.top);
        EXPECT_EQ(!made.GetPath("/A[0]").IsDirect(), c.innerDict);
        EXPECT_EQ(!made.GetPath("/A[1]").IsDirect(), c.innerArray);
        EXPECT_EQ(!made.GetPath("A").IsDirect(), c.innerArray);
    }
    // A stream cannot be rebuilt, nor an exponential number of references;
    // a cycle ends at the rebuilt container.
    EXPECT_EQ(Failure([&] { to.MakeCosObj(StoreStream(from, "s"), 0); }),
              "1151006 MakeCosObj: Unrecognized type: 8");
    EXPECT_EQ(Failure([&] { to.MakeCosObj(Doubling(from, 20), 0); }).substr(0, 29), "1151004 MakeCosObj: more than");
    const GLOB_Object cycle = from.NewArray(1, false);
    cycle.ArrayPut(0, cycle);
    const GLOB_Object made = to.MakeCosObj(cycle, 0);
    EXPECT_TRUE(to.Impl()->IsEqual(made.Get(0), made));
    made.ArrayPut(0, GLOB_Object());
    cycle.ArrayPut(0, GLOB_Object());
}
