// The Cos table's object slots over the stand-in's store: types, enumeration,
// dictionaries on streams, arrays, documents of objects, foreign objects,
// fixed values and stale handles.
#include "VIEW_CosSlotFixture.h"

#include <vector>

namespace {

using ObjectSlotsTest = CosSlotsTest;

TEST_F(ObjectSlotsTest, TypesAreTheHostsNumbers) {
    const PDFL_CosDoc doc = NewDoc();
    const PDFL_CosObj stream =
        CosSlot<14>()(doc, 1, VIEW_Streams::OpenMemory("abc"), -1, 1, PDFL_CosObj{}, PDFL_CosObj{}, 3);
    struct Case {
        const char* m_what;
        PDFL_CosObj m_obj;
        int32_t m_type;
    } const cases[] = {
        {"null", CosSlot<6>()(), 0},
        {"integer", Int(doc, 7), 1},
        {"real", CosSlot<8>()(doc, 0, 0x18000), 2},
        {"boolean", CosSlot<9>()(doc, 0, 1), 3},
        {"name", Name(doc, "Foo"), 4},
        {"string", CosSlot<11>()(doc, 0, "ab", 2), 5},
        {"dictionary", Dict(doc), 6},
        {"array", CosSlot<12>()(doc, 0, 0), 7},
        {"stream", stream, 8},
        {"indirect integer", CosSlot<7>()(doc, 1, 7), 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.m_what);
        EXPECT_EQ(CosSlot<2>()(c.m_obj), c.m_type);
    }
    EXPECT_TRUE(CosSlot<3>()(stream));
    EXPECT_FALSE(CosSlot<3>()(Int(doc, 7)));
}

struct Seen {
    std::vector<std::pair<PDFL_CosObj, PDFL_CosObj>> m_entries;
    size_t m_stopAfter = 1000;
};

PDFL_Bool Collect(PDFL_CosObj key, PDFL_CosObj value, void* clientData) {
    Seen& seen = *static_cast<Seen*>(clientData);
    seen.m_entries.emplace_back(key, value);
    return seen.m_entries.size() < seen.m_stopAfter;
}

TEST_F(ObjectSlotsTest, EnumerationFollowsTheStoredOrderAndStopsAtZero) {
    const PDFL_CosDoc doc = NewDoc();
    const PDFL_CosObj dict = Dict(doc);
    for (const char* key : {"b", "a", "C"})
        CosSlot<22>()(dict, Atom(key), Int(doc, key[0]));

    Seen all;
    EXPECT_EQ(CosSlot<4>()(dict, Collect, &all), 1);
    ASSERT_EQ(all.m_entries.size(), 3u);
    std::string keys;
    for (const auto& [key, value] : all.m_entries)
        keys += NameText(key) + "=" + std::to_string(CosSlot<16>()(value)) + " ";
    EXPECT_EQ(keys, "b=98 a=97 C=67 ");

    Seen two;
    two.m_stopAfter = 2;
    EXPECT_EQ(CosSlot<4>()(dict, Collect, &two), 0) << "stopped before the end";
    EXPECT_EQ(two.m_entries.size(), 2u);

    Seen none;
    EXPECT_EQ(CosSlot<4>()(Dict(doc), Collect, &none), 1);
    EXPECT_TRUE(none.m_entries.empty()) << "an empty dictionary calls nothing";

    const PDFL_CosObj array = CosSlot<12>()(doc, 0, 0);
    CosSlot<26>()(array, 0, Int(doc, 5));
    CosSlot<26>()(array, 1, Name(doc, "N"));
    Seen elements;
    EXPECT_EQ(CosSlot<4>()(array, Collect, &elements), 1);
    ASSERT_EQ(elements.m_entries.size(), 2u);
    EXPECT_EQ(CosSlot<16>()(elements.m_entries[0].first), 5);
    EXPECT_EQ(NameText(elements.m_entries[1].first), "N");
    for (const auto& entry : elements.m_entries)
        EXPECT_EQ(CosSlot<2>()(entry.second), 0) << "an element comes with a Null value";

    const VIEW_Raised scalar = VIEW_RaisedBy([&] { CosSlot<4>()(Int(doc, 1), Collect, &none); });
    EXPECT_EQ(scalar.m_text.rfind("Bad Cos object: ", 0), 0u) << scalar.m_text;
}

TEST_F(ObjectSlotsTest, DictionarySlotsActOnAStreamsDictionary) {
    const PDFL_CosDoc doc = NewDoc();
    const PDFL_CosObj stream =
        CosSlot<14>()(doc, 1, VIEW_Streams::OpenMemory("xyz"), -1, 1, PDFL_CosObj{}, PDFL_CosObj{}, 3);
    CosSlot<22>()(stream, Atom("Type"), Name(doc, "XObject"));
    EXPECT_TRUE(CosSlot<24>()(stream, Atom("Type")));
    EXPECT_EQ(NameText(CosSlot<21>()(stream, Atom("Type"))), "XObject");
    const PDFL_CosObj dict = CosSlot<31>()(stream);
    EXPECT_EQ(NameText(CosSlot<21>()(dict, Atom("Type"))), "XObject") << "the same dictionary";
    EXPECT_EQ(CosSlot<16>()(CosSlot<21>()(dict, Atom("Length"))), 3);
    CosSlot<23>()(stream, Atom("Type"));
    EXPECT_FALSE(CosSlot<24>()(dict, Atom("Type")));
    EXPECT_EQ(CosSlot<2>()(CosSlot<21>()(stream, Atom("Type"))), 0) << "absent reads as Null";
}

TEST_F(ObjectSlotsTest, ArraysStartWithNullsAndGrowPastTheEnd) {
    const PDFL_CosDoc doc = NewDoc();
    const PDFL_CosObj array = CosSlot<12>()(doc, 0, 3);
    ASSERT_EQ(CosSlot<29>()(array), 3);
    for (int32_t i = 0; i < 3; ++i)
        EXPECT_EQ(CosSlot<2>()(CosSlot<25>()(array, i)), 0);
    CosSlot<26>()(array, 5, Int(doc, 50));
    EXPECT_EQ(CosSlot<29>()(array), 6);
    EXPECT_EQ(CosSlot<2>()(CosSlot<25>()(array, 4)), 0);
    CosSlot<27>()(array, 0, Int(doc, -1));
    EXPECT_EQ(CosSlot<16>()(CosSlot<25>()(array, 0)), -1);
    EXPECT_EQ(CosSlot<16>()(CosSlot<25>()(array, 6)), 50);
    CosSlot<52>()(array, 0);
    EXPECT_EQ(CosSlot<29>()(array), 6);
    EXPECT_EQ(CosSlot<29>()(CosSlot<12>()(doc, 0, -4)), 0) << "a negative count makes no Nulls";

    struct Case {
        const char* m_what;
        void (*m_call)(PDFL_CosObj array);
        const char* m_text;
    } const refusals[] = {
        {"get past the end", [](PDFL_CosObj a) { CosSlot<25>()(a, 6); }, "past the end"},
        {"negative get", [](PDFL_CosObj a) { CosSlot<25>()(a, -1); }, "ArrayGet: index -1 is negative"},
        {"negative put", [](PDFL_CosObj a) { CosSlot<26>()(a, -2, PDFL_CosObj{}); }, "index -2 is negative"},
        {"remove past the end", [](PDFL_CosObj a) { CosSlot<52>()(a, 9); }, "past the end"},
    };
    for (const Case& c : refusals) {
        SCOPED_TRACE(c.m_what);
        const VIEW_Raised raised = VIEW_RaisedBy([&] { c.m_call(array); });
        EXPECT_NE(raised.m_text.find(c.m_text), std::string::npos) << raised.m_text;
        EXPECT_EQ(CosSlot<29>()(array), 6) << "a refusal changes nothing";
    }
}

TEST_F(ObjectSlotsTest, DirectScalarsHaveNoDocument) {
    const PDFL_CosDoc doc = NewDoc();
    EXPECT_EQ(CosSlot<5>()(Int(doc, 1)), nullptr);
    EXPECT_EQ(CosSlot<5>()(Name(doc, "N")), nullptr);
    EXPECT_EQ(CosSlot<5>()(CosSlot<6>()()), nullptr);
    EXPECT_EQ(CosSlot<5>()(CosSlot<7>()(doc, 1, 1)), doc) << "indirect";
    EXPECT_EQ(CosSlot<5>()(CosSlot<8>()(doc, 0, 98304)), nullptr) << "direct real";
    EXPECT_EQ(CosSlot<5>()(CosSlot<8>()(doc, 1, 98304)), doc) << "indirect real";
    EXPECT_EQ(CosSlot<5>()(Dict(doc)), doc) << "direct container";
    EXPECT_EQ(CosSlot<5>()(CosSlot<12>()(doc, 0, 1)), doc);

    const PDFL_CosObj indirect = CosSlot<13>()(doc, 1, 0);
    EXPECT_GT(CosSlot<43>()(indirect), 1) << "object 1 is the root";
    EXPECT_EQ(CosSlot<44>()(indirect), 0);
    const VIEW_Raised direct = VIEW_RaisedBy([&] { CosSlot<43>()(Dict(doc)); });
    EXPECT_NE(direct.m_text.find("is direct"), std::string::npos) << direct.m_text;
}

TEST_F(ObjectSlotsTest, ObjectsOfAnotherDocumentAreRefusedUnlessDirectScalars) {
    const PDFL_CosDoc mine = NewDoc();
    const PDFL_CosDoc other = NewDoc();
    const PDFL_CosObj root = CosSlot<34>()(mine);
    struct Case {
        const char* m_what;
        PDFL_CosObj m_value;
        const char* m_text;
    } const refused[] = {
        {"indirect", CosSlot<13>()(other, 1, 0), "is an indirect object of another document"},
        {"direct dictionary", Dict(other), "is a direct container of another document"},
        {"direct array", CosSlot<12>()(other, 0, 2), "is a direct container of another document"},
    };
    for (const Case& c : refused) {
        SCOPED_TRACE(c.m_what);
        const VIEW_Raised put = VIEW_RaisedBy([&] { CosSlot<22>()(root, Atom("K"), c.m_value); });
        EXPECT_EQ(put.m_text.rfind("Bad Cos object: DictPut: ", 0), 0u) << put.m_text;
        EXPECT_NE(put.m_text.find(c.m_text), std::string::npos) << put.m_text;
        EXPECT_FALSE(CosSlot<24>()(root, Atom("K")));
        const VIEW_Raised insert =
            VIEW_RaisedBy([&] { CosSlot<27>()(CosSlot<12>()(mine, 0, 0), 0, c.m_value); });
        EXPECT_NE(insert.m_text.find(c.m_text), std::string::npos) << insert.m_text;
    }
    CosSlot<22>()(root, Atom("K"), Int(other, 12));
    EXPECT_EQ(CosSlot<16>()(CosSlot<21>()(root, Atom("K"))), 12) << "a direct scalar is copied";
    EXPECT_EQ(CosSlot<21>()(root, Atom("K")).m_word0, CosSlot<34>()(mine).m_word0);
}

TEST_F(ObjectSlotsTest, FixedValuesRoundTripAndSaturate) {
    const PDFL_CosDoc doc = NewDoc();
    struct Case {
        const char* m_what;
        PDFL_CosObj m_obj;
        PDFL_Fixed m_fixed;
    } const cases[] = {
        {"fixed 1.5", CosSlot<8>()(doc, 0, 98304), 98304},
        {"fixed -1/65536", CosSlot<8>()(doc, 0, -1), -1},
        {"largest fixed", CosSlot<8>()(doc, 0, 0x7FFFFFFF), 0x7FFFFFFF},
        {"integer 3", Int(doc, 3), 3 << 16},
        {"integer 40000", Int(doc, 40000), 0x7FFFFFFF},
        {"integer -40000", Int(doc, -40000), -0x7FFFFFFF},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.m_what);
        EXPECT_EQ(CosSlot<17>()(c.m_obj), c.m_fixed);
    }
    EXPECT_EQ(CosSlot<16>()(CosSlot<8>()(doc, 0, 98304)), 1) << "a real's integer value truncates";
    const VIEW_Raised name = VIEW_RaisedBy([&] { CosSlot<17>()(Name(doc, "N")); });
    EXPECT_NE(name.m_text.find("is Name, not Real"), std::string::npos) << name.m_text;
}

