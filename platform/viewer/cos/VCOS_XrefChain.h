// The cross-reference sections of a PDF file in the order a reader takes
// them: from the last startxref back along each trailer's /Prev (0 for
// none), newest first, a table's /XRefStm stream right after the table's
// entries in use and before its free ones. Offsets count from the "%PDF-"
// header, as qpdf counts them. Classic tables and cross-reference streams
// are read; a stream's /Length that endstream does not follow is recovered
// up to its endstream, and its data are decoded with a scratch qpdf
// document, row by row. No qpdf type leaves the chain.
#pragma once

#include <cstddef>
#include <map>
#include <optional>
#include <set>
#include <string>

class VCOS_XrefChain {
public:
    // The generation the newest section that lists a number gives it, by
    // number: -1 where that section frees the number, 0 for an object in an
    // object stream. Nothing when the chain cannot be followed (no
    // startxref, a section or trailer that does not parse, a loop), where a
    // reader rebuilds its table from the bodies instead; as qpdf does, a
    // stream with fewer rows than its /Index promises is such a section,
    // and so is one whose predictor rows its data could not decode to.
    // Only numbers are kept: what the walk holds grows with them, never with
    // the rows a stream holds or promises.
    static std::optional<std::map<int, int>> NewestGenerations(const std::string& bytes,
                                                               const std::set<int>& numbers);

    // Where qpdf's reading of bytes should end: where the startxref qpdf
    // takes stands when its offset does not fit 64 bits, which qpdf gives
    // up on rather than passing over or rebuilding its table; the file
    // before it reads as it did before that tail was appended. Else the
    // size of bytes.
    static size_t ReadableEnd(const std::string& bytes);

    // Whether the walk meets a stream section whose predictor rows its data
    // could not decode to: more bytes than each filter's largest expansion
    // of the stream's length, for one row per row of entries the section
    // promises, or one. qpdf sets up a row's buffers before it reads a byte
    // of the data. Nothing is decoded, and false where the chain stops
    // before such a section.
    static bool RowsOutgrowTheirData(const std::string& bytes);

    // Where the file's offsets count from: its "%PDF-n.m" header within the
    // first 1024 bytes, as qpdf counts them when bytes come before it.
    static size_t HeaderOffset(const std::string& bytes);
};
