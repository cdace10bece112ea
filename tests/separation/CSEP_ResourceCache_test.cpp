#include "separation/CSEP_ResourceCache.h"

#include "CSEP_TestUtil.h"

TEST(CSEP_ResourceCache, NewNamesCountPerCategoryAndPerCache) {
    CSEP_ResourceCache cache, second;
    std::string names;
    for (uint32_t category : {0, 0, 0, 6, 1, 2, 3, 4, 5, 7, 7})
        names += std::string(cache.NewName(category).CStr()) + " ";
    EXPECT_EQ(names, "CS1 CS2 CS3 Pt1 gs1 Fn1 Fm1 Im1 Ii1 Sh1 Sh2 ");
    EXPECT_STREQ(second.NewName(0).CStr(), "CS1");
    EXPECT_THROW(second.NewName(8), TestAssertionFailure);
}

TEST(CSEP_ResourceCache, WalksFollowNameOrderAndRecordsGoByCopy) {
    // Each entry as "name=object[variant names]".
    const auto walk = [](const CSEP_ResourceCache& cache, uint32_t category) {
        std::string text;
        for (CSEP_ResourceCache::Iterator it = cache.Begin(category); !it.AtEnd();) {
            const CSEP_ResourceCache::Entry entry = it.Next();
            text += std::string(entry.first.CStr()) + "=" + std::to_string(entry.second.Object().AsInteger()) + "[";
            for (uint32_t i = 0; i < entry.second.NumStates(); ++i)
                text += entry.second.Name(i).CStr();
            text += "] ";
        }
        return text;
    };
    CSEP_ResourceCache cache;
    const GLOB_Doc doc = NewDoc();
    EXPECT_TRUE(cache.Begin(0).AtEnd());
    for (const char* name : {"CS2", "CS10", "CS1", "C"})
        cache.Put(0, GLOB_Name(name), CSEP_Resource(doc.NewInteger(static_cast<int32_t>(std::string(name).size()))));
    cache.Put(0, GLOB_Name("CS2"), CSEP_Resource(doc.NewInteger(7), CPDF_GraphicsState(), GLOB_Name("a")));
    cache.Put(3, GLOB_Name("Fm0"), CSEP_Resource(doc.NewInteger(9)));
    EXPECT_EQ(walk(cache, 0), "C=1[] CS1=3[] CS10=4[] CS2=7[a] ");
    EXPECT_EQ(walk(cache, 3), "Fm0=9[] ");
    for (uint32_t category : {1, 2, 4, 5, 6, 7})
        EXPECT_TRUE(cache.Begin(category).AtEnd());

    CSEP_Resource record;
    EXPECT_FALSE(cache.Find(3, GLOB_Name("CS2"), &record));
    ASSERT_TRUE(cache.Find(0, GLOB_Name("CS2"), &record));
    record.AddState(CPDF_GraphicsState(), GLOB_Name("b"));
    EXPECT_EQ(walk(cache, 0), "C=1[] CS1=3[] CS10=4[] CS2=7[a] ");
    cache.Put(0, GLOB_Name("CS2"), record);
    EXPECT_EQ(walk(cache, 0), "C=1[] CS1=3[] CS10=4[] CS2=7[ab] ");
}

TEST(CSEP_ResourceCache, VariantsPastTheEndFailTheAssertion) {
    CSEP_Resource record(NewDoc().NewInteger(1));
    CPDF_GraphicsState overprint;
    overprint.SetFillOverprint(true);
    record.AddState(CPDF_GraphicsState(), GLOB_Name("Fm1"));
    record.AddState(overprint, GLOB_Name("Fm2"));
    ASSERT_EQ(record.NumStates(), 2u);
    EXPECT_TRUE(record.Name(1) == "Fm2" && record.State(1).FillOverprint() && !record.State(0).FillOverprint());
    const auto failedAssertion = [](const std::function<void()>& call) {
        try {
            call();
        } catch (const TestAssertionFailure& failure) {
            return failure.m_expression;
        }
        return std::string("none");
    };
    for (uint32_t i : {2u, 100u}) {
        EXPECT_EQ(failedAssertion([&] { record.Name(i); }), "NumStates()");
        EXPECT_EQ(failedAssertion([&] { record.State(i); }), "NumStates()");
    }
    EXPECT_EQ(failedAssertion([] { CSEP_Resource().Name(0); }), "NumStates()");
}

TEST(CSEP_ResourceCacheDeathTest, NextPastTheEndIsFatal) {
    const CSEP_ResourceCache cache;
    CSEP_ResourceCache::Iterator it = cache.Begin(5);
    EXPECT_DEATH(it.Next(), "No more elements remaining");
}
