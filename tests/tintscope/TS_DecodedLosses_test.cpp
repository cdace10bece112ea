// Page content the engine decodes itself: data that stop before their end
// mark, or whose check fails, are separated for what they hold and said of
// every ink; whole data, and Flate data that lack only their check, are
// drawn in silence as the same content unfiltered.
#include "TS_ProgramFixture.h"

#include "FILT/FILT_ASCII85Encode.h"
#include "support/Deflated.h"
#include "support/FilterDriver.h"
#include "support/LZWEncoded.h"
#include "support/PdfText.h"
#include "viewer/program/VIEW_PdfFile.h"

#include <zlib.h>

namespace {

// A black square, then operators and comments that paint nothing, then a
// cyan square: a cut at half the data keeps the black square and loses the
// cyan one, however the data are coded.
const std::string Black = [] {
    std::string text = "0 0 0 1 k 10 10 30 30 re f\n";
    for (int i = 0; i < 60; ++i)
        text += "q Q %" + std::to_string(i * 7919 % 100003) + "\n";
    return text;
}();
const std::string Content = Black + "1 0 0 0 k 60 60 30 30 re f\n";

std::string Page(const std::string& filter, const std::string& data) {
    return PdfText("%PDF-1.4", {"<< /Type /Catalog /Pages 2 0 R >>", "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
                                "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 100 100] /Contents 4 0 R >>",
                                "<< /Length " + std::to_string(data.size()) + (filter.empty() ? "" : " /Filter /") +
                                    filter + " >>\nstream\n" + data + "\nendstream"});
}

std::string RunLength(const std::string& plain) {
    std::string data;
    for (size_t at = 0; at < plain.size(); at += 128) {
        const std::string run = plain.substr(at, 128);
        data += static_cast<char>(run.size() - 1) + run;
    }
    return data + "\x80";
}

std::string Hex(const std::string& plain) {
    static const char digits[] = "0123456789abcdef";
    std::string data;
    for (const unsigned char c : plain)
        data += std::string{digits[c >> 4], digits[c & 15]};
    return data + ">";
}

// plain deflated up to a sync flush, with no last block.
std::string SyncFlushed(const std::string& plain) {
    z_stream z{};
    deflateInit(&z, 6);
    std::string out(compressBound(static_cast<uLong>(plain.size())) + 64, '\0');
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(plain.data()));
    z.avail_in = static_cast<uInt>(plain.size());
    z.next_out = reinterpret_cast<Bytef*>(&out[0]);
    z.avail_out = static_cast<uInt>(out.size());
    deflate(&z, Z_SYNC_FLUSH);
    out.resize(out.size() - z.avail_out);
    deflateEnd(&z);
    return out;
}

std::string Half(const std::string& data) { return data.substr(0, data.size() / 2); }

