// The Cos store: object kinds, containers, enumeration, ownership across
// documents, stale handles and 16.16 values; the dictionary index's hash
// and step counter.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "viewer/cos/VCOS_DictEntries.h"
#include "viewer/cos/VCOS_Error.h"
#include "viewer/cos/VCOS_KeyHash.h"
#include "viewer/cos/VCOS_Store.h"
#include "VCOS_ErrorCatch.h"

namespace {


class VCOS_StoreTest : public ::testing::Test {
protected:
    VCOS_Store m_store;
    VCOS_DocId m_doc = m_store.CreateDoc();
};

TEST_F(VCOS_StoreTest, NewObjectsHaveTheHostTypesAndOnlyContainersNameTheirDocument) {
    struct Row {
        const char* what;
        VCOS_Obj obj;
        VCOS_Type type;
        bool hasDoc;
    };
    const Row rows[] = {
        {"null", m_store.NewNull(), VCOS_Type::Null, false},
        {"integer", m_store.NewInteger(m_doc, false, 7), VCOS_Type::Integer, false},
        {"real", m_store.NewReal(m_doc, false, 2.5), VCOS_Type::Real, false},
        {"fixed", m_store.NewFixed(m_doc, false, 98304), VCOS_Type::Real, false},
        {"boolean", m_store.NewBoolean(m_doc, false, true), VCOS_Type::Boolean, false},
        {"name", m_store.NewName(m_doc, false, "Cyan"), VCOS_Type::Name, false},
        {"string", m_store.NewString(m_doc, false, std::string("a\0b", 3)), VCOS_Type::String, false},
        {"array", m_store.NewArray(m_doc, false, 0), VCOS_Type::Array, true},
        {"dict", m_store.NewDict(m_doc, false), VCOS_Type::Dict, true},
        {"stream", m_store.NewStream(m_doc, true, "xyz", VCOS_NullObj), VCOS_Type::Stream, true},
        {"indirect integer", m_store.NewInteger(m_doc, true, 1), VCOS_Type::Integer, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        EXPECT_EQ(m_store.Type(row.obj), row.type);
        EXPECT_EQ(m_store.DocOf(row.obj), row.hasDoc ? m_doc : 0u);
    }
    EXPECT_EQ(m_store.StringValue(rows[6].obj), std::string("a\0b", 3));
    EXPECT_EQ(m_store.FixedValue(rows[3].obj), 98304);
}

TEST_F(VCOS_StoreTest, IndirectObjectsAreNumberedAfterTheRoot) {
    const VCOS_Obj root = m_store.Root(m_doc);
    EXPECT_EQ(m_store.Type(root), VCOS_Type::Dict);
    EXPECT_EQ(m_store.Number(root), 1u);
    const VCOS_Obj next = m_store.NewString(m_doc, true, "x");
    EXPECT_EQ(m_store.Number(next), 2u);
    EXPECT_EQ(m_store.Generation(next), 0u);
    EXPECT_EQ(VCOS_Thrown([&] { m_store.Number(m_store.NewInteger(m_doc, false, 1)); }).Kind(), VCOS_ErrorKind::BadObject);
}

TEST_F(VCOS_StoreTest, FixedValuesRoundHalvesAwayFromZeroAndSaturate) {
    struct Row {
        double value;
        int32_t fixed;
    };
    const Row rows[] = {
        {1.5, 98304},           {-0.00001, -1},         {0.00001, 1},
        {40000.0, 0x7FFFFFFF},  {-40000.0, -0x7FFFFFFF}, {32767.99999, 0x7FFFFFFF},
        {-32768.0, -0x7FFFFFFF}, {0.5 / 65536, 1},       {-0.5 / 65536, -1},
        {3, 196608},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.value);
        EXPECT_EQ(m_store.FixedValue(m_store.NewReal(m_doc, false, row.value)), row.fixed);
    }
    EXPECT_EQ(m_store.FixedValue(m_store.NewInteger(m_doc, false, 3)), 196608);
    EXPECT_EQ(m_store.FixedValue(m_store.NewInteger(m_doc, false, 100000)), 0x7FFFFFFF);
    EXPECT_EQ(m_store.FixedValue(m_store.NewFixed(m_doc, false, 98304)), 98304);
    EXPECT_EQ(m_store.FixedValue(m_store.NewFixed(m_doc, false, -0x7FFFFFFF)), -0x7FFFFFFF);
    EXPECT_EQ(m_store.IntegerValue(m_store.NewReal(m_doc, false, -2.75)), -2);
    EXPECT_EQ(VCOS_Thrown([&] { m_store.FixedValue(m_store.NewName(m_doc, false, "N")); }).Kind(),
              VCOS_ErrorKind::BadObject);
}

TEST_F(VCOS_StoreTest, ArraysStartWithNullsAndGrowWithNulls) {
    const VCOS_Obj array = m_store.NewArray(m_doc, false, 3);
    ASSERT_EQ(m_store.ArrayLength(array), 3u);
    for (uint32_t i = 0; i < 3; ++i)
        EXPECT_EQ(m_store.Type(m_store.ArrayGet(array, i)), VCOS_Type::Null);

    m_store.ArrayPut(array, 5, m_store.NewInteger(m_doc, false, 5));
    ASSERT_EQ(m_store.ArrayLength(array), 6u);
    EXPECT_EQ(m_store.Type(m_store.ArrayGet(array, 4)), VCOS_Type::Null);
    EXPECT_EQ(m_store.IntegerValue(m_store.ArrayGet(array, 5)), 5);

    m_store.ArrayInsert(array, 0, m_store.NewInteger(m_doc, false, -1));
    m_store.ArrayInsert(array, 9, m_store.NewInteger(m_doc, false, 9));
    ASSERT_EQ(m_store.ArrayLength(array), 10u);
    EXPECT_EQ(m_store.IntegerValue(m_store.ArrayGet(array, 0)), -1);
    EXPECT_EQ(m_store.IntegerValue(m_store.ArrayGet(array, 6)), 5);
    EXPECT_EQ(m_store.Type(m_store.ArrayGet(array, 8)), VCOS_Type::Null);

    m_store.ArrayRemoveNth(array, 0);
    EXPECT_EQ(m_store.IntegerValue(m_store.ArrayGet(array, 5)), 5);

    const VCOS_Error pastEnd = VCOS_Thrown([&] { m_store.ArrayGet(array, 9); });
    EXPECT_NE(std::string(pastEnd.what()).find("index 9 is past the end"), std::string::npos) << pastEnd.what();
    EXPECT_EQ(VCOS_Thrown([&] { m_store.ArrayRemoveNth(array, 9); }).Kind(), VCOS_ErrorKind::BadObject);
    EXPECT_EQ(VCOS_Thrown([&] { m_store.ArrayPut(array, 0xFFFFFFFF, VCOS_NullObj); }).Kind(), VCOS_ErrorKind::BadObject);
    EXPECT_EQ(VCOS_Thrown([&] { m_store.NewArray(m_doc, false, 0xFFFFFFFF); }).Kind(), VCOS_ErrorKind::BadObject);
}

TEST_F(VCOS_StoreTest, DictionaryOperationsOnAStreamWorkOnItsDictionary) {
    const VCOS_Obj stream = m_store.NewStream(m_doc, true, "abcd", VCOS_NullObj);
    const VCOS_Obj dict = m_store.StreamDict(stream);
    EXPECT_EQ(m_store.IntegerValue(m_store.DictGet(stream, "Length")), 4);

    m_store.DictPut(stream, "Filter", m_store.NewName(m_doc, false, "FlateDecode"));
    EXPECT_TRUE(m_store.DictKnown(dict, "Filter"));
    EXPECT_EQ(m_store.NameValue(m_store.DictGet(dict, "Filter")), "FlateDecode");
    m_store.DictRemove(stream, "Filter");
    EXPECT_FALSE(m_store.DictKnown(stream, "Filter"));
    EXPECT_EQ(m_store.Type(m_store.DictGet(stream, "Filter")), VCOS_Type::Null);

    std::vector<std::string> keys;
    EXPECT_TRUE(m_store.Enum(stream, [&](VCOS_Obj key, VCOS_Obj) {
        keys.push_back(m_store.NameValue(key));
        return true;
    }));
    EXPECT_EQ(keys, std::vector<std::string>{"Length"});
    EXPECT_EQ(VCOS_Thrown([&] { m_store.DictPut(m_store.NewArray(m_doc, false, 0), "K", VCOS_NullObj); }).Kind(),
              VCOS_ErrorKind::BadObject);
}

TEST_F(VCOS_StoreTest, EnumGoesInStoredOrderAndStopsAtAFalseAnswer) {
    const VCOS_Obj empty = m_store.NewDict(m_doc, false);
    int calls = 0;
    EXPECT_TRUE(m_store.Enum(empty, [&](VCOS_Obj, VCOS_Obj) { return ++calls, true; }));
    EXPECT_EQ(calls, 0);

    const VCOS_Obj dict = m_store.NewDict(m_doc, false);
    for (const char* key : {"b", "a", "C"})
        m_store.DictPut(dict, key, m_store.NewString(m_doc, false, key));
    m_store.DictPut(dict, "a", m_store.NewString(m_doc, false, "again"));  // replaces in place
    std::vector<std::string> seen;
    EXPECT_TRUE(m_store.Enum(dict, [&](VCOS_Obj key, VCOS_Obj value) {
        seen.push_back(m_store.NameValue(key) + "=" + m_store.StringValue(value));
        return true;
    }));
    EXPECT_EQ(seen, (std::vector<std::string>{"b=b", "a=again", "C=C"}));

    seen.clear();
    EXPECT_FALSE(m_store.Enum(dict, [&](VCOS_Obj key, VCOS_Obj) {
        seen.push_back(m_store.NameValue(key));
        return seen.size() < 2;
    }));
    EXPECT_EQ(seen, (std::vector<std::string>{"b", "a"}));

    // An array's elements come with a Null value; removing during the walk
    // does not disturb it.
    const VCOS_Obj array = m_store.NewArray(m_doc, false, 0);
    for (int i = 0; i < 3; ++i)
        m_store.ArrayPut(array, i, m_store.NewInteger(m_doc, false, i * 10));
    std::vector<int> elements;
    EXPECT_TRUE(m_store.Enum(array, [&](VCOS_Obj element, VCOS_Obj value) {
        EXPECT_EQ(m_store.Type(value), VCOS_Type::Null);
        elements.push_back(m_store.IntegerValue(element));
        if (m_store.ArrayLength(array) > 0)
            m_store.ArrayRemoveNth(array, 0);
        return true;
    }));
    EXPECT_EQ(elements, (std::vector<int>{0, 10, 20}));
    EXPECT_EQ(VCOS_Thrown([&] { m_store.Enum(m_store.NewInteger(m_doc, false, 1), [](VCOS_Obj, VCOS_Obj) {
                  return true;
              }); }).Kind(),
              VCOS_ErrorKind::BadObject);
}

// Dictionaries on both sides of the size from which keys are indexed, built
// in a scrambled order with values replaced and keys removed on the way,
// hold what a plain list of pairs holds, in its order, which the writer
// keeps.
TEST_F(VCOS_StoreTest, IndexedDictionariesKeepTheirOrderThroughPutsAndRemovals) {
    const auto keyOf = [](int i, int keys) { return "K" + std::to_string(i * 7919 % keys); };
    for (const int keys : {10, 1000}) {
        SCOPED_TRACE(keys);
        const VCOS_Obj dict = m_store.NewDict(m_doc, false);
        std::vector<std::pair<std::string, int>> model;
        for (int i = 0; i < keys; ++i) {
            // Every third step replaces an earlier key's value, every seventh removes one.
            const std::string key = keyOf(i % 3 == 2 ? i / 2 : i, keys);
            const auto same = [&](const auto& entry) { return entry.first == key; };
            const auto found = std::find_if(model.begin(), model.end(), same);
            if (i % 7 == 6) {
                m_store.DictRemove(dict, key);
                model.erase(std::remove_if(model.begin(), model.end(), same), model.end());
            } else {
                m_store.DictPut(dict, key, m_store.NewInteger(m_doc, false, i));
                if (found == model.end())
                    model.emplace_back(key, i);
                else
                    found->second = i;
            }
        }
        std::vector<std::pair<std::string, int>> seen;
        m_store.Enum(dict, [&](VCOS_Obj key, VCOS_Obj value) {
            seen.emplace_back(m_store.NameValue(key), m_store.IntegerValue(value));
            EXPECT_EQ(m_store.IntegerValue(m_store.DictGet(dict, seen.back().first)), seen.back().second);
            return true;
        });
        EXPECT_EQ(seen, model);
    }
}

TEST_F(VCOS_StoreTest, ObjectsOfAnotherDocument) {
    const VCOS_DocId other = m_store.CreateDoc();
    const VCOS_Obj dict = m_store.NewDict(m_doc, false);
    struct Row {
        const char* what;
        VCOS_Obj value;
    };
    const Row refused[] = {
        {"indirect dictionary", m_store.Root(other)},
        {"indirect integer", m_store.NewInteger(other, true, 1)},
        {"direct dictionary", m_store.NewDict(other, false)},
        {"direct array", m_store.NewArray(other, false, 1)},
    };
    for (const Row& row : refused) {
        SCOPED_TRACE(row.what);
        const VCOS_Error error = VCOS_Thrown([&] { m_store.DictPut(dict, "K", row.value); });
        EXPECT_EQ(error.Kind(), VCOS_ErrorKind::BadObject);
        EXPECT_NE(std::string(error.what()).find("of another document"), std::string::npos) << error.what();
        EXPECT_EQ(VCOS_Thrown([&] { m_store.ArrayPut(m_store.NewArray(m_doc, false, 0), 0, row.value); }).Kind(),
                  VCOS_ErrorKind::BadObject);
    }
    EXPECT_FALSE(m_store.DictKnown(dict, "K"));

    // Direct scalars are copied, so they outlive their document.
    m_store.DictPut(dict, "S", m_store.NewString(other, false, "kept"));
    m_store.DictPut(dict, "N", m_store.NewName(other, false, "Kept"));
    m_store.CloseDoc(other);
    EXPECT_EQ(m_store.StringValue(m_store.DictGet(dict, "S")), "kept");
    EXPECT_EQ(m_store.NameValue(m_store.DictGet(dict, "N")), "Kept");
}

TEST_F(VCOS_StoreTest, StaleAndBogusHandlesAreErrorsThatNameThem) {
    const VCOS_DocId other = m_store.CreateDoc();
    const VCOS_Obj root = m_store.Root(other);
    m_store.CloseDoc(other);
    const VCOS_Error stale = VCOS_Thrown([&] { m_store.Type(root); });
    EXPECT_EQ(stale.Kind(), VCOS_ErrorKind::BadObject);
    EXPECT_NE(std::string(stale.what()).find(VCOS_Describe(root)), std::string::npos) << stale.what();

    const VCOS_Obj bogus[] = {{m_doc, 0}, {m_doc, 999}, {0, 5}, {77, 1}};
    for (const VCOS_Obj obj : bogus) {
        SCOPED_TRACE(VCOS_Describe(obj));
        const VCOS_Error error = VCOS_Thrown([&] { m_store.Type(obj); });
        EXPECT_NE(std::string(error.what()).find(VCOS_Describe(obj)), std::string::npos) << error.what();
    }
    EXPECT_EQ(VCOS_Thrown([&] { m_store.CloseDoc(other); }).Kind(), VCOS_ErrorKind::BadDocument);
    EXPECT_EQ(VCOS_Thrown([&] { m_store.NewInteger(0, false, 1); }).Kind(), VCOS_ErrorKind::BadDocument);
    EXPECT_EQ(VCOS_Thrown([&] { m_store.DictPut(VCOS_NullObj, "K", VCOS_NullObj); }).Kind(), VCOS_ErrorKind::BadObject);
}

TEST_F(VCOS_StoreTest, EqualComparesDirectValuesAndIndirectIdentity) {
    auto pair = [&](int a, const char* b) {
        const VCOS_Obj array = m_store.NewArray(m_doc, false, 0);
        m_store.ArrayPut(array, 0, m_store.NewInteger(m_doc, false, a));
        m_store.ArrayPut(array, 1, m_store.NewName(m_doc, false, b));
        return array;
    };
    EXPECT_TRUE(m_store.Equal(pair(1, "A"), pair(1, "A")));
    EXPECT_FALSE(m_store.Equal(pair(1, "A"), pair(1, "B")));
    EXPECT_FALSE(m_store.Equal(m_store.NewInteger(m_doc, false, 1), m_store.NewReal(m_doc, false, 1)));
    EXPECT_FALSE(m_store.Equal(m_store.NewString(m_doc, true, "s"), m_store.NewString(m_doc, true, "s")));
    const VCOS_Obj indirect = m_store.NewString(m_doc, true, "s");
    EXPECT_TRUE(m_store.Equal(indirect, indirect));
    EXPECT_TRUE(m_store.Equal(VCOS_NullObj, m_store.NewNull()));
}

}  // namespace

