#include "FILT/FILT_ASCII85Decode.h"
#include "FILT/FILT_ASCII85Encode.h"

#include "GLIB/GLIB_Exception.h"
#include "support/FilterDriver.h"
#include "support/TestSupport.h"
#include "FILT_TestData.h"

#include <gtest/gtest.h>

#include <string>

namespace {

uint32_t DecodeCode(const std::string& data, const Chunking& ch, std::string* message = nullptr) {
    FILT_ASCII85Decode dec;
    try {
        RunFilter(dec, data, ch, data.size() + 64);
        return 0;
    } catch (const GLIB_Exception& e) {
        if (message)
            *message = e.What();
        return e.Code();
    }
}

// "Hell" = 0x48656c6c = 23·85^4 + 22·85^3 + 66·85^2 + 52·85 + 49, digits
// plus 33: "87cUR"; "Man " likewise gives "9jqo^".
const std::string HelloWorld85 = "87cURD]i,\"Ebo80";

}  // namespace

TEST(FILT_ASCII85, DecodesHandMadeText) {
    struct Case {
        const char* what;
        std::string in, out;
    };
    const Case cases[] = {
        {"three groups", HelloWorld85 + "~>", "Hello World!"},
        {"one group", "9jqo^~>", "Man "},
        {"z", "z~>", std::string(4, '\0')},
        {"two digits", "!!~>", std::string(1, '\0')},
        {"three digits", "@:B~>", "ab"},
        {"white space inside groups", "9j\r\nqo \t^\x08\x0c~>", "Man "},
        {"z between groups", "9jqo^z9jqo^~>", "Man " + std::string(4, '\0') + "Man "},
        {"no end mark", "9jqo^@:B", "Man ab"},
        {"input ends right after ~", "9jqo^~", "Man "},
        {"empty", "", ""},
        {"only the end mark", "~>", ""},
        {"largest group", "s8W-!~>", "\xff\xff\xff\xff"},
    };
    for (size_t k = 0; k < std::size(cases); ++k) {
        for (const Chunking& ch : StandardChunkings()) {
            SCOPED_TRACE(std::string(cases[k].what) + " " + ch.Name());
            FILT_ASCII85Decode dec;
            EXPECT_EQ(RunFilter(dec, cases[k].in, ch, 64), cases[k].out);
        }
    }
}

TEST(FILT_ASCII85, SingleLastDigitIsDroppedWithAWarning) {
    LogCapture log;
    FILT_ASCII85Decode dec;
    EXPECT_EQ(RunFilter(dec, "9jqo^!~>", {{0}, {0}}), "Man ");
    EXPECT_TRUE(log.Contains(GLIB_LogWarning, "ASCII85Decode: Last tuple can't have a single byte, ignoring"));
}

TEST(FILT_ASCII85, StopsAtTheEndMark) {
    FILT_ASCII85Decode dec;
    TestBuffer in("z~>!!!!!", false), out("", false, 16);
    dec.ProcessBytes(in.buf, out.buf);
    EXPECT_TRUE(out.buf.IsEOD());
    EXPECT_EQ(out.buf.DataAvailable(), 4u);
    EXPECT_EQ(in.Text(), "!!!!!");
}

TEST(FILT_ASCII85, SmallOutputRoomStillMakesProgress) {
    // With 3 bytes of room the group is decoded and what fits delivered.
    FILT_ASCII85Decode dec;
    TestBuffer in("9jqo^~>", true), out("", false, 3), rest("", false, 8);
    dec.ProcessBytes(in.buf, out.buf);
    EXPECT_EQ(out.Text(), "Man");
    EXPECT_FALSE(out.buf.IsEOD());
    dec.ProcessBytes(in.buf, rest.buf);
    EXPECT_EQ(rest.Text(), " ");
    EXPECT_TRUE(rest.buf.IsEOD());
}

