#include "FILT/FILT_ASCIIHexDecode.h"
#include "FILT/FILT_ASCIIHexEncode.h"

#include "GLIB/GLIB_Exception.h"
#include "support/FilterDriver.h"
#include "support/TestSupport.h"
#include "FILT_TestData.h"

#include <gtest/gtest.h>

#include <string>

namespace {

uint32_t DecodeCode(const std::string& data, const Chunking& ch, std::string* message = nullptr,
                    std::string* output = nullptr) {
    FILT_ASCIIHexDecode dec;
    try {
        const std::string out = RunFilter(dec, data, ch, data.size() + 64);
        if (output)
            *output = out;
        return 0;
    } catch (const GLIB_Exception& e) {
        if (message)
            *message = e.What();
        return e.Code();
    }
}

std::string Repeat(const std::string& s, int n) {
    std::string r;
    while (n-- > 0)
        r += s;
    return r;
}

}  // namespace

TEST(FILT_ASCIIHex, DecodesHandMadeText) {
    struct Case {
        std::string in, out;
    };
    const Case cases[] = {
        {"61 62>", "ab"},
        {"616>", "a`"},
        {"6", "`"},                                  // single digit at the end of input
        {"4a4B\t4c\r\n\x08\x0b\x0c>", "JKL"},        // both cases, every white space
        {"414243", "ABC"},                           // no ">"
        {">", ""},
        {"", ""},
        {"00ff7F80", std::string("\x00\xff\x7f\x80", 4)},
    };
    for (size_t k = 0; k < std::size(cases); ++k) {
        for (const Chunking& ch : StandardChunkings()) {
            SCOPED_TRACE(std::to_string(k) + " " + ch.Name());
            FILT_ASCIIHexDecode dec;
            EXPECT_EQ(RunFilter(dec, cases[k].in, ch, 64), cases[k].out);
        }
    }
}

TEST(FILT_ASCIIHex, BytesAfterTheEndMarkStayUnread) {
    FILT_ASCIIHexDecode dec;
    TestBuffer in("41>42", false), out("", false, 16);
    dec.ProcessBytes(in.buf, out.buf);
    EXPECT_EQ(out.Text(), "A");
    EXPECT_TRUE(out.buf.IsEOD());
    EXPECT_EQ(in.Text(), "42");
}

TEST(FILT_ASCIIHex, IllegalCharactersThrow) {
    struct Case {
        std::string in;
        std::string message;
    };
    const Case cases[] = {
        {"41G", "ASCIIHexDecode: Encountered an illegal character: 0x47, offset = 3"},
        {"4 g", "ASCIIHexDecode: Encountered an illegal character: 0x67, offset = 3"},
        {std::string("41 42\0", 6), "ASCIIHexDecode: Encountered an illegal character: 0x0, offset = 6"},
        {"~", "ASCIIHexDecode: Encountered an illegal character: 0x7e, offset = 1"},
    };
    for (size_t k = 0; k < std::size(cases); ++k) {
        for (const Chunking& ch : StandardChunkings()) {
            SCOPED_TRACE(std::to_string(k) + " " + ch.Name());
            std::string message;
            EXPECT_EQ(DecodeCode(cases[k].in, ch, &message), 1130002u);
            EXPECT_EQ(message, cases[k].message);
        }
    }
    FILT_ASCIIHexDecode dec;
    TestBuffer in("zz", true), out("", false, 16);
    EXPECT_THROW(dec.ProcessBytes(in.buf, out.buf), GLIB_Exception);
    try {
        dec.ProcessBytes(in.buf, out.buf);
        FAIL() << "no exception";
    } catch (const GLIB_Exception& e) {
        EXPECT_EQ(e.Code(), 1130004u);
        EXPECT_STREQ(e.What(), "ASCIIHExDecode: ProcessBytes called while in the Error state");
    }
    dec.Reset();
    TestBuffer again("41", true);
    dec.ProcessBytes(again.buf, out.buf);
    EXPECT_EQ(out.Text(), "A");
}

TEST(FILT_ASCIIHex, EncodesLinesAndEndMark) {
    struct Case {
        const char* what;
        std::string in;
        uint32_t lineLength;
        const char* endOfLine;
        std::string out;
    };
    const Case cases[] = {
        {"two bytes", std::string("\x00\xff", 2), 0, nullptr, "00ff>"},
        {"empty", "", 0, nullptr, ">"},
        {"exactly one line", std::string(32, '\x5a'), 32, "\r", Repeat("5a", 32) + "\r>"},
        {"a line and a byte", std::string(3, '\xab'), 2, "\r\n", "abab\r\nab>"},
        {"two full lines", "abcd", 2, "|", "6162|6364|>"},
    };
    for (size_t k = 0; k < std::size(cases); ++k) {
        const std::string& expected = cases[k].out;
        for (const Chunking& ch : StandardChunkings()) {
            SCOPED_TRACE(std::string(cases[k].what) + " " + ch.Name());
            FILT_ASCIIHexEncode enc;
            if (cases[k].lineLength)
                enc.SetLineLength(cases[k].lineLength);
            if (cases[k].endOfLine)
                enc.SetEndOfLine(cases[k].endOfLine);
            EXPECT_EQ(RunFilter(enc, cases[k].in, ch, 256), expected);
        }
    }
    FILT_ASCIIHexEncode enc;
    enc.SetEODText("");
    EXPECT_EQ(RunFilter(enc, "\x01", {{0}, {0}}), "01");
    EXPECT_THROW(enc.SetEODText("0123456789"), TestAssertionFailure);
    EXPECT_THROW(enc.SetLineLength(0), TestAssertionFailure);
}

TEST(FILT_ASCIIHex, RoundTrip) {
    const auto inputs = RoundTripInputs();
    for (size_t k = 0; k < inputs.size(); ++k) {
        for (const Chunking& ch : StandardChunkings()) {
            SCOPED_TRACE("input " + std::to_string(k) + " " + ch.Name());
            FILT_ASCIIHexEncode enc;
            enc.SetLineLength(32);
            enc.SetEndOfLine("\r");
            const std::string encoded = RunFilter(enc, inputs[k], ch, 3 * inputs[k].size() + 64);
            EXPECT_EQ(encoded.back(), '>');
            FILT_ASCIIHexDecode dec;
            EXPECT_EQ(RunFilter(dec, encoded, ch, inputs[k].size() + 64), inputs[k]);
        }
    }
}
