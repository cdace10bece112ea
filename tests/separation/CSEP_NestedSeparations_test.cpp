#include "separation/CSEP_NestedSeparations.h"

#include "CSEP_TestUtil.h"
#include "separation/CSEP_ContentSeparator.h"

namespace {

bool SameForForms(const CPDF_GraphicsState& a, const CPDF_GraphicsState& b) {
    return CSEP_ContentSeparator::IsSameColorState(CSEP_ResourceCache::FormCategory, a, b);
}

CPDF_GraphicsState WithFillGray(double gray) {
    CPDF_GraphicsState state;
    CPDF_Color color(1u);
    color.SetComponent(0, gray);
    state.SetFillColor(color);
    return state;
}

}  // namespace

// A separation is found again only for its source, the same resources, an
// equal colour state and the same group context, while a scope is open;
// objects that cannot be shared are not kept.
TEST(CSEP_NestedSeparationsTest, FoundByObjectResourcesAndState) {
    const GLOB_Doc doc = NewDoc();
    const GLOB_Object form = NewStreamObject(doc, "<< /Subtype /Form >>", "");
    const GLOB_Object other = NewStreamObject(doc, "<< /Subtype /Form >>", "");
    const GLOB_Object resources = doc.ParseObject("<< >>");
    const GLOB_Object separated = NewStreamObject(doc, "");
    CSEP_NestedSeparations kept;
    kept.Add(form, {resources, WithFillGray(0.5), 0, {separated}});
    EXPECT_EQ(kept.Find(form, resources, WithFillGray(0.5), SameForForms), nullptr);  // no scope: nothing kept

    const CSEP_NestedSeparations::Scope page(kept);
    kept.Add(form, {resources, WithFillGray(0.5), 3, {separated}});
    kept.Add(other, {resources, WithFillGray(0.5), 0, {doc.ParseObject("<< >>")}});  // a direct result
    const struct {
        const char* what;
        GLOB_Object source;
        GLOB_Object resources;
        double gray;
        bool found;
        bool insideGroup = false;
    } cases[] = {
        {"the same", form, resources, 0.5, true},
        {"another colour", form, resources, 0.25, false},
        {"equal resources, not the same", form, doc.ParseObject("<< >>"), 0.5, false},
        {"a direct result", other, resources, 0.5, false},
        {"inside an isolated or knockout group", form, resources, 0.5, false, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const CSEP_NestedSeparations::Separated* found =
            kept.Find(c.source, c.resources, WithFillGray(c.gray), SameForForms, c.insideGroup);
        ASSERT_EQ(found != nullptr, c.found);
        if (found) {
            EXPECT_EQ(found->m_height, 3u);
            EXPECT_TRUE(found->m_perInk.at(0) == separated);
        }
    }
    EXPECT_EQ(kept.NumSources(), 1u);
}

// A page makes at most MaxSeparations; the next fails with the kind and
// name of the one it would have made, and the next page counts afresh.
TEST(CSEP_NestedSeparationsTest, SeparationsOfOnePageAreBounded) {
    CSEP_NestedSeparations kept;
    for (int page = 0; page < 2; ++page) {
        SCOPED_TRACE(page);
        const CSEP_NestedSeparations::Scope scope(kept);
        {
            const CSEP_NestedSeparations::Scope inner(kept);  // a nested walk keeps counting
            for (uint32_t i = 0; i < CSEP_NestedSeparations::MaxSeparations; ++i)
                kept.CountSeparation("Form", GLOB_Name("Fm0"));
        }
        EXPECT_EQ(kept.NumSeparations(), CSEP_NestedSeparations::MaxSeparations);
        EXPECT_EQ(Failure([&] { kept.CountSeparation("Tiling pattern", GLOB_Name("P1")); }),
                  "1128002 Tiling pattern P1: more than 65536 forms, tiling patterns and Type 3 fonts separated on "
                  "one page");
    }
    EXPECT_EQ(kept.NumSeparations(), 0u);
}
