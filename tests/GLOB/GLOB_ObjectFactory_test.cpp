#include "GLOB/GLOB_ObjectFactory.h"

#include "GLOB/GLOB_Array.h"
#include "GLOB/GLOB_Dict.h"
#include "GLOB/GLOB_Doc.h"
#include "GLOB/GLOB_Memory_Impl.h"

#include <gtest/gtest.h>

// Made during static initialisation, before main: the document must exist.
static const GLOB_Object s_early = GLOB_ObjectFactory::NewInteger(11);

TEST(GLOB_ObjectFactory, OneMemoryDocumentForEveryUnit) {
    EXPECT_EQ(s_early.AsInteger(), 11);
    const GLOB_Doc memory = GLOB_ObjectFactory::MemoryDoc();
    EXPECT_EQ(memory.ImplementationType(), 4);
    EXPECT_EQ(GLOB_ObjectFactory::MemoryDoc().Impl(), memory.Impl());
    EXPECT_EQ(s_early.GetImpl(), memory.Impl());
    EXPECT_EQ(GLOB_ObjectFactory::NewEmptyArray(2).AsArray().Length(), 2u);
    EXPECT_FALSE(GLOB_ObjectFactory::NewEmptyDict(0, true).IsDirect());
}

TEST(GLOB_ObjectFactory, ANullPutIntoAnotherDocumentIsCopiedIn) {
    GLOB_Doc doc = GLOB_Memory_Impl::Make();
    doc.Create("%PDF-1.3", 0);
    const GLOB_Object dict = doc.NewDict(0, false);
    dict.DictPut(GLOB_Name("N"), GLOB_ObjectFactory::NewNull());
    EXPECT_EQ(dict.DictGet(GLOB_Name("N")).GetImpl(), doc.Impl());
    EXPECT_TRUE(dict.DictGet(GLOB_Name("N")).IsNull());
}
