// The cross-reference sections of a PDF file in the order a reader takes
// them: from the last startxref back along each trailer's /Prev, newest
// first, a table's /XRefStm stream right after the table. Classic tables
// and cross-reference streams are read; their data are decoded with a
// scratch qpdf document. No qpdf type leaves the chain.
#pragma once

#include <map>
#include <optional>
#include <string>

class VCOS_XrefChain {
public:
    // The generation the newest section that lists a number gives it, by
    // number: -1 where that section frees the number, 0 for an object in an
    // object stream. Nothing when the chain cannot be followed (no
    // startxref, a section or trailer that does not parse, a loop), where a
    // reader rebuilds its table from the bodies instead.
    static std::optional<std::map<int, int>> NewestGenerations(const std::string& bytes);
};
