// A content stream whose /Length lies (absurd, the stream's own object, one
// byte short or long, past the end of the file), in a file without a
// cross-reference table and in one with a right one: the stream is read up
// to its endstream and the page's squares reach their plates. A resource
// whose cross-reference entry points nowhere is a missing object. An object
// number at two generations is drawn as its entry names it.
#include "TS_ProgramFixture.h"

#include <cstdint>
#include <cstdio>
#include <map>

#include "support/Deflated.h"
#include "support/PdfText.h"
#include "viewer/cos/VCOS_Repair.h"

namespace {

const std::string kContent = "0 0 0 1 k 20 20 60 60 re f 1 0 0 0 k 100 100 60 60 re f\n";

std::vector<std::string> Objects(const std::string& length) {
    return {"<< /Type /Catalog /Pages 2 0 R >>", "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
            "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 200 200] /Resources << >> /Contents 4 0 R >>",
            "<< /Length " + length + " >>\nstream\n" + kContent + "endstream"};
}

// Middle of the plate's inked pixels in points of the 200-point page, y
// from the top; (-1, -1) when nothing is inked.
std::pair<double, double> InkedMiddle(const PngPixels& plate) {
    double sumX = 0, sumY = 0, count = 0;
    for (int y = 0; y < plate.m_height; ++y)
        for (int x = 0; x < plate.m_width; ++x)
            if (plate.m_pixels[static_cast<size_t>(y) * plate.m_width + x] < 128) {
                sumX += x;
                sumY += y;
                ++count;
            }
    if (count == 0 || plate.m_width == 0)
        return {-1, -1};
    const double scale = 200.0 / plate.m_width;
    return {sumX / count * scale, sumY / count * scale};
}

TEST_F(TS_ProgramTest, AContentStreamWhoseLengthLiesIsReadToItsEndstream) {
    const struct {
        const char* what;
        std::string length;
    } lengths[] = {
        {"absurd", "9223372036854775807"},
        {"its own object", "4 0 R"},
        {"a byte short", std::to_string(kContent.size() - 1)},
        {"a byte long", std::to_string(kContent.size() + 1)},
    };
    for (const auto& length : lengths)
        for (bool table : {false, true}) {
            SCOPED_TRACE(std::string(length.what) + (table ? ", with a table" : ", without a table"));
            const std::string file =
                WriteFile("length.pdf", table ? PdfText("%PDF-1.7", Objects(length.length))
                                              : PdfTextWithoutTable("%PDF-1.7", Objects(length.length)));
            const TS_Run run = Run(WithOut({file, "--dpi", "150"}));
            ASSERT_EQ(run.m_code, 0) << run.m_err;
            // The black square's middle is at (50, 50) up from the bottom
            // left, the cyan one's at (130, 130).
            const std::pair<double, double> black = InkedMiddle(Output("plate-3-Black.png"));
            const std::pair<double, double> cyan = InkedMiddle(Output("plate-0-Cyan.png"));
            EXPECT_NEAR(black.first, 50, 2);
            EXPECT_NEAR(black.second, 150, 2);
            EXPECT_NEAR(cyan.first, 130, 2);
            EXPECT_NEAR(cyan.second, 70, 2);
            for (const char* blank : {"plate-1-Magenta.png", "plate-2-Yellow.png"})
                EXPECT_EQ(InkedMiddle(Output(blank)).first, -1) << blank;
        }
}

// With the rebuilt copy failing too, the stream that qpdf lost fails the
// page with why, where a null content would give four blank plates.
TEST_F(TS_ProgramTest, AContentStreamNoReadingRecoversFailsThePageWithWhy) {
    const std::string file = WriteFile("lost.pdf", PdfTextWithoutTable("%PDF-1.7", Objects("4 0 R")));
    VCOS_SetRepairFaultSwitch(1);
    const TS_Run run = Run(WithOut({file, "--dpi", "150"}));
    VCOS_SetRepairFaultSwitch(0);
    EXPECT_EQ(run.m_code, 1) << run.m_err;
    ASSERT_FALSE(run.Lines().empty());
    const std::string last = run.Lines().back();
    EXPECT_NE(last.find("object 4 of the file cannot be read"), std::string::npos) << run.m_err;
    EXPECT_NE(last.find("/Length key in stream dictionary is not an integer"), std::string::npos) << run.m_err;
    EXPECT_EQ(m_out.List(), std::vector<std::string>());
}

// The program's outputs, each file's pixels by name.
std::map<std::string, std::vector<uint8_t>> Outputs(const ScratchDir& out) {
    std::map<std::string, std::vector<uint8_t>> outputs;
    for (const std::string& name : out.List())
        outputs[name] = ReadPng(out.File(name)).m_pixels;
    return outputs;
}

// An unused resource whose entry says offset 0 reads as null, as it does in
// other readers: the page separates as if the resource were not named. An
// empty first content stream whose /Length runs past the end of the file
// ends there, and the second stream's square is drawn.
TEST_F(TS_ProgramTest, AnEntryAtOffsetZeroIsAMissingObjectAndALengthPastTheEndStopsThere) {
    const std::string content = "0 0 0 1 k 10 10 80 80 re f";
    const auto page = [&](const std::string& resources) {
        return std::vector<std::string>{
            "<< /Type /Catalog /Pages 2 0 R >>", "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
            "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 100 100] /Resources << " + resources +
                " >> /Contents 4 0 R >>",
            "<< /Length " + std::to_string(content.size()) + " >>\nstream\n" + content + "\nendstream"};
    };
    const struct {
        const char* resources;
        const char* object;
    } resources[] = {
        {"/Font << /F9 5 0 R >>", "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>"},
        {"/XObject << /X9 5 0 R >>",
         "<< /Type /XObject /Subtype /Form /BBox [0 0 10 10] /Length 22 >>\nstream\n0 0 0 1 k 0 0 5 5 re f\nendstream"},
        {"/ExtGState << /G9 5 0 R >>", "<< /Type /ExtGState /CA 0.5 >>"},
        {"/ColorSpace << /CS9 5 0 R >>",
         "[/Separation /Gold /DeviceCMYK << /FunctionType 2 /Domain [0 1] /C1 [0 0.2 1 0] /N 1 >>]"},
    };
    const TS_Run plainRun = Run(WithOut({WriteFile("plain.pdf", PdfText("%PDF-1.7", page(""))), "--dpi", "150"}));
    ASSERT_EQ(plainRun.m_code, 0) << plainRun.m_err;
    const auto plain = Outputs(m_out);
    ASSERT_FALSE(plain.empty());
    for (const auto& resource : resources) {
        SCOPED_TRACE(resource.resources);
        std::vector<std::string> objects = page(resource.resources);
        objects.push_back(resource.object);
        const std::string file = WriteFile("zero.pdf", PdfTextWithEntriesAtZero("%PDF-1.7", objects, 5, 5));
        const TS_Run run = Run(WithOut({file, "--dpi", "150"}));
        EXPECT_EQ(run.m_code, 0) << run.m_err;
        EXPECT_EQ(Outputs(m_out), plain);
    }

    const std::string square = "1 0 0 0 k 50 50 100 100 re f";
    const std::vector<std::string> twoStreams = {
        "<< /Type /Catalog /Pages 2 0 R >>", "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
        "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 200 200] /Contents [4 0 R 5 0 R] >>",
        "<< /Length 99999 >>\nstream\nendstream",
        "<< /Length " + std::to_string(square.size()) + " >>\nstream\n" + square + "\nendstream"};
    const TS_Run run = Run(WithOut({WriteFile("long.pdf", PdfText("%PDF-1.7", twoStreams)), "--dpi", "150"}));
    ASSERT_EQ(run.m_code, 0) << run.m_err;
    const std::pair<double, double> cyan = InkedMiddle(Output("plate-0-Cyan.png"));
    EXPECT_NEAR(cyan.first, 100, 2);
    EXPECT_NEAR(cyan.second, 100, 2);
}

// A content stream whose /Length is its own object, with white space or
// comment lines between its header and its dictionary, however long: the
// page separates as the same page written plainly.
TEST_F(TS_ProgramTest, AStreamFarBehindItsHeaderIsDrawn) {
    const std::string content = "0 0 0 1 k 10 10 80 80 re f";
    const auto page = [&](const std::string& before, const std::string& length) {
        return std::vector<std::string>{
            "<< /Type /Catalog /Pages 2 0 R >>", "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
            "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 100 100] /Resources << >> /Contents 4 0 R >>",
            before + "<< /Length " + length + " >>\nstream\n" + content + "\nendstream"};
    };
    const std::string plainFile = PdfText("%PDF-1.7", page("", std::to_string(content.size())));
    const TS_Run plainRun = Run(WithOut({WriteFile("plain.pdf", plainFile), "--dpi", "150"}));
    ASSERT_EQ(plainRun.m_code, 0) << plainRun.m_err;
    const auto plain = Outputs(m_out);
    ASSERT_NE(InkedMiddle(Output("plate-3-Black.png")).first, -1) << "the plain page draws its square";
    std::string comments;
    while (comments.size() < 5000)
        comments += "% a comment between the header and the dictionary\n";
    const struct {
        const char* what;
        std::string before;
    } gaps[] = {
        {"100 spaces", std::string(100, ' ')},
        {"5,000 spaces", std::string(5000, ' ')},
        {"1 MB of spaces", std::string(1 << 20, ' ')},
        {"5 KB of comment lines", comments},
    };
    for (const auto& gap : gaps) {
        SCOPED_TRACE(gap.what);
        const std::string file = WriteFile("far.pdf", PdfText("%PDF-1.7", page(gap.before, "4 0 R")));
        const TS_Run run = Run(WithOut({file, "--dpi", "150"}));
        EXPECT_EQ(run.m_code, 0) << run.m_err;
        const auto outputs = Outputs(m_out);
        for (const auto& [name, pixels] : plain)
            EXPECT_TRUE(outputs.count(name) != 0 && outputs.at(name) == pixels) << name << " differs";
    }
}

// The value of file's last startxref.
std::string LastStartXref(const std::string& file) {
    return std::to_string(std::stoul(file.substr(file.rfind("startxref") + 9)));
}

// file with an update whose objects a cross-reference stream section
// (object self, rows of /W [1 2 1] in the order given, then its own) lists,
// the stream's keys given; an object of generation -1 goes into an object
// stream (object self - 1, listed before self). longer: bytes the stream's
// /Length claims past its data.
std::string WithStreamSection(std::string file, const std::vector<PdfUpdateObject>& objects, int self,
                              const std::string& keys, bool deflated = true, int longer = 0) {
    const std::string prev = LastStartXref(file);
    std::string rows, packed;
    const auto row = [&](int type, size_t field, int last) {
        rows += {static_cast<char>(type), static_cast<char>(field >> 8), static_cast<char>(field),
                 static_cast<char>(last)};
    };
    for (const PdfUpdateObject& object : objects) {
        if (object.m_generation < 0) {
            row(2, static_cast<size_t>(self - 1), 0);
            packed = std::to_string(object.m_number) + " 0 " + object.m_body;
            continue;
        }
        row(1, file.size(), object.m_generation);
        file += std::to_string(object.m_number) + " " + std::to_string(object.m_generation) + " obj\n" +
                object.m_body + "\nendobj\n";
    }
    if (!packed.empty()) {
        row(1, file.size(), 0);
        file += std::to_string(self - 1) + " 0 obj\n<< /Type /ObjStm /N 1 /First " +
                std::to_string(packed.find('<')) + " /Length " + std::to_string(packed.size()) + " >>\nstream\n" +
                packed + "\nendstream\nendobj\n";
    }
    const size_t xref = file.size();
    row(1, xref, 0);
    const std::string data = deflated ? Deflated(rows) : rows;
    return file + std::to_string(self) + " 0 obj\n<< /Type /XRef " + keys + " /Size " + std::to_string(self + 1) +
           " /Root 1 0 R /Prev " + prev + (deflated ? " /Filter /FlateDecode" : "") + " /Length " +
           std::to_string(data.size() + static_cast<size_t>(longer)) + " >>\nstream\n" + data +
           "\nendstream\nendobj\nstartxref\n" + std::to_string(xref) + "\n%%EOF\n";
}

// An update that reuses object 4 at generation 1 (magenta over the freed
// generation's black), updates that lower its generation or the catalog's
// however their sections are written or broken, a header "4 7 obj" at an
// entry of 4 0 (black) and an update's "4 1 obj" at an entry of 4 0: each
// page draws its one square, as mutool draws it (the hybrid section, as
// qpdf reads it). Where the sections cannot be followed, a reference reads
// the body of its own generation last in the file and none is said to be
// missing: a newer generation written before an older one draws the newer
// (mutool, whose repair ignores generations, draws the older), and an
// update's "4 1 obj" at an entry of 4 0 gives 4 0 R the older body. Content
// written first in the file, whose entry says offset 0, is refused in
// words: neither qpdf nor the repair finds it. A reference to a generation
// a later update replaced is said replaced, by the one standing now.
// Contents naming by reference an array of a generation the file lacks is
// drawn as the same array given directly.
TEST_F(TS_ProgramTest, AnObjectAtAnotherGenerationThanItsOlderEntryOrItsHeaderIsDrawn) {
    const auto square = [](const std::string& ink, int at, bool form = false) {
        const std::string content = ink + " k " + std::to_string(at) + " " + std::to_string(at) + " 100 100 re f";
        return std::string("<< ") + (form ? "/Subtype /Form /BBox [0 0 200 200] " : "") + "/Length " +
               std::to_string(content.size()) + " >>\nstream\n" + content + "\nendstream";
    };
    const auto page = [](const std::string& contents, const std::string& form = "") {
        return "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 200 200] /Resources << " +
               (form.empty() ? "" : "/XObject << /Fm0 " + form + " >> ") + ">> /Contents " + contents + " >>";
    };
    std::vector<std::string> objects = Objects("0");
    objects[3] = square("0 0 0 1", 20);
    std::string header = PdfText("%PDF-1.7", objects);
    header.replace(header.find("4 0 obj"), 7, "4 7 obj");
    // The page draws 4 0 R as a form from content object 5.
    std::vector<std::string> formObjects = objects;
    formObjects[2] = page("5 0 R", "4 0 R");
    formObjects[3] = square("0 0 0 1", 20, true);
    formObjects.push_back("<< /Length 7 >>\nstream\n/Fm0 Do\nendstream");
    // One update per generation g over file, pointing the page at a square
    // (or form) at 4 g R: black, the last one magenta, whose section (or
    // the first's) may be a cross-reference stream (object 5).
    struct Section {
        const char* keys = nullptr;  // of a stream section
        bool first = false;
        bool deflated = true;
        int longer = 0;
    };
    const char* stream = "/W [1 2 1] /Index [3 3]";
    const auto updates = [&](const std::vector<int>& generations, Section section = {}, std::string file = "",
                             bool form = false) {
        if (file.empty())
            file = PdfText("%PDF-1.7", form ? formObjects : objects);
        for (size_t i = 0; i < generations.size(); ++i) {
            const bool last = i + 1 == generations.size();
            const std::string g = "4 " + std::to_string(generations[i]) + " R";
            const std::vector<PdfUpdateObject> update = {
                {3, 0, form ? page("5 0 R", g) : page(g)},
                {4, generations[i], square(last ? "0 1 0 0" : "0 0 0 1", 50, form)}};
            file = section.keys && (section.first ? i == 0 : last)
                       ? WithStreamSection(file, update, 5, section.keys, section.deflated, section.longer)
                       : PdfTextWithUpdate(file, update, "/Size 5 /Root 1 0 R");
        }
        return file;
    };
    std::string catalog = PdfText("%PDF-1.7", objects);
    for (const int g : {1, 0})
        catalog = PdfTextWithUpdate(catalog, {{1, g, objects[0]}}, "/Size 5 /Root 1 " + std::to_string(g) + " R");
    const std::string junk = std::string(99, 'x') + "\n";
    const auto startxrefOff = [](std::string file) {
        const size_t startxref = file.rfind("startxref") + 10;
        file.replace(startxref, file.find('\n', startxref) - startxref,
                     std::to_string(std::stoul(LastStartXref(file)) + 7));
        return file;
    };
    // 4 1 (magenta) written before an older 4 0 (black), the page at 4 1 R.
    std::vector<std::string> newerObjects = objects;
    newerObjects[2] = page("4 1 R");
    newerObjects[3] = square("0 1 0 0", 50);
    std::string newerFirst = PdfText("%PDF-1.7", newerObjects);
    newerFirst.replace(newerFirst.find("4 0 obj"), 7, "4 1 obj");
    newerFirst.replace(newerFirst.rfind(" 00000 n"), 8, " 00001 n");
    newerFirst.insert(newerFirst.find("xref"), "4 0 obj\n" + square("0 0 0 1", 20) + "\nendobj\n");
    // The oldest trailer's /Prev: 0, or its own section's offset.
    const auto oldest = [&](bool loop) {
        std::string file = PdfText("%PDF-1.7", objects, "/Root 1 0 R /Prev 0000");
        const std::string self = LastStartXref(file);
        if (loop)
            file.replace(file.find("/Prev 0000") + 10 - self.size(), self.size(), self);
        return file;
    };
    // A hybrid section: its stream lists 4 0 in use, its table frees 4.
    const std::string beforeHybrid = updates({1});
    std::string hybrid =
        WithStreamSection(beforeHybrid, {{3, 0, page("4 0 R")}, {4, 0, square("0 1 0 0", 50)}}, 5, stream);
    hybrid += "xref\n4 1\n0000000000 00000 f\r\ntrailer\n<< /Size 6 /Root 1 0 R /Prev " +
              LastStartXref(beforeHybrid) + " /XRefStm " + LastStartXref(hybrid) + " >>\nstartxref\n" +
              std::to_string(hybrid.size()) + "\n%%EOF\n";
    std::string headed = PdfTextWithUpdate(
        PdfText("%PDF-1.7", objects), {{3, 0, page("4 0 R")}, {4, 0, square("0 1 0 0", 50)}}, "/Size 5 /Root 1 0 R");
    headed.replace(headed.rfind("4 0 obj"), 7, "4 1 obj");
    // The page moved into an object stream at generation 0 from 3 1.
    std::string packed = PdfTextWithUpdate(
        PdfText("%PDF-1.7", objects),
        {{2, 0, "<< /Type /Pages /Kids [3 1 R] /Count 1 >>"}, {3, 1, page("4 0 R")}}, "/Size 5 /Root 1 0 R");
    packed = WithStreamSection(packed,
                               {{2, 0, "<< /Type /Pages /Kids [3 0 R] /Count 1 >>"},
                                {3, -1, page("5 0 R")},
                                {5, 0, square("0 1 0 0", 50)}},
                               7, "/W [1 2 1] /Index [2 2 5 3]");
    std::string digits13 = packed;
    digits13.replace(digits13.rfind("7 0 obj"), 1, "0000000000007");
    // The newest section points 4 0 back at the magenta body written first,
    // before the body of 4 65535.
    std::vector<std::string> magentaFirst = objects;
    magentaFirst[3] = square("0 1 0 0", 50);
    std::string repointed = PdfTextWithUpdate(
        PdfTextWithUpdate(PdfText("%PDF-1.7", magentaFirst),
                          {{3, 0, page("4 65535 R")}, {4, 65535, square("0 0 0 1", 50)}}, "/Size 5 /Root 1 0 R"),
        {{3, 0, page("4 0 R")}}, "/Size 5 /Root 1 0 R");
    char entry[32];
    std::snprintf(entry, sizeof entry, "4 1\n%010zu 00000 n\r\n", repointed.find("4 0 obj"));
    repointed.insert(repointed.rfind("trailer"), entry);
    // The page names beside a magenta 4 1 the black 4 0 an update replaced
    // by it (in a table or a stream section), or 4 3, which no section
    // lists; or beside a magenta 4 0 the black 4 1 it replaced.
    const std::string base = PdfText("%PDF-1.7", objects);
    const std::vector<PdfUpdateObject> raised = {{3, 0, page("[4 0 R 4 1 R]")}, {4, 1, square("0 1 0 0", 50)}};
    const std::string blackLowered = PdfTextWithUpdate(
        PdfTextWithUpdate(base, {{3, 0, page("4 1 R")}, {4, 1, square("0 0 0 1", 20)}}, "/Size 5 /Root 1 0 R"),
        {{3, 0, page("[4 1 R 9 0 R 4 0 R]")}, {4, 0, square("0 1 0 0", 50)}}, "/Size 5 /Root 1 0 R");
    const auto replaced = [](const char* from, const char* by) {
        return std::string("its content stream ") + from + " was replaced by " + by +
               " in a later update: the page is drawn without it";
    };
    const struct {
        const char* what;
        std::string file;
        const char* plate = "plate-1-Magenta.png";
        double middle = 100;  // of the square, in points up from the bottom left
        const char* refusal = nullptr;
        std::vector<std::string> said = {};  // the warnings, one a line; none: nothing is said missing
    } rows[] = {
        {"4 0 replaced by 4 1 in a table", PdfTextWithUpdate(base, raised, "/Size 5 /Root 1 0 R"),
         "plate-1-Magenta.png", 100, nullptr, {replaced("4 0 R", "4 1 R")}},
        {"4 0 replaced by 4 1 in a stream section", WithStreamSection(base, raised, 5, stream),
         "plate-1-Magenta.png", 100, nullptr, {replaced("4 0 R", "4 1 R")}},
        {"4 1 replaced by 4 0, beside a 9 0 R the file lacks", blackLowered, "plate-1-Magenta.png", 100, nullptr,
         {"its content stream 9 0 R is not in the file: the page is drawn without it", replaced("4 1 R", "4 0 R")}},
        {"4 3, which no section lists",
         PdfTextWithUpdate(base, {{3, 0, page("[4 3 R 4 1 R]")}, {4, 1, square("0 1 0 0", 50)}},
                           "/Size 5 /Root 1 0 R"),
         "plate-1-Magenta.png", 100, nullptr,
         {"its content stream 4 3 R is not in the file: the page is drawn without it"}},
        {"an update reusing 4 at generation 1",
         PdfTextWithUpdate(PdfText("%PDF-1.7", objects),
                           {{3, 0, "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 200 200] /Contents 4 1 R >>"},
                            {4, 1, square("0 1 0 0", 50)}},
                           "/Size 5 /Root 1 0 R")},
        {"updates at generation 1, then 0", updates({1, 0})},
        {"updates at generation 3, then 1", updates({3, 1})},
        {"updates at generations 9, 7, 5, 3, 1", updates({9, 7, 5, 3, 1})},
        {"an update at generation 1, then a cross-reference stream's at 0", updates({1, 0}, {stream})},
        {"100 bytes before the header", junk + updates({1, 0})},
        {"a form, 100 bytes before the header", junk + updates({1, 0}, {}, "", /*form=*/true)},
        {"startxref 7 bytes off", startxrefOff(updates({1, 0}))},
        {"the oldest /Prev 0", updates({3, 1}, {}, oldest(false))},
        {"the oldest /Prev its own section", updates({1, 0}, {}, oldest(true))},
        {"an older stream section of /W [0 0 0]", updates({1, 0}, {"/W [0 0 0] /Index [3 3]", true})},
        {"an older stream section of /Index [-1 3]", updates({1, 0}, {"/W [1 2 1] /Index [-1 3]", true})},
        {"a stream section promising 2,000,000,000 rows", updates({1, 0}, {"/W [1 2 1] /Index [3 2000000000]"})},
        {"an unfiltered stream section 40 bytes shorter than its /Length", updates({1, 0}, {stream, false, false, 40})},
        {"a stream section of /Index [3 1 4 2]", updates({1, 0}, {"/W [1 2 1] /Index [3 1 4 2]"})},
        {"a hybrid table freeing what its stream lists", hybrid},
        {"an update's header 4 1 obj at an entry of 4 0", headed},
        {"the page lowered into an object stream", packed},
        {"the page lowered into an object stream, a 13-digit number heading the newest section", digits13},
        {"a newer generation's body before an older one's, startxref off", startxrefOff(newerFirst)},
        {"4 0 pointed back at a body before 4 65535's", repointed},
        {"the catalog at generation 1, then 0", catalog, "plate-3-Black.png", 70},
        {"a header of generation 7 at an entry of generation 0", header, "plate-3-Black.png", 70},
        {"an update's header 4 1 obj at an entry of 4 0, startxref 7 bytes off", startxrefOff(headed),
         "plate-3-Black.png", 70},
        {"the content stream first in the file at an entry of offset 0",
         PdfTextWithEntriesAtZero("%PDF-1.7\n%\xe2\xe3\xcf\xd3",
                                  {square("0 0 0 1", 50), "<< /Type /Catalog /Pages 3 0 R >>",
                                   "<< /Type /Pages /Kids [4 0 R] /Count 1 >>",
                                   "<< /Type /Page /Parent 3 0 R /MediaBox [0 0 200 200] /Contents 1 0 R >>"},
                                  1, 1, "/Root 2 0 R"),
         "", 0, "object 1 of the file cannot be read"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        const std::string file = WriteFile("generation.pdf", row.file);
        const TS_Run run = Run(WithOut({file, "--dpi", "150"}));
        if (row.refusal) {
            const std::string last = run.Lines().empty() ? "" : run.Lines().back();
            EXPECT_EQ(run.m_code, 1);
            EXPECT_TRUE(last.find(row.refusal) != std::string::npos && last.find("offset 0") != std::string::npos)
                << run.m_err;
            continue;
        }
        ASSERT_EQ(run.m_code, 0) << run.m_err;
        std::string said;
        for (const std::string& line : row.said)
            said += "tintscope: " + file + ": page 1: " + line + "\n";
        if (said.empty())
            EXPECT_EQ(run.m_err.find("is not in the file"), std::string::npos) << run.m_err;
        else
            EXPECT_EQ(run.m_err, said);
        for (const char* plate : {"plate-0-Cyan.png", "plate-1-Magenta.png", "plate-2-Yellow.png", "plate-3-Black.png"}) {
            const std::pair<double, double> middle = InkedMiddle(Output(plate));
            EXPECT_NEAR(middle.first, plate == std::string(row.plate) ? row.middle : -1, 2) << plate;
            EXPECT_NEAR(middle.second, plate == std::string(row.plate) ? 200 - row.middle : -1, 2) << plate;
        }
    }

    std::vector<std::string> arrayObjects = objects;
    arrayObjects.push_back("[4 1 R 6 0 R]");
    arrayObjects.push_back(square("0 1 0 0", 50));
    std::map<std::string, std::vector<uint8_t>> drawn[2];
    for (const char* contents : {"[4 1 R 6 0 R]", "5 0 R"}) {
        SCOPED_TRACE(contents);
        arrayObjects[2] = page(contents);
        const std::string file = WriteFile("array.pdf", PdfText("%PDF-1.7", arrayObjects));
        const TS_Run run = Run(WithOut({file, "--dpi", "150"}));
        EXPECT_EQ(run.m_code, 0);
        EXPECT_NE(run.m_err.find("its content stream 4 1 R is not in the file"), std::string::npos) << run.m_err;
        drawn[contents[0] == '5'] = Outputs(m_out);
    }
    EXPECT_FALSE(drawn[0].empty());
    EXPECT_EQ(drawn[0], drawn[1]);
}

const auto XrefRow = PdfCrossReferenceStreamRow;

// file with a cross-reference stream section (object 99) of the rows given
// after it, its /W, /Index and /Size in keys, its /Prev file's last
// startxref.
std::string WithRows(const std::string& file, const std::string& rows, const std::string& keys, bool deflated) {
    const std::string data = deflated ? Deflated(rows) : rows;
    return file + "99 0 obj\n<< /Type /XRef " + keys + " /Root 1 0 R /Prev " + LastStartXref(file) +
           (deflated ? " /Filter /FlateDecode" : "") + " /Length " + std::to_string(data.size()) + " >>\nstream\n" +
           data + "\nendstream\nendobj\nstartxref\n" + std::to_string(file.size()) + "\n%%EOF\n";
}

// Updates whose newest section, a cross-reference stream, points 4 0 back
// at the magenta body written first, past a later black 4 0 and a black
// 4 1: with its rows of interest decoded after 64 KB of others, one split
// between qpdf's pieces; unfiltered, with /Length past its own offset. The
// page moved into an object stream second in it. Each is drawn magenta,
// as the newest section says, and nothing is said.
TEST_F(TS_ProgramTest, ACrossReferenceStreamIsReadWhereverItsRowsFall) {
    const auto square = [](const std::string& ink) {
        const std::string content = ink + " k 50 50 100 100 re f";
        return "<< /Length " + std::to_string(content.size()) + " >>\nstream\n" + content + "\nendstream";
    };
    const auto page = [](const std::string& contents) {
        return "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 200 200] /Resources << >> /Contents " + contents + " >>";
    };
    std::vector<std::string> objects = Objects("0");
    objects[3] = square("0 1 0 0");
    const std::string first = PdfText("%PDF-1.7", objects);
    std::string later = PdfTextWithUpdate(first, {{3, 0, page("4 1 R")}, {4, 1, square("0 0 0 1")}},
                                          "/Size 5 /Root 1 0 R");
    later = PdfTextWithUpdate(later, {{3, 0, page("4 0 R")}, {4, 0, square("0 0 0 1")}}, "/Size 5 /Root 1 0 R");
    const auto pointedBack = [&](const std::vector<int>& widths) {
        return XrefRow(widths, {1, later.rfind("3 0 obj"), 0}) + XrefRow(widths, {1, first.find("4 0 obj"), 0});
    };
    std::string before;
    for (int i = 0; i < 13107; ++i)
        before += XrefRow({1, 3, 1}, {0, 0, 0});
    std::string after;
    for (int i = 0; i < 200; ++i)
        after += XrefRow({1, 8, 2}, {0, 0, 0});

    // The page at 3 1, then as 3 0 second in object stream 6.
    std::vector<std::string> black = Objects("0");
    black[3] = square("0 0 0 1");
    std::string packed =
        PdfTextWithUpdate(PdfText("%PDF-1.7", black),
                          {{2, 0, "<< /Type /Pages /Kids [3 1 R] /Count 1 >>"}, {3, 1, page("4 0 R")}},
                          "/Size 5 /Root 1 0 R");
    const std::string kids = "<< /Type /Pages /Kids [3 0 R] /Count 1 >>";
    const std::string pairs = "2 0 3 " + std::to_string(kids.size() + 1) + " ";
    const std::string stream = pairs + kids + " " + page("5 0 R");
    const size_t magenta = packed.size();
    packed += "5 0 obj\n" + square("0 1 0 0") + "\nendobj\n";
    const size_t objects6 = packed.size();
    packed += "6 0 obj\n<< /Type /ObjStm /N 2 /First " + std::to_string(pairs.size()) + " /Length " +
              std::to_string(stream.size()) + " >>\nstream\n" + stream + "\nendstream\nendobj\n";
    const std::vector<int> w = {1, 2, 1};
    packed = WithRows(packed,
                      XrefRow(w, {2, 6, 0}) + XrefRow(w, {2, 6, 1}) + XrefRow(w, {1, magenta, 0}) +
                          XrefRow(w, {1, objects6, 0}),
                      "/W [1 2 1] /Index [2 2 5 2] /Size 7", /*deflated=*/true);

    const struct {
        const char* what;
        std::string file;
    } rows[] = {
        {"after 64 KB of rows, deflated",
         WithRows(later, before + pointedBack({1, 3, 1}), "/W [1 3 1] /Index [100 13107 3 2] /Size 13207", true)},
        {"unfiltered, /Length past its offset",
         WithRows(later, pointedBack({1, 8, 2}) + after, "/W [1 8 2] /Index [3 2 100 200] /Size 300", false)},
        {"the page second in its object stream", packed},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        const TS_Run run = Run(WithOut({WriteFile("stream.pdf", row.file), "--dpi", "150"}));
        ASSERT_EQ(run.m_code, 0) << run.m_err;
        EXPECT_EQ(run.m_err.find("TBD"), std::string::npos) << run.m_err;
        for (const char* plate : {"plate-0-Cyan.png", "plate-1-Magenta.png", "plate-2-Yellow.png", "plate-3-Black.png"}) {
            const bool inked = plate == std::string("plate-1-Magenta.png");
            const std::pair<double, double> middle = InkedMiddle(Output(plate));
            EXPECT_NEAR(middle.first, inked ? 100 : -1, 2) << plate;
            EXPECT_NEAR(middle.second, inked ? 100 : -1, 2) << plate;
        }
    }
}

}  // namespace
