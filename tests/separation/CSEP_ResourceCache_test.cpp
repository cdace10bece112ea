#include "separation/CSEP_ResourceCache.h"

#include "CSEP_TestUtil.h"

#include <cstring>

namespace {

// The names of a category's walk, in walk order, with each record's object
// and variant names: "CS1=5[a]".
std::string WalkOf(const CSEP_ResourceCache& cache, uint32_t category) {
    std::string walk;
    for (CSEP_ResourceCache::Iterator it = cache.Begin(category); !it.AtEnd();) {
        const CSEP_ResourceCache::Entry entry = it.Next();
        walk += std::string(entry.first.CStr()) + "=" + std::to_string(entry.second.Object().AsInteger()) + "[";
        for (uint32_t i = 0; i < entry.second.NumStates(); ++i)
            walk += entry.second.Name(i).CStr();
        walk += "] ";
    }
    return walk;
}

}  // namespace

TEST(CSEP_ResourceCache, NewNamesCountPerCategoryAndPerCache) {
    CSEP_ResourceCache cache;
    std::vector<std::string> names;
    for (uint32_t category : {0, 0, 0, 6})
        names.push_back(cache.NewName(category).CStr());
    EXPECT_EQ(names, std::vector<std::string>({"CS1", "CS2", "CS3", "Pt1"}));
    const char* const firsts[] = {"CS4", "gs1", "Fn1", "Fm1", "Im1", "Ii1", "Pt2", "Sh1"};
    for (uint32_t category = 0; category < CSEP_ResourceCache::NumCategories; ++category)
        EXPECT_STREQ(cache.NewName(category).CStr(), firsts[category]);
    for (int i = 0; i < 6; ++i)
        cache.NewName(7);
    EXPECT_STREQ(cache.NewName(7).CStr(), "Sh8");
    CSEP_ResourceCache second;
    EXPECT_STREQ(second.NewName(0).CStr(), "CS1");
    EXPECT_THROW(second.NewName(8), TestAssertionFailure);
}

TEST(CSEP_ResourceCache, WalksFollowNameOrderAndPutReplaces) {
    CSEP_ResourceCache cache;
    const GLOB_Doc doc = NewDoc();
    EXPECT_TRUE(cache.Begin(0).AtEnd());
    for (const char* name : {"CS2", "CS10", "CS1", "C"})
        cache.Put(0, GLOB_Name(name), CSEP_Resource(doc.NewInteger(static_cast<int32_t>(strlen(name)))));
    cache.Put(0, GLOB_Name("CS2"), CSEP_Resource(doc.NewInteger(7), CPDF_GraphicsState(), GLOB_Name("a")));
    cache.Put(3, GLOB_Name("Fm0"), CSEP_Resource(doc.NewInteger(9)));
    EXPECT_EQ(WalkOf(cache, 0), "C=1[] CS1=3[] CS10=4[] CS2=7[a] ");
    EXPECT_EQ(WalkOf(cache, 3), "Fm0=9[] ");
    for (uint32_t category : {1, 2, 4, 5, 6, 7})
        EXPECT_TRUE(cache.Begin(category).AtEnd());

    // Records go in and out by copy.
    CSEP_Resource record;
    EXPECT_FALSE(cache.Find(3, GLOB_Name("CS2"), &record));
    ASSERT_TRUE(cache.Find(0, GLOB_Name("CS2"), &record));
    record.AddState(CPDF_GraphicsState(), GLOB_Name("b"));
    EXPECT_EQ(WalkOf(cache, 0), "C=1[] CS1=3[] CS10=4[] CS2=7[a] ");
    cache.Put(0, GLOB_Name("CS2"), record);
    EXPECT_EQ(WalkOf(cache, 0), "C=1[] CS1=3[] CS10=4[] CS2=7[ab] ");
}

TEST(CSEP_ResourceCache, VariantsPastTheEndFailTheAssertion) {
    CSEP_Resource record(NewDoc().NewInteger(1));
    CPDF_GraphicsState overprint;
    overprint.SetFillOverprint(true);
    record.AddState(CPDF_GraphicsState(), GLOB_Name("Fm1"));
    record.AddState(overprint, GLOB_Name("Fm2"));
    ASSERT_EQ(record.NumStates(), 2u);
    EXPECT_STREQ(record.Name(1).CStr(), "Fm2");
    EXPECT_TRUE(record.State(1).FillOverprint() && !record.State(0).FillOverprint());
    for (uint32_t i : {2u, 100u}) {
        try {
            record.Name(i);
            ADD_FAILURE() << "no assertion for " << i;
        } catch (const TestAssertionFailure& failure) {
            EXPECT_EQ(failure.m_expression, "NumStates()");
        }
        EXPECT_THROW(record.State(i), TestAssertionFailure);
    }
    EXPECT_THROW(CSEP_Resource().Name(0), TestAssertionFailure);
}

TEST(CSEP_ResourceCacheDeathTest, NextPastTheEndIsFatal) {
    CSEP_ResourceCache cache;
    CSEP_ResourceCache::Iterator it = cache.Begin(5);
    EXPECT_DEATH(it.Next(), "No more elements remaining");
}