TEST(VCOS_StoreChanges, EveryChangeOfWhatTheWriterWritesCountsAndReadsDoNot) {
    VCOS_Store store;
    const VCOS_DocId doc = store.CreateDoc();
    const VCOS_DocId other = store.CreateDoc();
    const VCOS_Obj dict = store.NewDict(doc, true);
    const VCOS_Obj array = store.NewArray(doc, true, 2);
    const VCOS_Obj stream = store.NewStream(doc, true, "data", store.NewDict(doc, false));
    const struct {
        const char* what;
        std::function<void()> change;
    } rows[] = {
        {"a new indirect object", [&] { store.NewInteger(doc, true, 5); }},
        {"a dictionary entry", [&] { store.DictPut(dict, "A", store.NewInteger(doc, false, 1)); }},
        {"a dictionary entry removed", [&] { store.DictRemove(dict, "A"); }},
        {"a stream's dictionary", [&] { store.DictPut(stream, "F", store.NewString(doc, false, "x")); }},
        {"an array element", [&] { store.ArrayPut(array, 0, store.NewBoolean(doc, false, true)); }},
        {"an array element inserted", [&] { store.ArrayInsert(array, 0, store.NewNull()); }},
        {"an array element removed", [&] { store.ArrayRemoveNth(array, 0); }},
        {"the root", [&] { store.SetRoot(doc, dict); }},
        {"the information dictionary", [&] { store.SetInfo(doc, dict); }},
        {"the header", [&] { store.SetHeader(doc, "%PDF-1.7"); }},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        const uint64_t before = store.Changes(doc);
        const uint64_t otherBefore = store.Changes(other);
        row.change();
        EXPECT_GT(store.Changes(doc), before);
        EXPECT_EQ(store.Changes(other), otherBefore);
    }
    const uint64_t settled = store.Changes(doc);
    store.DictGet(dict, "A");
    store.ArrayGet(array, 0);
    store.StreamBytes(stream);
    store.IndirectObjects(doc);
    EXPECT_EQ(store.Changes(doc), settled);
}

