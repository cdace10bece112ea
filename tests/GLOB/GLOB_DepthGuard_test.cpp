#include "GLOB/GLOB_DepthGuard.h"

#include "GLOB/GLOB_ObjectWriter.h"
#include "GLOB_TestUtil.h"

#include <gtest/gtest.h>

namespace {

std::string Repeat(const std::string& text, int n) {
    std::string s;
    for (int i = 0; i < n; ++i)
        s += text;
    return s;
}

std::string Written(const GLOB_Object& obj) {
    GLOB_ChunkedCore* core = new GLOB_ChunkedCore();
    GLOB_ObjectWriter writer((GLOB_Stream(core)));
    writer.WriteObject(obj);
    writer.Flush();
    return core->written;
}

}  // namespace

// The deepest object the parser builds, of arrays alone around an empty one
// and of arrays and dictionaries in turn around an integer, passes every walk
// over objects; one level more is refused by each of them.
TEST(GLOB_DepthGuard, TheDeepestParsedObjectPassesEveryWalkAndOneLevelMoreIsRefused) {
    const int max = GLOB_Object::MaxNesting;
    const GLOB_Doc doc = NewMemoryDoc();
    const GLOB_Doc other = NewMemoryDoc();
    for (const bool dicts : {false, true}) {
        SCOPED_TRACE(dicts ? "arrays and dictionaries" : "arrays");
        std::string open, close;
        for (int level = 1; level <= max; ++level) {
            const bool dict = dicts && level % 2 == 0;
            open += dict ? "<</K " : "[";
            close.insert(0, dict ? ">>" : "]");
        }
        const std::string text = open + (dicts ? "1" : "") + close;
        const GLOB_Object deepest = doc.ParseObject(text.c_str());
        const GLOB_Object copy = other.Copy(deepest, true);
        EXPECT_EQ(copy.GetImpl(), other.Impl());
        EXPECT_TRUE(copy.IsDeepEqual(deepest) && deepest.IsDeepEqual(copy));
        EXPECT_TRUE(other.MakeCosObj(deepest, 0x22).IsDeepEqual(deepest));
        EXPECT_TRUE(doc.ParseObject(Written(deepest).c_str()).IsDeepEqual(deepest));
        if (!dicts) {
            EXPECT_EQ(Printed(deepest), Repeat("[ ", max) + "]" + Repeat(" ]", max - 1));
        }

        const std::string deeperText = "[" + text + "]";
        const GLOB_Object deeper = doc.NewArray(1, false);
        deeper.ArrayPut(0, deepest);
        const GLOB_Object deeperCopy = other.NewArray(1, false);
        deeperCopy.ArrayPut(0, copy);
        const std::pair<std::function<void()>, std::string> refusals[] = {
            {[&] { doc.ParseObject(deeperText.c_str()); },
             "1151013 Error encountered (Arrays and dictionaries nested deeper than 512 levels) while parsing '" +
                 deeperText.substr(0, 64) + "...' (" + std::to_string(deeperText.size()) + " bytes)"},
            {[&] { other.Copy(deeper, true); }, "1151004 GLOB_Impl::Copy: objects nested deeper than 512 levels"},
            {[&] { deeper.IsDeepEqual(deeperCopy); },
             "1151004 GLOB_Object::IsDeepEqual: objects nested deeper than 512 levels"},
            {[&] { other.MakeCosObj(deeper, 0); }, "1151004 MakeCosObj: objects nested deeper than 512 levels"},
            {[&] { Written(deeper); }, "1151004 GLOB_ObjectWriter: objects nested deeper than 512 levels"},
        };
        for (const auto& [call, message] : refusals)
            EXPECT_EQ(Failure(call), message);
        // Print does not refuse: it leaves the level past the limit unexpanded.
        if (!dicts) {
            EXPECT_EQ(Printed(deeper), Repeat("[ ", max) + "[ ... ]" + Repeat(" ]", max));
        }
    }
}

// A loader with a limit of its own is told, without an exception, that a
// level passes it; the refused guard leaves the chain as it was.
TEST(GLOB_DepthGuard, ALimitOfItsOwnRefusesWithoutThrowing) {
    GLOB_DepthGuard* slot = nullptr;
    const GLOB_Object outer = NewMemoryDoc().ParseObject("[1]");
    {
        const GLOB_DepthGuard first(slot, 2, &outer);
        const GLOB_DepthGuard second(slot, 2);
        EXPECT_TRUE(first.IsAdmitted() && second.IsAdmitted());
        EXPECT_EQ(second.Level(), 2);
        EXPECT_EQ(slot, &second);
        {
            const GLOB_DepthGuard third(slot, 2);
            EXPECT_FALSE(third.IsAdmitted());
            EXPECT_EQ(third.Level(), 3);
            EXPECT_EQ(slot, &second);
            EXPECT_TRUE(third.Encloses(outer));
            // A guard further in with a larger limit still counts from here.
            const GLOB_DepthGuard wider(slot, 3);
            EXPECT_TRUE(wider.IsAdmitted());
            EXPECT_EQ(wider.Level(), 3);
        }
        EXPECT_EQ(slot, &second);
    }
    EXPECT_EQ(slot, nullptr);
}
