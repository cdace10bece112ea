#include "GLOB/GLOB_Doc.h"

#include "GLIB/GLIB_Exception.h"
#include "GLOB/GLOB_Array.h"
#include "GLOB/GLOB_Dict.h"
#include "GLOB/GLOB_FileName.h"
#include "GLOB/GLOB_Memory_Impl.h"
#include "GLOB/GLOB_Stream.h"
#include "GLOB/GLOB_StringStream.h"
#include "TestBackEnd.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

namespace {

GLOB_Doc NewMemoryDoc() {
    GLOB_Doc doc = GLOB_Memory_Impl::Make();
    doc.Create("%PDF-1.3", 0);
    return doc;
}

std::string Printed(const GLOB_Object& obj) {
    std::ostringstream os;
    obj.Print(os);
    return os.str();
}

std::string ParseFailure(const GLOB_Doc& doc, const std::string& text) {
    try {
        doc.ParseObject(text.c_str());
    } catch (const GLIB_Exception& e) {
        return std::to_string(e.Code()) + " " + e.What();
    }
    return "no exception";
}

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
    EXPECT_TRUE(parsed.GetPath("/A[3]").AsName() == "N x");

    const GLOB_Object byHand = doc.NewDict(2, false);
    const GLOB_Object array = doc.NewArray(0, false);
    array.ArrayPut(0, doc.NewInteger(1, false));
    array.ArrayPut(1, doc.NewReal(2.5, false));
    array.ArrayPut(2, doc.NewString(GLOB_String("x"), false));
    array.ArrayPut(3, doc.NewName(GLOB_Name("N x"), false));
    byHand.DictPut(GLOB_Name("A"), array);
    byHand.DictPut(GLOB_Name("B"), doc.NewDict(0, false));
    EXPECT_TRUE(parsed.IsDeepEqual(byHand));
    EXPECT_TRUE(byHand.IsDeepEqual(parsed));
    byHand.PutPath("/A[1]", doc.NewReal(2.6, false));
    EXPECT_FALSE(parsed.IsDeepEqual(byHand));
}

