// Tables of {code, name} rows looked up both ways: the PostScript
// calculator's operators, the content operators and the ExtGState keys each
// instantiate this one template with their own row type.
//
// Row is a plain struct with the fields
//     int32_t m_op;         the row's code
//     const char* m_name;   its name, a C string
// and a static member array Declared holding the rows (any order, codes 0 to
// N - 1, each once).
//
// Each instantiation builds its tables once, on first use by any operation:
// a copy sorted by code, checked so that row i carries code i (a failed
// assertion "opToString[ i ].m_op==i :: <code>==<i>" otherwise), and a copy
// sorted by name in byte order (strcmp), searched by bisection. Building is
// guarded as a function-local static, so concurrent first uses build once;
// afterwards the tables are read-only. Names compare case-sensitively.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <vector>

namespace iCPDF_OperatorLookup {
// -1, 0 or 1 as the names compare byte by byte as unsigned characters.
int CompareNames(const char* a, const char* b);
// The failed assertion of a row at position i whose code is not i.
void ReportMisplacedRow(int32_t code, int32_t i);
}  // namespace iCPDF_OperatorLookup

template <class Row>
class iCPDF_OperatorLookupTable {
public:
    // Builds and checks the tables unless done; every operation calls it.
    static void Initialize() { Tables(); }
    // The number of rows.
    static int32_t Size() { return static_cast<int32_t>(std::size(Row::Declared)); }
    // The name of code; nullptr outside 0 … Size - 1.
    static const char* Name(int32_t code) {
        const std::vector<Row>& byOp = Tables().m_byOp;
        return code >= 0 && code < Size() ? byOp[static_cast<size_t>(code)].m_name : nullptr;
    }
    // The code of name; -1 when no row has it.
    static int32_t Find(const char* name) {
        const std::vector<Row>& byName = Tables().m_byName;
        const auto it = std::lower_bound(byName.begin(), byName.end(), name, [](const Row& row, const char* key) {
            return iCPDF_OperatorLookup::CompareNames(row.m_name, key) < 0;
        });
        return it != byName.end() && iCPDF_OperatorLookup::CompareNames(it->m_name, name) == 0 ? it->m_op : -1;
    }

    // The two orders, as -1, 0 or 1.
    static int CompareByOp(const Row& a, const Row& b) { return (a.m_op > b.m_op) - (a.m_op < b.m_op); }
    static int CompareByName(const Row& a, const Row& b) {
        return iCPDF_OperatorLookup::CompareNames(a.m_name, b.m_name);
    }

private:
    struct Sorted {
        std::vector<Row> m_byOp;
        std::vector<Row> m_byName;
    };

    static Sorted Build() {
        std::vector<Row> opToString(std::begin(Row::Declared), std::end(Row::Declared));
        std::sort(opToString.begin(), opToString.end(),
                  [](const Row& a, const Row& b) { return CompareByOp(a, b) < 0; });
        // Checked before the names are sorted: a missing row leaves a
        // zero-filled one, whose name is null.
        for (int32_t i = 0; i < Size(); ++i)
            if (opToString[static_cast<size_t>(i)].m_op != i)
                iCPDF_OperatorLookup::ReportMisplacedRow(opToString[static_cast<size_t>(i)].m_op, i);
        std::vector<Row> byName = opToString;
        std::sort(byName.begin(), byName.end(), [](const Row& a, const Row& b) { return CompareByName(a, b) < 0; });
        return Sorted{std::move(opToString), std::move(byName)};
    }

    static const Sorted& Tables() {
        static const Sorted sorted = Build();
        return sorted;
    }
};