TEST_F(TS_ProgramTest, ContentDecodedShortIsSeparatedForWhatItHoldsAndSaidOfEveryInk) {
    const auto plates = [&](const std::string& pdf, TS_Run* run) { return ProcessPlates(pdf, run); };
    TS_Run plain;
    const auto whole = plates(Page("", Content), &plain);
    ASSERT_EQ(plain.m_code, 0) << plain.m_err;
    ASSERT_TRUE(whole[0] != plates(Page("", Black), &plain)[0]) << "the cyan square inks Cyan";

    std::string wrongCheck = Deflated(Content);
    wrongCheck.back() = static_cast<char>(wrongCheck.back() ^ 1);
    const std::string deflated = Deflated(Content);
    const struct {
        const char* what;
        std::string pdf;
        const char* words;  // the loss said, "" for none
        bool cyanKept;      // the cut keeps the cyan square
    } rows[] = {
        // Whole data: drawn as the content unfiltered, in silence (the
        // engine decodes LZW itself, and its library's lines stay in its log).
        {"run-length whole", Page("RunLengthDecode", RunLength(Content)), "", true},
        {"hex whole", Page("ASCIIHexDecode", Hex(Content)), "", true},
        {"LZW whole", Page("LZWDecode", LZWEncoded(Content)), "", true},
        {"Flate whole", Page("FlateDecode", deflated), "", true},
        {"Flate lacking only its check", Page("FlateDecode", deflated.substr(0, deflated.size() - 4)), "", true},
        {"an unknown operator of 200 letters inside BX/EX",
         Page("", "BX " + std::string(200, 'q') + " EX\n" + Content), "", true},
        // Cut before the end mark: what they hold, and the loss.
        {"run-length cut", Page("RunLengthDecode", Half(RunLength(Content))),
         "a run-length stream stops before its end mark", false},
        {"hex cut", Page("ASCIIHexDecode", Half(Hex(Content))), "an ASCIIHex stream stops before its end mark",
         false},
        {"LZW cut", Page("LZWDecode", Half(LZWEncoded(Content))), "an LZW stream stops before its end code", false},
        {"Flate cut", Page("FlateDecode", Half(deflated)), "a compressed stream's data stop before their end", false},
        {"Flate ending at a sync flush", Page("FlateDecode", SyncFlushed(Content)),
         "a compressed stream's data stop before their end", true},
        {"Flate with a wrong check", Page("FlateDecode", wrongCheck),
         "a compressed stream's data do not match their check", true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        TS_Run run;
        const auto got = plates(row.pdf, &run);
        ASSERT_EQ(run.m_code, 0) << run.m_err;
        if (*row.words == '\0') {
            EXPECT_EQ(run.m_err, "");
        } else {
            ASSERT_EQ(run.Lines().size(), 1u) << run.m_err;
            const std::string line = run.Lines()[0];
            EXPECT_NE(line.find("page.pdf: page 1: every ink "), std::string::npos) << line;
            EXPECT_EQ(line.substr(line.size() - std::string(row.words).size()), row.words) << line;
        }
        EXPECT_TRUE(got[3] == whole[3]) << "the black square";
        EXPECT_TRUE(got[1] == whole[1] && got[2] == whole[2]);
        if (row.cyanKept) {
            EXPECT_TRUE(got[0] == whole[0]);
        } else {
            EXPECT_TRUE(got[0] != whole[0]);
        }
    }
    // A zlib header asking for a preset dictionary: refused in words.
    std::string preset = deflated;
    preset[1] = static_cast<char>(0xBB);
    TS_Run refused;
    plates(Page("FlateDecode", preset), &refused);
    EXPECT_EQ(refused.m_code, 1);
    ASSERT_FALSE(refused.Lines().empty());
    EXPECT_NE(refused.Lines().back().find(
                  "page 1 was not separated: a stream's Flate data ask for a preset dictionary, which PDF does not "
                  "provide"),
              std::string::npos)
        << refused.m_err;
}

// A shading's sampled function in one stored Flate block whose last sample
// and check were cut, its /Length left as it was: the end of line before
// endstream is not a sample, so the block stops short and is said.
TEST_F(TS_ProgramTest, ASampledFunctionCutShortOfItsStoredBlockIsSaid) {
    std::string samples;
    for (int i = 0; i < 256; ++i)
        samples += std::string{static_cast<char>(i), static_cast<char>(255 - i), static_cast<char>(i / 2), '\x40'};
    const uint32_t check = static_cast<uint32_t>(
        adler32(1, reinterpret_cast<const Bytef*>(samples.data()), static_cast<uInt>(samples.size())));
    // zlib header, then one last stored block of 1024 bytes, then the check.
    const std::string whole = std::string("\x78\x01\x01\x00\x04\xff\xfb", 7) + samples +
                              std::string{static_cast<char>(check >> 24), static_cast<char>(check >> 16),
                                          static_cast<char>(check >> 8), static_cast<char>(check)};
    const auto page = [](const std::string& data, const std::string& eol) {
        return PdfText(
            "%PDF-1.4",
            {"<< /Type /Catalog /Pages 2 0 R >>", "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
             "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 100 100] /Contents 4 0 R /Resources << /Shading << "
             "/Sh 5 0 R >> >> >>",
             "<< /Length 7 >>\nstream\n/Sh sh\nendstream",
             "<< /ShadingType 2 /ColorSpace /DeviceCMYK /Coords [0 0 100 0] /Function 6 0 R >>",
             "<< /Length 1035 /Filter /FlateDecode /FunctionType 0 /Domain [0 1] /Range [0 1 0 1 0 1 0 1] "
             "/Size [256] /BitsPerSample 8 >>\nstream\n" +
                 data + eol + "endstream"});
    };
    TS_Run run = Run(WithOut({WriteFile("page.pdf", page(whole, "\n")), "--dpi", "fit"}));
    EXPECT_EQ(run.m_code, 0);
    EXPECT_EQ(run.m_err, "");
    for (const std::string eol : {"\n", "\r\n", "\r"}) {
        SCOPED_TRACE(eol == "\n" ? "LF" : eol == "\r" ? "CR" : "CR LF");
        run = Run(WithOut({WriteFile("page.pdf", page(whole.substr(0, whole.size() - 5), eol)), "--dpi", "fit"}));
        ASSERT_EQ(run.m_code, 0) << run.m_err;
        ASSERT_FALSE(run.Lines().empty()) << "repaired, yet silent";
        const std::string line = run.Lines()[0];
        const std::string words = "a compressed stream's data stop before their end";
        EXPECT_NE(line.find("page.pdf: page 1: every ink "), std::string::npos) << line;
        EXPECT_EQ(line.substr(line.size() - std::min(line.size(), words.size())), words) << line;
    }
}

// A missing end mark is no loss where a later filter of the chain comes to
// its own end whole; data a decoder cannot read are separated up to the
// fault and said in the program's words; an image cut or failing its check
// is said of every ink, the image's own words the line's detail; inline LZW
// data that end inside their last byte, without the end code, end there, as
// inline ASCII85 and run-length data without their end mark do.
TEST_F(TS_ProgramTest, DataEndsAreSaidAsTheDrawingMeetsThemInTheProgramsWords) {
    const auto plates = [&](const std::string& pdf, TS_Run* run) { return ProcessPlates(pdf, run); };
    const auto filtered = [](const std::string& filter, const std::string& data) {
        return PdfText("%PDF-1.4", {"<< /Type /Catalog /Pages 2 0 R >>", "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
                                    "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 100 100] /Contents 4 0 R >>",
                                    "<< /Length " + std::to_string(data.size()) + " /Filter " + filter +
                                        " >>\nstream\n" + data + "\nendstream"});
    };
    // A 16 x 16 CMYK image under filter, its four inks in quarters.
    std::string samples;
    for (int i = 0; i < 256; ++i)
        samples += std::string{static_cast<char>(i % 16 < 8 ? 200 : 0), static_cast<char>(i / 16 < 8 ? 150 : 0),
                               static_cast<char>(i % 3 == 0 ? 90 : 0), '\x40'};
    const auto image = [](const std::string& filter, const std::string& data) {
        return PdfText("%PDF-1.4",
                       {"<< /Type /Catalog /Pages 2 0 R >>", "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
                        "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 100 100] /Contents 4 0 R /Resources << "
                        "/XObject << /Im0 5 0 R >> >> >>",
                        VIEW_PdfStream("", "q 80 0 0 80 10 10 cm /Im0 Do Q"),
                        "<< /Type /XObject /Subtype /Image /Width 16 /Height 16 /BitsPerComponent 8 /ColorSpace "
                        "/DeviceCMYK /Filter " + filter + " /Length " + std::to_string(data.size()) +
                            " >>\nstream\n" + data + "\nendstream"});
    };
    const auto inlineImage = [](const std::string& data) {
        return PdfText("%PDF-1.4", {"<< /Type /Catalog /Pages 2 0 R >>", "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
                                    "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 100 100] /Contents 4 0 R >>",
                                    VIEW_PdfStream("", "q 80 0 0 80 10 10 cm BI /W 16 /H 16 /BPC 8 /CS /CMYK /F /LZW "
                                                       "ID " + data + "\nEI Q 0 1 0 0 k 0 0 8 8 re f")});
    };
    const auto inlineJunk = [](const std::string& filter, const std::string& data) {
        return PdfText("%PDF-1.4", {"<< /Type /Catalog /Pages 2 0 R >>", "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
                                    "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 100 100] /Contents 4 0 R >>",
                                    VIEW_PdfStream("", "q 50 0 0 50 10 10 cm BI /W 2 /H 2 /BPC 8 /CS /G " +
                                                           (filter.empty() ? "" : "/F " + filter + " ") + "ID " +
                                                           data + " EI Q")});
    };
    // A grey image whose ink goes unchanged to Black, a square after it.
    const auto inlineGray = [](const std::string& filter, const std::string& data) {
        return PdfText("%PDF-1.4", {"<< /Type /Catalog /Pages 2 0 R >>", "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
                                    "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 100 100] /Contents 4 0 R >>",
                                    VIEW_PdfStream("", "q 80 0 0 80 10 10 cm BI /W 16 /H 16 /BPC 8 /CS /G /F " +
                                                           filter + " ID " + data +
                                                           "\nEI Q 0 1 0 0 k 0 0 8 8 re f")});
    };
    std::string gray;
    for (int i = 0; i < 256; ++i)
        gray += static_cast<char>(i % 16 < 8 ? 200 : i % 5 * 40);
    FILT_ASCII85Encode encoder;
    const std::string a85 = RunFilter(encoder, gray, {{0}, {0}});
    const std::string hexFlate = Hex(Deflated(Content));
    std::string wrongCheck = Deflated(samples);
    wrongCheck.back() = static_cast<char>(wrongCheck.back() ^ 1);
    std::string badCode = LZWEncoded(Black);
    badCode.replace(badCode.size() - 2, 2, "\xFF\xFF\xFF");
    std::string badHex = Hex(Content);
    badHex.insert(badHex.size() / 2 & ~size_t{1}, "x");
    const std::string every = "every ink may lack what the drawing could not read of its content: ";
    const struct {
        const char* what;
        std::string pdf, twin;
        std::string words;  // the line after "page 1: ", "" for none
        bool asTwin;        // every plate as the twin's
    } rows[] = {
        // The later filter's own end proves the data whole.
        {"hex then Flate without >", filtered("[/ASCIIHexDecode /FlateDecode]", hexFlate.substr(0, hexFlate.size() - 1)),
         Page("", Content), "", true},
        {"hex then run-length without >",
         filtered("[/ASCIIHexDecode /RunLengthDecode]", Hex(RunLength(Content)).substr(0, Hex(RunLength(Content)).size() - 1)),
         Page("", Content), "", true},
        {"hex without >", Page("ASCIIHexDecode", Hex(Content).substr(0, Hex(Content).size() - 1)), Page("", Content),
         every + "an ASCIIHex stream stops before its end mark", true},
        // Damaged: what precedes is drawn, the rest lost, in words.
        {"hex holding an x", Page("ASCIIHexDecode", badHex), Page("", Black),
         every + "an ASCIIHex stream holds a character that is not a hexadecimal digit", true},
        {"LZW holding a code beyond its table", Page("LZWDecode", badCode), Page("", Black),
         every + "an LZW stream holds a code beyond its table", true},
        // An image: the line names every ink.
        {"image cut at half", image("/FlateDecode", Half(Deflated(samples))), image("/FlateDecode", Deflated(samples)),
         every + "Image /Im0 is truncated: its data hold ", false},
        {"image failing its check", image("/FlateDecode", wrongCheck), image("/FlateDecode", Deflated(samples)),
         every + "Image /Im0: a compressed stream's data do not match their check", true},
        {"image in LZW cut at half", image("/LZWDecode", Half(LZWEncoded(samples))),
         image("/FlateDecode", Deflated(samples)), every + "Image /Im0 is truncated: its data hold ", false},
        // Formerly refused in a decoder's words.
        {"inline Flate junk", inlineJunk("/Fl", "junkjunkjunkjunkjunk"), inlineJunk("", std::string(16, '\x80')),
         "ink Black may lack what the drawing could not read of its content: a compressed stream in it is damaged",
         false},
        {"inline hex zz", inlineJunk("/AHx", "zz>"), inlineJunk("", std::string(4, '\0')),
         "ink Black may lack what the drawing could not read of its content: a stream in it could not be read to "
         "its end", true},
        {"image Flate junk", image("/FlateDecode", "junkjunkjunk"), image("/FlateDecode", Deflated(samples)),
         every + "Image /Im0 is truncated: its data hold 0 of 1024 samples", false},
        {"inline LZW without its end code", inlineImage(LZWEncoded(samples, false)),
         inlineImage(LZWEncoded(samples)), "", true},
        // Inline data without their end mark end once they give the image's
        // bytes: "EI" is ASCII85 digits, a run-length length after the data.
        {"inline ASCII85 without ~>", inlineGray("/A85", a85.substr(0, a85.size() - 2)), inlineGray("/A85", a85), "",
         true},
        {"inline run-length without 128", inlineGray("/RL", RunLength(gray).substr(0, RunLength(gray).size() - 1)),
         inlineGray("/RL", RunLength(gray)), "", true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        TS_Run run;
        const auto twin = plates(row.twin, &run);
        ASSERT_EQ(run.m_code, 0) << run.m_err;
        const auto got = plates(row.pdf, &run);
        ASSERT_EQ(run.m_code, 0) << run.m_err;
        if (row.words.empty()) {
            EXPECT_EQ(run.m_err, "");
        } else {
            ASSERT_EQ(run.Lines().size(), 1u) << run.m_err;
            EXPECT_NE(run.Lines()[0].find("page.pdf: page 1: " + row.words), std::string::npos) << run.m_err;
        }
        if (row.asTwin) {
            for (size_t ink = 0; ink < 4; ++ink)
                EXPECT_TRUE(got[ink] == twin[ink]) << "ink " << ink;
        } else {
            EXPECT_TRUE(got != twin) << "a cut image draws less";
        }
    }
}

}  // namespace