// The dictionary index's hash gives SipHash-2-4's published answers and
// spreads keys that differ only in the last byte of each word; the step
// counter sees the index being built and the entries a removal moves; a
// stream takes over only a direct dictionary of its own document.
TEST_F(VCOS_StoreTest, HashStepsAndStreamDictionariesKeepWhatTheirHeadersSay) {
    // Key 00..0f, message 00..n-1.
    const std::pair<size_t, uint64_t> answers[] = {{0, 0x726fdb47dd0e0e31ULL}, {1, 0x74f839c593dc67fdULL},
                                                   {8, 0x93f5f5799a932462ULL}, {15, 0xa129ca6149be45e5ULL}};
    for (const auto& [n, hash] : answers) {
        std::string message;
        for (size_t i = 0; i < n; ++i)
            message += static_cast<char>(i);
        EXPECT_EQ(VCOS_KeyHash::SipHash24(0x0706050403020100ULL, 0x0f0e0d0c0b0a0908ULL, message), hash) << n;
    }
    // The steps call takes on a dictionary of the keys K0, K1, ... (count of them).
    const auto steps = [](int count, const std::function<void(VCOS_DictEntries&)>& call) {
        VCOS_DictEntries entries;
        for (int i = 0; i < count; ++i)
            entries.Put("K" + std::to_string(i), VCOS_NullObj);
        const uint64_t before = VCOS_DictEntries::Steps();
        call(entries);
        return VCOS_DictEntries::Steps() - before;
    };
    // The index built at the 16th key: a scan past 15, then all 16 put in it.
    EXPECT_GE(steps(15, [](VCOS_DictEntries& entries) { entries.Put("K15", VCOS_NullObj); }), 15u + 16u);
    // The 999 entries behind the first key move up.
    EXPECT_GE(steps(1000, [](VCOS_DictEntries& entries) { entries.Remove("K0"); }), 999u);
    // 4,096 keys differing in their 8th and 16th bytes: a look-up or two and
    // a comparison each, where sharing one bucket would cost 4,096 each.
    std::vector<std::string> keys;
    for (int i = 0; i < 4096; ++i)
        keys.push_back("ABCDEFG" + std::string(1, static_cast<char>(2 * (i % 64))) + "HIJKLMN" +
                       std::string(1, static_cast<char>(2 * (i / 64))));
    const auto putAndFind = [&](VCOS_DictEntries& entries) {
        for (const std::string& key : keys)
            entries.Put(key, VCOS_NullObj);
        for (const std::string& key : keys)
            EXPECT_NE(entries.Find(key), nullptr);
    };
    EXPECT_LT(steps(0, putAndFind), 100000u);
    for (const VCOS_Obj dict : {m_store.NewDict(m_doc, true), m_store.NewDict(m_store.CreateDoc(), false)}) {
        SCOPED_TRACE(dict.m_doc == m_doc ? "an indirect dictionary" : "another document's dictionary");
        EXPECT_EQ(VCOS_Thrown([&] { m_store.NewStreamOwning(m_doc, "data", dict); }).Kind(), VCOS_ErrorKind::BadObject);
    }
    EXPECT_EQ(m_store.StreamBytes(m_store.NewStreamOwning(m_doc, "data", m_store.NewDict(m_doc, false))), "data");
}
