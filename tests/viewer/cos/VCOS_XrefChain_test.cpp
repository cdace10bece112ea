// The cross-reference chain read from files of one stream section: the
// generation each row gives, however the rows are written and wherever
// qpdf's pieces of decoded data split them; and the sections whose
// predictor rows their data could not decode to, found without decoding.
#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "support/Deflated.h"
#include "support/PdfText.h"
#include "viewer/cos/VCOS_XrefChain.h"

namespace {

const auto Row = PdfCrossReferenceStreamRow;

// A cross-reference stream object (number 99) at the file's end with keys,
// its data given; startxref names it, and /Prev the section before, if
// any.
std::string WithStream(std::string file, const std::string& keys, const std::string& data,
                       const std::string& prev = "") {
    const size_t at = file.size();
    file += "99 0 obj\n<< /Type /XRef /Size 100 " + keys + (prev.empty() ? "" : " /Prev " + prev) + " /Length " +
            std::to_string(data.size()) + " >>\nstream\n" + data + "\nendstream\nendobj\n";
    return file + "startxref\n" + std::to_string(at) + "\n%%EOF\n";
}

std::string StreamFile(const std::string& keys, const std::string& data) {
    return WithStream("%PDF-1.7\n", keys, data);
}

std::string DeflatedFile(const std::string& keys, const std::string& rows) {
    return StreamFile(keys + " /Filter /FlateDecode", Deflated(rows));
}

// file's stream section behind a table section (number 0 free) whose
// trailer names it by key (/Prev or /XRefStm).
std::string BehindATable(std::string file, const std::string& key) {
    const std::string stream = std::to_string(std::stoul(file.substr(file.rfind("startxref") + 9)));
    file.resize(file.rfind("startxref"));
    const size_t at = file.size();
    return file + "xref\n0 1\n0000000000 65535 f\r\ntrailer\n<< /Size 100 " + key + " " + stream +
           " >>\nstartxref\n" + std::to_string(at) + "\n%%EOF\n";
}

TEST(VCOS_XrefChainTest, AStreamSectionsRowsGiveTheirGenerationsWhereverTheyFall) {
    // Rows of /W [1 3 1], one per number from 100, the row of number n
    // giving generation n % 200: 13,107 of them end 1 byte before qpdf's
    // 64 KB pieces of decoded data.
    std::string many;
    for (uint64_t n = 100; n < 100 + 20000; ++n)
        many += Row({1, 3, 1}, {1, 9, n % 200});
    const std::string row4 = Row({1, 2, 2}, {1, 9, 3});
    std::string padded;
    for (int i = 0; i < 70; ++i)
        padded += Row({1, 8, 8}, {0, 0, 0});
    const struct {
        const char* what;
        std::string file;
        std::set<int> numbers;
        std::map<int, int> generations;
    } rows[] = {
        {"a generation in the third field", DeflatedFile("/W [1 2 2] /Index [4 1]", row4), {4}, {{4, 3}}},
        {"an object second in object stream 7",
         DeflatedFile("/W [1 2 1] /Index [4 2]", Row({1, 2, 1}, {2, 7, 0}) + Row({1, 2, 1}, {2, 7, 1})),
         {4, 5},
         {{4, 0}, {5, 0}}},
        {"an object in object stream 2, and a free row",
         DeflatedFile("/W [1 1 1] /Index [4 2]", Row({1, 1, 1}, {2, 2, 5}) + Row({1, 1, 1}, {0, 0, 0})),
         {4, 5},
         {{4, 0}, {5, -1}}},
        // Each filter qpdf decodes such a stream with, its short name too.
        {"RunLength, by its short name", StreamFile("/W [1 2 2] /Index [4 1] /Filter /RL", PdfRunLengthText(row4)),
         {4}, {{4, 3}}},
        {"/Crypt, then ASCIIHex",
         StreamFile("/W [1 2 2] /Index [4 1] /Filter [/Crypt /AHx] /DecodeParms [<< /Name /Identity >> null]",
                    PdfHexText(row4)),
         {4}, {{4, 3}}},
        {"no type field: each row in use",
         DeflatedFile("/W [0 2 1] /Index [4 1]", Row({0, 2, 1}, {0, 9, 6})), {4}, {{4, 6}}},
        // Unfiltered data longer than the file before them.
        {"unfiltered rows, /Length past the stream's own offset",
         StreamFile("/W [1 8 8] /Index [4 1 200 70]", Row({1, 8, 8}, {1, 9, 2}) + padded), {4}, {{4, 2}}},
        {"rows decoded in 64 KB pieces, one split between two",
         DeflatedFile("/W [1 3 1] /Index [100 20000]", many),
         {100, 13206, 13207, 13208, 19999},
         {{100, 100}, {13206, 13206 % 200}, {13207, 13207 % 200}, {13208, 13208 % 200}, {19999, 19999 % 200}}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        const std::optional<std::map<int, int>> found = VCOS_XrefChain::NewestGenerations(row.file, row.numbers);
        ASSERT_TRUE(found.has_value());
        EXPECT_EQ(*found, row.generations);
        EXPECT_FALSE(VCOS_XrefChain::RowsOutgrowTheirData(row.file));
    }
}

// Predictor rows against the most a stream's filters can decode from its
// length (Flate 1,032 bytes a byte): at the bound and a byte past it, for
// one row, for a row per entry, for the TIFF predictor's rows without their
// tag byte, behind two filters, /Crypt among them, and in a section reached
// by /Prev or /XRefStm. A predictor no filter applies sets up nothing.
TEST(VCOS_XrefChainTest, PredictorRowsTheirDataCouldNotHoldBreakTheChainUndecoded) {
    const std::string rows = Deflated(Row({1, 4, 2}, {1, 9, 0}) + Row({1, 4, 2}, {1, 9, 0}));
    const uint64_t most = 1032 * rows.size();
    const auto flate = [&](const std::string& parms, const std::string& index = "[3 2]") {
        return StreamFile("/W [1 4 2] /Index " + index + " /Filter /FlateDecode /DecodeParms << " + parms + " >>",
                          rows);
    };
    const auto columns = [](uint64_t n) { return "/Columns " + std::to_string(n); };
    const std::string hex = PdfHexText(rows);
    const std::string huge = "/Predictor 12 /Columns 2147483647";
    const struct {
        const char* what;
        std::string file;
        bool outgrow;
    } cases[] = {
        {"2^31 - 1 columns", flate(huge), true},
        {"a sound predictor", flate("/Predictor 12 " + columns(7)), false},
        {"one PNG row of the bound", flate("/Predictor 12 " + columns(most - 1)), false},
        {"one PNG row a byte past the bound", flate("/Predictor 12 " + columns(most)), true},
        {"a row per entry, of the bound", flate("/Predictor 12 " + columns(7), "[0 " + std::to_string(most / 8) + "]"),
         false},
        {"a row per entry, past the bound",
         flate("/Predictor 12 " + columns(7), "[0 " + std::to_string(most / 8 + 1) + "]"), true},
        {"one TIFF row of the bound", flate("/Predictor 2 " + columns(most)), false},
        {"one TIFF row a byte past the bound", flate("/Predictor 2 " + columns(most + 1)), true},
        {"3 colours of 16 bits, of the bound",
         flate("/Predictor 12 /Colors 3 /BitsPerComponent 16 " + columns((most - 1) / 6)), false},
        {"3 colours of 16 bits, past the bound",
         flate("/Predictor 12 /Colors 3 /BitsPerComponent 16 " + columns((most - 1) / 6 + 1)), true},
        {"behind ASCIIHex, of the bound",
         StreamFile("/W [1 4 2] /Index [3 2] /Filter [/AHx /Fl] /DecodeParms [null << /Predictor 12 " +
                        columns(1032 * hex.size() - 1) + " >>]",
                    hex),
         false},
        {"behind ASCIIHex, past the bound",
         StreamFile("/W [1 4 2] /Index [3 2] /Filter [/AHx /Fl] /DecodeParms [null << /Predictor 12 " +
                        columns(1032 * hex.size()) + " >>]",
                    hex),
         true},
        // /Crypt passes its bytes on, named or not; qpdf decodes nothing
        // behind a filter it does not decode here, and sets up no row.
        {"behind /Crypt, of the bound",
         StreamFile("/W [1 4 2] /Index [3 2] /Filter [/Crypt /Fl] /DecodeParms [null << /Predictor 12 " +
                        columns(most - 1) + " >>]",
                    rows),
         false},
        {"behind /Crypt, past the bound",
         StreamFile("/W [1 4 2] /Index [3 2] /Filter [/Crypt /Fl] /DecodeParms [null << " + huge + " >>]", rows),
         true},
        {"behind /Crypt of the /Identity filter",
         StreamFile("/W [1 4 2] /Index [3 2] /Filter [/Crypt /Fl] /DecodeParms [<< /Name /Identity >> << " + huge +
                        " >>]",
                    rows),
         true},
        {"behind DCT, which qpdf does not decode here",
         StreamFile("/W [1 4 2] /Index [3 2] /Filter [/DCT /Fl] /DecodeParms [null << " + huge + " >>]", rows), false},
        {"no filter to apply it", StreamFile("/W [1 4 2] /Index [3 2] /DecodeParms << " + huge + " >>", rows), false},
        {"negative columns, which qpdf refuses", flate("/Predictor 12 /Columns -7"), false},
        {"an older section, by /Prev", BehindATable(flate(huge), "/Prev"), true},
        {"a hybrid table's /XRefStm", BehindATable(flate(huge), "/XRefStm"), true},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.what);
        EXPECT_EQ(VCOS_XrefChain::RowsOutgrowTheirData(row.file), row.outgrow);
        // A section found too wide is broken however many numbers it lists.
        if (row.outgrow) {
            EXPECT_FALSE(VCOS_XrefChain::NewestGenerations(row.file, {3, 4}).has_value());
        }
    }
}

}  // namespace