TEST(FILT_ASCII85, BadTextThrows) {
    LogCapture quiet;
    struct Case {
        std::string in;
        std::string message;
    };
    const Case cases[] = {
        {"9jqo^v", "ASCII85Decode: Encountered an illegal character: 0x76, offset = 6"},
        {std::string("9j\0", 3), "ASCII85Decode: Encountered an illegal character: 0x0, offset = 3"},
        {"9jq{", "ASCII85Decode: Encountered an illegal character: 0x7b, offset = 4"},
        // '<' is a digit; the "<~" of PostScript is not part of PDF stream data.
        {"<~9jqo^~>", "ASCII85Decode: Encountered a '~' not followed by '>', offset = 3"},
        {"9jz", "ASCII85Decode: Encountered a 'z' in the middle of a tuple, offset = 3"},
        {"9jqo^~x", "ASCII85Decode: Encountered a '~' not followed by '>', offset = 7"},
        {"~~", "ASCII85Decode: Encountered a '~' not followed by '>', offset = 2"},
    };
    for (size_t k = 0; k < std::size(cases); ++k) {
        for (const Chunking& ch : StandardChunkings()) {
            SCOPED_TRACE(std::to_string(k) + " " + ch.Name());
            std::string message;
            EXPECT_EQ(DecodeCode(cases[k].in, ch, &message), 1130004u);
            EXPECT_EQ(message, cases[k].message);
        }
    }
    FILT_ASCII85Decode dec;
    TestBuffer in("{", true), out("", false, 16);
    EXPECT_THROW(dec.ProcessBytes(in.buf, out.buf), GLIB_Exception);
    try {
        dec.ProcessBytes(in.buf, out.buf);
        FAIL() << "no exception";
    } catch (const GLIB_Exception& e) {
        EXPECT_EQ(e.Code(), 1130004u);
        EXPECT_STREQ(e.What(), "ASCII85Decode: ProcessBytes called while in the Error state");
    }
    dec.Reset();
    TestBuffer again("z", true);
    dec.ProcessBytes(again.buf, out.buf);
    EXPECT_EQ(out.buf.DataAvailable(), 4u);
}

TEST(FILT_ASCII85, EncodesGroupsLinesAndEndMark) {
    struct Case {
        const char* what;
        std::string in;
        uint32_t lineLength;
        std::string out;
    };
    const Case cases[] = {
        {"four zero bytes", std::string(4, '\0'), 0, "z~>"},
        {"one", std::string("\0\0\0\x01", 4), 0, "!!!!\"~>"},
        {"a single zero byte", std::string(1, '\0'), 0, "!!~>"},
        {"a short last group", "Man ab", 0, "9jqo^@:B~>"},
        {"hello", "Hello World!", 0, HelloWorld85 + "~>"},
        {"empty", "", 0, "~>"},
        // A line ends at the first group boundary at or past the length.
        {"lines of 8", "Man Man Man ", 8, "9jqo^9jqo^\r9jqo^~>"},
        {"z counts one", std::string(12, '\0') + "Man ", 2, "zz\rz9jqo^\r~>"},
    };
    for (size_t k = 0; k < std::size(cases); ++k) {
        for (const Chunking& ch : StandardChunkings()) {
            SCOPED_TRACE(std::string(cases[k].what) + " " + ch.Name());
            FILT_ASCII85Encode enc;
            if (cases[k].lineLength) {
                enc.SetLineLength(cases[k].lineLength);
                enc.SetEndOfLine("\r");
            }
            EXPECT_EQ(RunFilter(enc, cases[k].in, ch, 256), cases[k].out);
        }
    }
}

TEST(FILT_ASCII85, RoundTrip) {
    auto inputs = RoundTripInputs();
    inputs.push_back(std::string(9, '\0') + "\x01" + std::string(7, '\0'));
    for (size_t k = 0; k < inputs.size(); ++k) {
        for (const Chunking& ch : StandardChunkings()) {
            SCOPED_TRACE("input " + std::to_string(k) + " " + ch.Name());
            FILT_ASCII85Encode enc;
            enc.SetLineLength(64);
            enc.SetEndOfLine("\r");
            const std::string encoded = RunFilter(enc, inputs[k], ch, 2 * inputs[k].size() + 64);
            FILT_ASCII85Decode dec;
            EXPECT_EQ(RunFilter(dec, encoded, ch, inputs[k].size() + 64), inputs[k]);
        }
    }
}
