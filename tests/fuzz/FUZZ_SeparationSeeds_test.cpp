// What the separation targets' seeds and bounds rest on: a page written back
// as object text reads back as the same graph (references, a cycle, stream
// data that its filter decodes), and the bound on stitching trees counts
// paths, not objects.
#include "FUZZ_ObjectText.h"
#include "FUZZ_Objects.h"
#include "FUZZ_SepJob.h"

#include "GLOB/GLOB_StringStream.h"
#include "GLOB/GLOB_TestUtil.h"

#include <gtest/gtest.h>

TEST(FUZZ_ObjectText, WrittenObjectsReadBackAsTheSameGraph) {
    const GLOB_Doc doc = NewMemoryDoc();
    const GLOB_Object page = doc.ParseObject("<< /Type /Page /MediaBox [0 0 9 9] /Rotate 90 >>");
    const GLOB_Object content = doc.NewStream(GLOB_Stream(new GLOB_StringStream("0 0 9 9 re f")), 0,
                                              doc.ParseObject("<< /Filter /FlateDecode >>"), GLOB_Object(), -1);
    const GLOB_Object space = doc.MakeCosObj(doc.ParseObject("[/Indexed /DeviceGray 1 (ab)]"), 0x11);
    page.DictPut(GLOB_Name("Contents"), content);
    page.PutPath("Resources", doc.ParseObject("<< /ColorSpace << >> >>"));
    page.PutPath("/Resources/ColorSpace/A", space);
    page.PutPath("/Resources/ColorSpace/B", space);
    // A cycle back to the root.
    space.ArrayPut(3, doc.MakeCosObj(doc.ParseObject("<< >>"), 0x11));
    space.Get(3).DictPut(GLOB_Name("Back"), space);

    const std::string text = FUZZ_ObjectText(page);
    const GLOB_Doc other = NewMemoryDoc();
    const std::vector<GLOB_Object> objects = FUZZ_Objects(other, text).Objects();
    // Page, contents, space, dictionary, and the empty text after the last
    // "endobj" as a Null.
    ASSERT_EQ(objects.size(), 5u) << text;
    EXPECT_TRUE(objects[4].IsNull());
    const GLOB_Object read = objects[0];
    EXPECT_EQ(read.IntegerValue("Rotate"), 90);
    EXPECT_EQ(ReadAll(read.DictGet(GLOB_Name("Contents")).OpenStream(2)), "0 0 9 9 re f");
    EXPECT_EQ(text.find("/Length"), std::string::npos) << text;
    const GLOB_Object a = read.GetPath("/Resources/ColorSpace/A");
    EXPECT_TRUE(a.IsIndirect()) << text;
    EXPECT_EQ(a, read.GetPath("/Resources/ColorSpace/B"));
    EXPECT_EQ(a.Get(3).DictGet(GLOB_Name("Back")), a);
}

TEST(FUZZ_ObjectText, ObjectsPastTheRoomAreNull) {
    const GLOB_Doc doc = NewMemoryDoc();
    const GLOB_Object root = doc.ParseObject("[]");
    for (size_t i = 0; i < FUZZ_Objects::MaxObjects + 3; ++i)
        root.ArrayPut(static_cast<uint32_t>(i), doc.MakeCosObj(doc.ParseObject("[1]"), 0x11));
    const std::vector<GLOB_Object> objects = FUZZ_Objects(NewMemoryDoc(), FUZZ_ObjectText(root)).Objects();
    ASSERT_EQ(objects.size(), FUZZ_Objects::MaxObjects);
    EXPECT_TRUE(objects[0].Get(FUZZ_Objects::MaxObjects - 2).IsArray());
    EXPECT_TRUE(objects[0].Get(FUZZ_Objects::MaxObjects - 1).IsNull());
}

TEST(FUZZ_SepJob, StitchingTreesAreBoundedByTheirPaths) {
    // Levels of a type 3 function naming the next level twice: paths double
    // per level, objects grow by one.
    const struct {
        int levels;
        bool shared;
        bool enormous;
    } cases[] = {{4, true, false}, {8, true, false}, {9, true, true}, {12, true, true}, {12, false, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.levels) + (c.shared ? " shared" : " chain"));
        const GLOB_Doc doc = NewMemoryDoc();
        GLOB_Object next = doc.MakeCosObj(doc.ParseObject("<< /FunctionType 2 /Domain [0 1] /N 1 >>"), 0x11);
        for (int level = 0; level < c.levels; ++level) {
            const GLOB_Object f = doc.MakeCosObj(
                doc.ParseObject("<< /FunctionType 3 /Domain [0 1] /Bounds [] /Encode [0 1] /Functions [] >>"), 0x11);
            f.DictGet(GLOB_Name("Functions")).ArrayPut(0, next);
            if (c.shared)
                f.DictGet(GLOB_Name("Functions")).ArrayPut(1, next);
            next = f;
        }
        EXPECT_EQ(FUZZ_HasEnormousTree(next), c.enormous);
        // Direct inside another object's direct containers too.
        const GLOB_Object shading = doc.ParseObject("<< /Function [null] >>");
        shading.GetPath("Function").ArrayPut(0, doc.ParseObject("<< /FunctionType 3 /Functions [] >>"));
        shading.GetPath("/Function[0]/Functions").ArrayPut(0, next);
        shading.GetPath("/Function[0]/Functions").ArrayPut(1, next);
        EXPECT_EQ(FUZZ_HasEnormousTree(shading), c.levels >= 8 && c.shared);
    }
}
