#include "separation/CSEP_ObjectSet.h"

#include "CSEP_TestUtil.h"

// Each row: objects inserted in turn, whether each was new, then whether
// the probe is held. The set must answer as a search of a list by == would.
TEST(CSEP_ObjectSet, AnswersAsSearchingEveryObjectMet) {
    const GLOB_Doc doc = NewDoc();
    const GLOB_Doc other = NewDoc();
    const GLOB_Object a = doc.NewDict(1, true);
    const GLOB_Object b = doc.NewDict(1, true);
    const GLOB_Object elsewhere = other.NewDict(1, true);
    const GLOB_Object direct = doc.NewDict(1);
    const GLOB_Object directToo = doc.NewDict(1);
    const struct {
        const char* what;
        std::vector<GLOB_Object> inserted;
        std::vector<bool> added;
        GLOB_Object probe;
        bool held;
    } cases[] = {
        {"nothing met", {}, {}, a, false},
        {"one indirect met", {a}, {true}, a, true},
        {"the same indirect twice", {a, a}, {true, false}, a, true},
        {"another indirect of the document", {a}, {true}, b, false},
        {"both met", {b, a}, {true, true}, b, true},
        {"another document's indirect", {a, b}, {true, true}, elsewhere, false},
        {"a direct one", {direct, a}, {true, true}, direct, true},
        {"the same direct twice", {direct, direct}, {true, false}, direct, true},
        {"another direct one", {direct}, {true}, directToo, false},
        {"an indirect is no direct", {a}, {true}, direct, false},
        {"the null object", {GLOB_Object()}, {true}, GLOB_Object(), true},
        {"null is not an indirect", {a}, {true}, GLOB_Object(), false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        CSEP_ObjectSet set;
        std::vector<GLOB_Object> list;
        for (size_t i = 0; i < c.inserted.size(); ++i) {
            const bool inList = std::find(list.begin(), list.end(), c.inserted[i]) != list.end();
            EXPECT_EQ(set.Insert(c.inserted[i]), c.added[i]);
            EXPECT_EQ(!inList, c.added[i]);
            if (!inList)
                list.push_back(c.inserted[i]);
        }
        EXPECT_EQ(set.Holds(c.probe), c.held);
        EXPECT_EQ(set.Size(), list.size());
        set.Clear();
        EXPECT_FALSE(set.Holds(c.probe));
        EXPECT_EQ(set.Size(), 0u);
    }
}
