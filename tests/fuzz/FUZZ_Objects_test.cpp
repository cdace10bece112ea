// The objects the content-model targets read: what would fuzz nothing if it
// went wrong unseen (a reference left a name, a stream without its data).
#include "FUZZ_Objects.h"

#include "GLOB/GLOB_TestUtil.h"

#include <gtest/gtest.h>

TEST(FUZZ_Objects, ReferencesStreamsAndBrokenTexts) {
    const GLOB_Doc doc = NewMemoryDoc();
    const std::string text = FUZZ_Objects::Text({
        "[/Indexed /@0 1 [<< /F /@2 >> /@9]]",
        FUZZ_Objects::Stream("<< /FunctionType 4 /Next /@1 >>", "{ dup }"),
        "<< /Self [/@2] /Scalar /@3 >>",
        "7",
        "<< unbalanced",
    }) + "[/@4]";
    const std::vector<GLOB_Object> objects = FUZZ_Objects(doc, text).Objects();
    ASSERT_EQ(objects.size(), 6u);
    const GLOB_Object& indexed = objects[0];
    EXPECT_TRUE(indexed.IsIndirect());
    EXPECT_EQ(indexed.Get(1), indexed);
    // Inside a direct array and dictionary; a number past the last object
    // stays a name.
    EXPECT_EQ(indexed.Get(3).Get(0).DictGet(GLOB_Name("F")), objects[2]);
    EXPECT_TRUE(indexed.Get(3).Get(1).IsName());
    // A stream's dictionary, its data without the end of line before
    // "endstream".
    ASSERT_TRUE(objects[1].IsStream());
    EXPECT_EQ(objects[1].DictGet(GLOB_Name("Next")), objects[1]);
    EXPECT_EQ(ReadAll(objects[1].OpenStream(2)), "{ dup }");
    EXPECT_EQ(objects[2].GetPath("/Self[0]"), objects[2]);
    EXPECT_EQ(objects[2].IntegerValue("Scalar"), 7);
    // A text that does not parse is a Null, and keeps its number.
    EXPECT_TRUE(objects[4].IsNull());
    EXPECT_TRUE(objects[5].Get(0).IsNull());
}
