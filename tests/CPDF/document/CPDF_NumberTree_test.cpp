#include "CPDF/document/CPDF_NumberTree.h"

#include "CPDF/document/DocumentTestUtil.h"

#include <gtest/gtest.h>

namespace {

// "<key> <value>" of what the lookup finds, or "none".
std::string Found(const GLOB_Object& root, int target, int mode) {
    int key = -99;
    GLOB_Object value;
    const CPDF_NumberTree tree(root);
    return tree.Lookup(tree.Root(), target, &key, &value, mode) ? std::to_string(key) + " " + Printed(value) : "none";
}

enum { F = CPDF_NumberTree::Floor, C = CPDF_NumberTree::Ceiling, E = CPDF_NumberTree::Exact };

}  // namespace

TEST(CPDF_NumberTree, Lookup) {
    const char* const leaf = "<< /Nums [0 /a 5 /b] >>";
    const char* const gap =
        "<< /Kids [<< /Limits [0 9] /Nums [0 /a 5 /b] >> << /Limits [20 30] /Nums [20 /c 25 /d] >>] >>";
    const struct {
        const char* tree;
        int target, mode;
        const char* found;
    } cases[] = {
        {leaf, 5, E, "5 /b"}, {leaf, 3, E, "none"}, {leaf, 7, F, "5 /b"}, {leaf, -1, F, "none"}, {leaf, 3, 7, "0 /a"},
        {leaf, 3, C, "5 /b"}, {leaf, -1, C, "0 /a"}, {leaf, 7, C, "none"},
        // Across the gap between 9 and 20.
        {gap, 15, F, "5 /b"}, {gap, 15, C, "20 /c"}, {gap, 15, E, "none"}, {gap, 35, F, "25 /d"}, {gap, 35, C, "none"},
        // The containing kid fails: floor finds no kid below 5, ceiling goes
        // on to the kid above.
        {"<< /Kids [<< /Limits [3 9] /Nums [6 /x] >>] >>", 5, F, "none"},
        {"<< /Kids [<< /Limits [3 9] /Nums [2 /x] >> << /Limits [12 14] /Nums [12 /y] >>] >>", 5, C, "12 /y"},
        {"<< /Nums [1 /n] /Kids [<< /Limits [0 9] /Nums [1 /k] >>] >>", 1, E, "1 /n"},
        // Malformed nodes fail.
        {"<< /Nums [0 /a 5] >>", 0, E, "none"}, {"<< /Nums [0 /a 5.0 /b] >>", 0, E, "none"}, {"5", 0, F, "none"},
        {"<< /Kids [<< /Limits [0 /x] /Nums [0 /a] >>] >>", 0, F, "none"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.tree) + " " + std::to_string(c.target) + " mode " + std::to_string(c.mode));
        EXPECT_EQ(Found(Obj(c.tree), c.target, c.mode), c.found);
    }
}

TEST(CPDF_NumberTree, LoopingDeepAndSharedKidsEnd) {
    const CPDF_Doc doc = NewPageDoc();
    const GLOB_Object loop = doc.ParseObject("<< /Limits [0 9] /Kids [0] >>");
    loop.GetPath("Kids").ArrayPut(0, loop);
    EXPECT_EQ(Found(loop, 5, F), "none");

    // 512 nodes from the root to the leaf are walked, 513 are not.
    for (const int levels : {512, 513}) {
        GLOB_Object node = doc.ParseObject("<< /Limits [0 9] /Nums [0 /a] >>");
        for (int i = 1; i < levels; ++i) {
            const GLOB_Object above = doc.ParseObject("<< /Limits [0 9] /Kids [0] >>");
            above.GetPath("Kids").ArrayPut(0, node);
            node = above;
        }
        EXPECT_EQ(Found(node, 5, F), levels == 512 ? "0 /a" : "none") << levels;
    }

    // Each level's two kids lead to one node below: searched once, not 2^200
    // times.
    const char* const pair = "<< /Limits [0 9] /Kids [<< /Limits [0 9] /Kids [0] >> << /Limits [0 3] /Kids [0] >>] >>";
    for (const auto& c : {std::make_pair("<< /Limits [0 9] /Nums [6 /x] >>", "none"),
                          std::make_pair("<< /Limits [0 9] /Nums [4 /x] >>", "4 /x")}) {
        GLOB_Object node = doc.ParseObject(c.first);
        for (int i = 0; i < 200; ++i) {
            const GLOB_Object above = doc.ParseObject(pair);
            above.GetPath("/Kids[0]/Kids").ArrayPut(0, node);
            above.GetPath("/Kids[1]/Kids").ArrayPut(0, node);
            node = above;
        }
        EXPECT_EQ(Found(node, 5, F), c.second) << c.first;
    }
}
