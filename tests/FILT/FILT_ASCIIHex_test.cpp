#include "FILT/FILT_ASCIIHexDecode.h"
#include "FILT/FILT_ASCIIHexEncode.h"

#include "FILT_TestData.h"

TEST(FILT_ASCIIHex, DecodesHandMadeText) {
    const struct { std::string in, out; } cases[] = {
        {"61 62>", "ab"},
        {"616>", "a`"},
        {"6", "`"},                            // single digit at the end of input
        {std::string("4a4B\t4c\r\n\x08\x0b\x0c\0 >", 15), "JKL"},  // both cases, every white space, NUL too
        {"414243", "ABC"},                     // no ">"
        {">", ""},
        {"", ""},
        {"00ff7F80", std::string("\x00\xff\x7f\x80", 4)},
    };
    for (size_t k = 0; k < std::size(cases); ++k) {
        SCOPED_TRACE(k);
        ExpectOutput(New<FILT_ASCIIHexDecode>, cases[k].in, cases[k].out);
    }
    FILT_ASCIIHexDecode dec;
    TestBuffer in("41>42", false), out("", false, 16);
    dec.ProcessBytes(in.buf, out.buf);
    EXPECT_EQ(out.Text(), "A");
    EXPECT_TRUE(out.buf.IsEOD());
    EXPECT_EQ(in.Text(), "42");  // bytes after the end mark stay unread
}

TEST(FILT_ASCIIHex, IllegalCharactersThrow) {
    const struct { std::string in, message; } cases[] = {
        {"41G", "0x47, offset = 3"},
        {"4 g", "0x67, offset = 3"},
        {"41 42\x7f", "0x7f, offset = 6"},
        {"~", "0x7e, offset = 1"},
    };
    for (size_t k = 0; k < std::size(cases); ++k) {
        for (const Chunking& ch : StandardChunkings()) {
            SCOPED_TRACE(std::to_string(k) + " " + ch.Name());
            FILT_ASCIIHexDecode dec;
            ExpectThrows([&] { RunFilter(dec, cases[k].in, ch, 64); }, 1130002,
                         "ASCIIHexDecode: Encountered an illegal character: " + cases[k].message);
        }
    }
    // Reset leaves the Error state.
    FILT_ASCIIHexDecode dec;
    ExpectThrows([&] { RunFilter(dec, "zz", {{0}, {0}}); }, 1130002);
    dec.Reset();
    EXPECT_EQ(RunFilter(dec, "41", {{0}, {0}}), "A");
}

// Every output ends with ">", also after a line end.
TEST(FILT_ASCIIHex, EncodesLinesAndEndMark) {
    const struct { std::string in; uint32_t lineLength; const char* endOfLine; std::string out; } cases[] = {
        {std::string("\x00\xff", 2), 0, nullptr, "00ff>"},
        {"", 0, nullptr, ">"},
        {std::string(32, '\x5a'), 32, "\r", Repeat("5a", 32) + "\r>"},  // exactly one line
        {std::string(3, '\xab'), 2, "\r\n", "abab\r\nab>"},
        {"abcd", 2, "|", "6162|6364|>"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.out);
        ExpectOutput(
            [&c] {
                auto enc = New<FILT_ASCIIHexEncode>();
                if (c.lineLength)
                    enc->SetLineLength(c.lineLength);
                if (c.endOfLine)
                    enc->SetEndOfLine(c.endOfLine);
                return enc;
            },
            c.in, c.out);
    }
    FILT_ASCIIHexEncode enc;
    enc.SetEODText("");
    EXPECT_EQ(RunFilter(enc, "\x01", {{0}, {0}}), "01");
    EXPECT_THROW(enc.SetEODText("0123456789"), TestAssertionFailure);
    EXPECT_THROW(enc.SetLineLength(0), TestAssertionFailure);
}
