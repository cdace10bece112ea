// What follows a file's last startxref: where qpdf passes over it and reads
// the startxref before it, the chain of updates is followed from there and
// the page drawn as the file without that tail; where qpdf rebuilds its
// table instead, the file is said repaired and drawn as rebuilt; where qpdf
// gives up on an offset beyond 64 bits, it is drawn without that tail.
#include "TS_ProgramFixture.h"

#include <qpdf/QPDF.hh>

#include <algorithm>
#include <cstdio>
#include <map>

#include "support/PdfText.h"

namespace {

std::string Page(const std::string& contents) {
    return "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 200 200] /Contents " + contents + " /Resources << >> >>";
}

std::string Square(const std::string& ink, int at) {
    const std::string content = ink + " k " + std::to_string(at) + " " + std::to_string(at) + " 100 100 re f";
    return "<< /Length " + std::to_string(content.size()) + " >>\nstream\n" + content + "\nendstream";
}

std::string LastStartXref(const std::string& file) {
    return std::to_string(std::stoul(file.substr(file.rfind("startxref") + 9)));
}

// A cyan 4 0; an update adding a magenta 4 1 for the page; a later one
// pointing the page back at 4 0 and listing 4 0 at its first body again,
// in a table or in a cross-reference stream (object 5, rows of /W [1 4 2]).
std::string Relisting(bool stream) {
    const std::string base =
        PdfText("%PDF-1.7", {"<< /Type /Catalog /Pages 2 0 R >>", "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
                             Page("4 0 R"), Square("1 0 0 0", 20)});
    const size_t cyan = base.find("4 0 obj");
    std::string file = PdfTextWithUpdate(base, {{3, 0, Page("4 1 R")}, {4, 1, Square("0 1 0 0", 60)}},
                                         "/Size 5 /Root 1 0 R");
    if (!stream) {
        file = PdfTextWithUpdate(file, {{3, 0, Page("4 0 R")}}, "/Size 5 /Root 1 0 R");
        char row[32];
        std::snprintf(row, sizeof row, "4 1\n%010zu 00000 n\r\n", cyan);
        return file.insert(file.rfind("trailer"), row);
    }
    const std::string prev = LastStartXref(file);
    std::string rows = PdfCrossReferenceStreamRow({1, 4, 2}, {1, file.size(), 0}) +
                       PdfCrossReferenceStreamRow({1, 4, 2}, {1, cyan, 0});
    file += "3 0 obj\n" + Page("4 0 R") + "\nendobj\n";
    const size_t xref = file.size();
    rows += PdfCrossReferenceStreamRow({1, 4, 2}, {1, xref, 0});
    return file + "5 0 obj\n<< /Type /XRef /W [1 4 2] /Index [3 3] /Size 6 /Root 1 0 R /Prev " + prev +
           " /Length " + std::to_string(rows.size()) + " >>\nstream\n" + rows + "\nendstream\nendobj\nstartxref\n" +
           std::to_string(xref) + "\n%%EOF\n";
}

// Whether qpdf warns reading file: it rebuilt its table.
bool QpdfWarns(const std::string& file) {
    QPDF qpdf;
    qpdf.setSuppressWarnings(true);
    qpdf.processMemoryFile("tail.pdf", file.data(), file.size());
    return qpdf.anyWarnings();
}

size_t Inked(const PngPixels& plate) {
    return static_cast<size_t>(std::count_if(plate.m_pixels.begin(), plate.m_pixels.end(),
                                             [](uint8_t level) { return level != 255; }));
}

// The page after a tail of a bad token, a word, nothing, a comment, a real,
// an open string, a signed offset: qpdf reads the startxref before it, and
// the cyan square is drawn without a word. After an offset of 0, one past
// the end, a negative one, or a bad token with the startxref before it out
// of the last 1,054 bytes, qpdf rebuilds the table, which keeps 4 0 cyan.
TEST_F(TS_ProgramTest, ATailAfterTheLastStartxrefIsReadAsQpdfReadsIt) {
    const struct {
        const char* what;
        bool stream;
        std::string tail;
        bool repaired = false;
        bool qpdfGivesUp = false;  // an offset qpdf cannot hold in 64 bits
    } rows[] = {
        {"a bad token, tables", false, "startxref\n)\n%%EOF\n"},
        {"a bad token, a stream section", true, "startxref\n)\n%%EOF\n"},
        {"a word", true, "startxref\nabc\n%%EOF\n"},
        {"nothing", true, "startxref"},
        {"a comment", false, "startxref\n%%EOF\n"},
        {"a real", true, "startxref\n1.5\n%%EOF\n"},
        {"an open string", false, "startxref\n(abc\n%%EOF\n"},
        {"a bad hex string", true, "startxref\n<zz>\n%%EOF\n"},
        {"the same offset signed", true, "startxref\n+" + LastStartXref(Relisting(true)) + "\n%%EOF\n"},
        {"offset 0", false, "startxref\n0\n%%EOF\n", true},
        {"an offset past the end", false, "startxref\n99999999\n%%EOF\n", true},
        {"a negative offset", false, "startxref\n-5\n%%EOF\n", true},
        {"a bad token, the startxref before it out of reach", false,
         "startxref\n)\n%" + std::string(1100, ' ') + "\n%%EOF\n", true},
        // qpdf gives up on the whole file: it is read without that tail.
        {"an offset overflowing 64 bits, tables", false, "startxref\n99999999999999999999\n%%EOF\n", false, true},
        {"an offset overflowing 64 bits, a stream section", true, "startxref\n99999999999999999999\n%%EOF\n",
         false, true},
        {"an offset below the 64-bit range", false, "startxref\n-99999999999999999999\n%%EOF\n", false, true},
        {"two such offsets", true,
         "startxref\n99999999999999999999\n%%EOF\nstartxref\n+99999999999999999999\n%%EOF\n", false, true},
    };
    std::map<bool, std::map<std::string, std::vector<uint8_t>>> whole;
    for (const bool stream : {false, true}) {
        const TS_Run run = Run(WithOut({WriteFile("whole.pdf", Relisting(stream)), "--dpi", "150"}));
        ASSERT_EQ(run.m_code, 0) << run.m_err;
        EXPECT_EQ(run.m_err, "");
        EXPECT_EQ(Inked(Output("plate-0-Cyan.png")), 43681u);
        for (const std::string& name : m_out.List())
            whole[stream][name] = Output(name).m_pixels;
    }
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        const std::string bytes = Relisting(row.stream) + row.tail;
        if (row.qpdfGivesUp)
            EXPECT_THROW(QpdfWarns(bytes), std::exception);
        else
            EXPECT_EQ(QpdfWarns(bytes), row.repaired);
        const std::string file = WriteFile("tail.pdf", bytes);
        const TS_Run run = Run(WithOut({file, "--dpi", "150"}));
        ASSERT_EQ(run.m_code, 0) << run.m_err;
        // Nothing said but the repair, where qpdf repairs.
        EXPECT_EQ(run.Lines().size(), row.repaired ? 1u : 0u) << run.m_err;
        if (row.repaired) {
            EXPECT_NE(run.m_err.find(file + ": repaired, "), std::string::npos) << run.m_err;
        }
        EXPECT_EQ(Inked(Output("plate-0-Cyan.png")), 43681u);
        for (const auto& [name, pixels] : whole[row.stream])
            EXPECT_TRUE(Output(name).m_pixels == pixels) << name << " differs from the file without its tail";
    }
}

}  // namespace