TEST_F(ObjectSlotsTest, StringsKeepEveryByteAndNamesAreAtoms) {
    const PDFL_CosDoc doc = NewDoc();
    const std::string bytes("a\0b)\xff", 5);
    const PDFL_CosObj string = CosSlot<11>()(doc, 0, bytes.data(), 5);
    int32_t length = -1;
    const char* stored = CosSlot<20>()(string, &length);
    ASSERT_EQ(length, 5);
    EXPECT_EQ(std::string(stored, 5), bytes);
    EXPECT_EQ(CosSlot<1>()(string, CosSlot<11>()(doc, 0, bytes.data(), 5)), 1) << "equal by value";
    EXPECT_EQ(CosSlot<1>()(string, CosSlot<11>()(doc, 0, "a", 1)), 0);

    EXPECT_EQ(CosSlot<19>()(Name(doc, "DeviceN")), Atom("DeviceN"));
    EXPECT_EQ(CosSlot<1>()(Name(doc, "A"), Name(doc, "A")), 1);
    EXPECT_EQ(CosSlot<18>()(CosSlot<9>()(doc, 0, 7)), 1);
}

TEST_F(ObjectSlotsTest, HandlesOfAClosedDocumentAreHostErrors) {
    const PDFL_CosDoc doc = NewDoc();
    const PDFL_CosObj root = CosSlot<34>()(doc);
    const PDFL_CosObj dict = Dict(doc);
    CosSlot<39>()(doc);
    EXPECT_EQ(VIEW_Cos::OpenDocCount(), 0u);
    for (PDFL_CosObj stale : {root, dict}) {
        const VIEW_Raised raised = VIEW_RaisedBy([&] { CosSlot<2>()(stale); });
        EXPECT_EQ(raised.m_text.rfind("Bad Cos object: ", 0), 0u) << raised.m_text;
        EXPECT_NE(raised.m_text.find("belongs to no open document"), std::string::npos);
    }
    const VIEW_Raised closed = VIEW_RaisedBy([&] { CosSlot<34>()(doc); });
    EXPECT_EQ(closed.m_text.rfind("Bad Cos document: ", 0), 0u) << closed.m_text;
    VIEW_RaisedBy([&] { CosSlot<39>()(doc); });
    VIEW_RaisedBy([&] { CosSlot<7>()(nullptr, 0, 1); });
    const VIEW_Raised forged = VIEW_RaisedBy([&] { CosSlot<2>()(PDFL_CosObj{0x99, 7}); });
    EXPECT_NE(forged.m_text.find("Cos object (153, 7)"), std::string::npos) << forged.m_text;
}

}  // namespace
