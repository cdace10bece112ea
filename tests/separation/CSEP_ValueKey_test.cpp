#include "separation/CSEP_ValueKey.h"

#include "CSEP_TestUtil.h"
#include "GLOB/GLOB_Array.h"

// Objects made apart share a key exactly when a reader would take them for
// one value: entry order aside, an indirect object by itself alone.
TEST(CSEP_ValueKey, ObjectsShareAKeyExactlyWhenEqual) {
    const GLOB_Doc doc = NewDoc();
    const GLOB_Object space = doc.ParseObject("[/Separation /Spot /DeviceCMYK << /N 1 >>]");
    const GLOB_Object shared = doc.NewArray(space.AsArray(), /*indirect=*/true);
    const GLOB_Object twin = doc.NewArray(space.AsArray(), /*indirect=*/true);
    // Resources whose /CS0 is the indirect space given.
    const auto naming = [&](const GLOB_Object& cs0) {
        const GLOB_Object dict = doc.ParseObject("<< /ColorSpace << >> >>");
        dict.DictGet(GLOB_Name("ColorSpace")).DictPut(GLOB_Name("CS0"), cs0);
        return dict;
    };
    const struct {
        const char* what;
        GLOB_Object one;
        GLOB_Object other;
        bool same;
    } rows[] = {
        // Direct values.
        {"equal dictionaries", doc.ParseObject("<< /CS0 [/Separation /Spot /DeviceCMYK << /N 1 >>] >>"),
         doc.ParseObject("<< /CS0 [/Separation /Spot /DeviceCMYK << /N 1 >>] >>"), true},
        {"entries in another order", doc.ParseObject("<< /A 1 /B [2 (x)] >>"),
         doc.ParseObject("<< /B [2 (x)] /A 1 >>"), true},
        {"another value", doc.ParseObject("<< /CS0 /DeviceGray >>"),
         doc.ParseObject("<< /CS0 [/Separation /Spot /DeviceCMYK << /N 1 >>] >>"), false},
        {"an entry more", doc.ParseObject("<< /A 1 >>"), doc.ParseObject("<< /A 1 /B 1 >>"), false},
        {"an integer and a real", doc.ParseObject("[1]"), doc.ParseObject("[1.0]"), false},
        {"reals apart by little", doc.ParseObject("[0.3]"), doc.ParseObject("[0.30001]"), false},
        {"a name and a string", doc.ParseObject("[/Ab]"), doc.ParseObject("[(Ab)]"), false},
        {"true and false", doc.ParseObject("[true]"), doc.ParseObject("[false]"), false},
        {"null and an empty array", doc.ParseObject("[null]"), doc.ParseObject("[[]]"), false},
        {"nesting moved", doc.ParseObject("[1 [2]]"), doc.ParseObject("[[1] 2]"), false},
        {"texts that run together", doc.ParseObject("[(ab) (c)]"), doc.ParseObject("[(a) (bc)]"), false},
        {"a key's text in a value", doc.ParseObject("<< /A (x) /B (y) >>"), doc.ParseObject("<< /A (x/B) >>"),
         false},
        // Indirect objects.
        {"one indirect space", naming(shared), naming(shared), true},
        {"equal indirect spaces", naming(shared), naming(twin), false},
        {"an indirect space and its value", naming(shared), naming(space), false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        EXPECT_EQ(CSEP_ValueKey::Of(row.one) == CSEP_ValueKey::Of(row.other), row.same);
        EXPECT_EQ(CSEP_ValueKey::Of(row.one), CSEP_ValueKey::Of(row.one));
    }
}