TEST(GLOB_Doc, ParseObjectFailures) {
    const GLOB_Doc doc = NewMemoryDoc();
    struct Case {
        std::string text;
        std::string failure;
    };
    const Case cases[] = {
        {"1 2", "1151013 Encountered 2objects (1 expected) while parsing '1 2'"},
        {"", "1151013 Encountered 0objects (1 expected) while parsing ''"},
        {"q", "1151013 Unexpected operator detected: qwhile parsing 'q'"},
        {"1 0 R", "1151013 Unexpected operator detected: Rwhile parsing '1 0 R'"},
        {"<< /A 1 /B >>",
         "1151013 Error encountered (Dictionary must have an even number of objects between << and >>, found 3) "
         "while parsing '<< /A 1 /B >>'"},
        {"<< 1 2 >>",
         "1151013 Error encountered (Dictionary keys must be names, found Integer: ) while parsing '<< 1 2 >>'"},
        {"1 2 ]", "1151013 Error encountered (Array is missing opening [) while parsing '1 2 ]'"},
        {">>", "1151013 Error encountered (Dictionary is missing opening <<) while parsing '>>'"},
        {"(open",
         "1151013 Error encountered (Error parsing token: String is missing trailing ')') while parsing '(open'"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(ParseFailure(doc, c.text), c.failure);
    }
}

TEST(GLOB_Doc, DeeplyNestedTextEndsWithTheParsersException) {
    const GLOB_Doc doc = NewMemoryDoc();
    const std::string deep = std::string(100000, '[') + std::string(100000, ']');
    const std::string failure = ParseFailure(doc, deep);
    EXPECT_EQ(failure.substr(0, 92),
              "1151013 Error encountered (Arrays and dictionaries nested deeper than 512 levels) while pars");
    // The deepest nesting allowed parses, prints and compares.
    const std::string limit = std::string(GLOB_Object::MaxNesting, '[') + std::string(GLOB_Object::MaxNesting, ']');
    const GLOB_Object parsed = doc.ParseObject(limit.c_str());
    EXPECT_EQ(Printed(parsed).size(), 4u * GLOB_Object::MaxNesting - 1);
    EXPECT_TRUE(parsed.IsDeepEqual(NewMemoryDoc().ParseObject(limit.c_str())));
}

TEST(GLOB_Doc, DocumentsShareTheirBackEnd) {
    EXPECT_EQ(GLOB_Doc().ImplementationType(), 6);
    GLOB_Doc doc = NewMemoryDoc();
    GLOB_Doc copy(doc);
    GLOB_Doc assigned;
    assigned = doc;
    assigned = assigned;
    EXPECT_EQ(doc.Impl()->RefCount(), 3u);
    const GLOB_Object made = copy.NewDict(0, true);
    EXPECT_EQ(made.Doc().Impl(), doc.Impl());
    copy.Close();
    EXPECT_FALSE(doc.IsOpen());
    EXPECT_FALSE(assigned.IsOpen());
    EXPECT_THROW(doc.InfoDict(), TestAssertionFailure);
    EXPECT_THROW(GLOB_Doc().NewNull(), TestAssertionFailure);
    EXPECT_THROW(doc.Save(), TestAssertionFailure);  // no file name
}

TEST(GLOB_Doc, HooksRunAroundOpenAndClose) {
    HookedDoc doc;
    doc.Create("%PDF-1.3", 0);
    doc.Create(GLOB_FileName("ignored.pdf"), "%PDF-1.4", 0);
    EXPECT_STREQ(doc.Header(), "%PDF-1.4");
    doc.Close();
    EXPECT_EQ(doc.m_calls, "open;open;closing;");
}

TEST(GLOB_Doc, NewStreamCopiesAForeignAttributeDictionary) {
    const GLOB_Doc fake = TestBackEnd::Make();
    const GLOB_Doc memory = NewMemoryDoc();
    const GLOB_Object attributes = memory.ParseObject("<< /Filter /X >>");
    const GLOB_Object stream = TestBackEnd::NewStream(fake, "12345", attributes);
    EXPECT_EQ(stream.IntegerValue("Length"), 5);
    EXPECT_TRUE(stream.NameValue("Filter") == "X");
    EXPECT_FALSE(attributes.KnownPath("Length"));
    EXPECT_THROW(fake.NewStream(GLOB_Stream(new GLOB_StringStream("1")), 1, memory.NewDict(0, true), GLOB_Object(),
                                -1),
                 TestAssertionFailure);
    EXPECT_THROW(fake.NewStream(GLOB_Stream(new GLOB_StringStream("1")), 1, GLOB_Object(), memory.NewInteger(1, false),
                                -1),
                 TestAssertionFailure);
}

TEST(GLOB_Doc, MakeCosObjRebuildsWithTheAskedIndirection) {
    const GLOB_Doc from = NewMemoryDoc();
    const GLOB_Object source = from.ParseObject("<< /A [ << /B 1 >> [2] ] /C 2.5 /D (s) /E /n /F true /G null >>");
    const GLOB_Doc to = NewMemoryDoc();
    struct Case {
        uint32_t flags;
        bool top;
        bool innerDict;
        bool innerArray;
    };
    const Case cases[] = {
        {0x00, false, false, false}, {0x01, true, false, false}, {0x10, false, false, false},
        {0x03, true, true, false},   {0x30, false, false, true}, {0x33, true, true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.flags);
        const GLOB_Object made = to.MakeCosObj(source, c.flags);
        EXPECT_EQ(made.GetImpl(), to.Impl());
        EXPECT_TRUE(made.IsDeepEqual(source));
        EXPECT_EQ(!made.IsDirect(), c.top);
        EXPECT_EQ(!made.GetPath("/A[0]").IsDirect(), c.innerDict);
        EXPECT_EQ(!made.GetPath("/A[1]").IsDirect(), c.innerArray);
        EXPECT_EQ(!made.GetPath("A").IsDirect(), c.innerArray);
    }
    // A stream cannot be rebuilt; a cycle ends at the rebuilt container.
    try {
        to.MakeCosObj(TestBackEnd::NewStream(TestBackEnd::Make(), "s"), 0);
        ADD_FAILURE() << "no exception";
    } catch (const GLIB_Exception& e) {
        EXPECT_EQ(e.Code(), 1151006u);
        EXPECT_STREQ(e.What(), "MakeCosObj: Unrecognized type: 8");
    }
    const GLOB_Object cycle = from.NewArray(1, false);
    cycle.ArrayPut(0, cycle);
    const GLOB_Object made = to.MakeCosObj(cycle, 0);
    EXPECT_TRUE(to.Impl()->IsEqual(made.Get(0), made));
    made.ArrayPut(0, GLOB_Object());
    cycle.ArrayPut(0, GLOB_Object());
}
