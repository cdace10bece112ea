#include "CPDF/iCPDF_OperatorLookupTable.h"

#include "CPDF/function/CPDF_PSOperator.h"
#include "CPDF/CPDF_TestUtil.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// Rows declared out of order, names out of byte order ("B" < "a").
struct ShuffledRow {
    int32_t m_op;
    const char* m_name;
    static const ShuffledRow Declared[4];
};
const ShuffledRow ShuffledRow::Declared[4] = {{2, "a"}, {0, "b*"}, {3, "B"}, {1, "b"}};

// Code 2 is missing, 3 is there instead.
struct GappedRow {
    int32_t m_op;
    const char* m_name;
    static const GappedRow Declared[3];
};
const GappedRow GappedRow::Declared[3] = {{0, "x"}, {3, "y"}, {1, "z"}};

}  // namespace

TEST(iCPDF_OperatorLookupTable, FindsByNameAndByCode) {
    using Table = iCPDF_OperatorLookupTable<ShuffledRow>;
    const struct {
        const char* name;
        int32_t code;
    } cases[] = {
        {"a", 2}, {"b", 1}, {"b*", 0}, {"B", 3},
        // Case-sensitive, whole names only.
        {"A", -1}, {"b**", -1}, {"", -1}, {"c", -1}, {"\xff", -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Table::Find(c.name), c.code);
        if (c.code >= 0) {
            EXPECT_STREQ(Table::Name(c.code), c.name);
        }
    }
    EXPECT_EQ(Table::Name(-1), nullptr);
    EXPECT_EQ(Table::Name(4), nullptr);
    EXPECT_EQ(Table::CompareByName({0, "\xe9"}, {0, "z"}), 1);
}

TEST(iCPDF_OperatorLookupTable, RowsAreCheckedAtFirstUse) {
    using Table = iCPDF_OperatorLookupTable<GappedRow>;
    EXPECT_EQ(Thrown([] { Table::Find("x"); }), "assert opToString[ i ].m_op==i :: 3==2");
    // Not built, so every use reports again.
    EXPECT_EQ(Thrown([] { Table::Name(0); }), "assert opToString[ i ].m_op==i :: 3==2");
}

TEST(iCPDF_OperatorLookupTable, PostScriptOperators) {
    using Table = CPDF_PSOperatorTable;
    ASSERT_EQ(Table::Size(), 46);
    for (int32_t code = 0; code < Table::Size(); ++code)
        EXPECT_EQ(Table::Find(Table::Name(code)), code) << Table::Name(code);
    EXPECT_EQ(Table::Find("abs"), 0);
    EXPECT_EQ(Table::Find("xor"), 22);
    EXPECT_EQ(Table::Find("}"), 41);
    EXPECT_EQ(Table::Find("stop"), 45);
    EXPECT_EQ(Table::Find("Add"), -1);
}
