#include "FILT/FILT_ASCII85Decode.h"
#include "FILT/FILT_ASCII85Encode.h"

#include "FILT_TestData.h"

namespace {

// "Hell" = 0x48656c6c = 23·85^4 + 22·85^3 + 66·85^2 + 52·85 + 49, digits
// plus 33: "87cUR"; "Man " likewise gives "9jqo^".
const std::string HelloWorld85 = "87cURD]i,\"Ebo80";

}  // namespace

TEST(FILT_ASCII85, DecodesHandMadeText) {
    const struct { std::string in, out; } cases[] = {
        {HelloWorld85 + "~>", "Hello World!"},
        {"z~>", std::string(4, '\0')},
        {"!!~>", std::string(1, '\0')},  // two digits
        {"@:B~>", "ab"},                 // three digits
        {std::string("9j\r\nqo \t^\x08\x0b\x0c\0~>", 15), "Man "},  // every white space, NUL included
        {"9jqo^z9jqo^~>", "Man " + std::string(4, '\0') + "Man "},
        {"9jqo^@:B", "Man ab"},  // no end mark
        {"9jqo^~", "Man "},      // input ends right after ~
        {"", ""},
        {"~>", ""},
        {"s8W-!~>", "\xff\xff\xff\xff"},
    };
    for (size_t k = 0; k < std::size(cases); ++k) {
        SCOPED_TRACE(k);
        ExpectOutput(New<FILT_ASCII85Decode>, cases[k].in, cases[k].out);
    }
    LogCapture log;
    FILT_ASCII85Decode dec;
    EXPECT_EQ(RunFilter(dec, "9jqo^!~>", {{0}, {0}}), "Man ");
    EXPECT_TRUE(log.Contains(GLIB_LogDebug, "ASCII85Decode: Last tuple can't have a single byte, ignoring"));
    // Bytes after the end mark stay unread.
    TestBuffer in("z~>!!!!!", false), out("", false, 16);
    dec.Reset();
    dec.ProcessBytes(in.buf, out.buf);
    EXPECT_TRUE(out.buf.IsEOD());
    EXPECT_EQ(out.Text(), std::string(4, '\0'));
    EXPECT_EQ(in.Text(), "!!!!!");
}

TEST(FILT_ASCII85, BadTextThrows) {
    LogCapture quiet;
    const struct { std::string in, message; } cases[] = {
        {"9jqo^v", "Encountered an illegal character: 0x76, offset = 6"},
        {"9j\x7f", "Encountered an illegal character: 0x7f, offset = 3"},
        {"9jq{", "Encountered an illegal character: 0x7b, offset = 4"},
        // '<' is a digit; the "<~" of PostScript is not part of PDF stream data.
        {"<~9jqo^~>", "Encountered a '~' not followed by '>', offset = 3"},
        {"9jz", "Encountered a 'z' in the middle of a tuple, offset = 3"},
        {"9jqo^~x", "Encountered a '~' not followed by '>', offset = 7"},
        {"~~", "Encountered a '~' not followed by '>', offset = 2"},
        // Groups above 2^32 - 1 ("s8W-!"); a partial one as padded.
        {"uuuuu", "Encountered a tuple above 2^32 - 1, offset = 5"},
        {"z s8W-\"", "Encountered a tuple above 2^32 - 1, offset = 7"},
        {"uu~>", "Encountered a tuple above 2^32 - 1, offset = 3"},
        {"9jqo^uuu", "Encountered a tuple above 2^32 - 1, offset = 8"},
    };
    for (size_t k = 0; k < std::size(cases); ++k) {
        for (const Chunking& ch : StandardChunkings()) {
            SCOPED_TRACE(std::to_string(k) + " " + ch.Name());
            FILT_ASCII85Decode dec;
            ExpectThrows([&] { RunFilter(dec, cases[k].in, ch, 64); }, 1130004, "ASCII85Decode: " + cases[k].message);
        }
    }
    // Reset leaves the Error state.
    FILT_ASCII85Decode dec;
    ExpectThrows([&] { RunFilter(dec, "{", {{0}, {0}}); }, 1130004);
    dec.Reset();
    EXPECT_EQ(RunFilter(dec, "z", {{0}, {0}}), std::string(4, '\0'));
}

TEST(FILT_ASCII85, EncodesGroupsLinesAndEndMark) {
    const struct { std::string in; uint32_t lineLength; std::string out; } cases[] = {
        {std::string(4, '\0'), 0, "z~>"},
        {std::string("\0\0\0\x01", 4), 0, "!!!!\"~>"},
        {std::string(1, '\0'), 0, "!!~>"},
        {"Man ab", 0, "9jqo^@:B~>"},
        {"Hello World!", 0, HelloWorld85 + "~>"},
        {"", 0, "~>"},
        // A line ends at the first group boundary at or past the length; a z counts one.
        {"Man Man Man ", 8, "9jqo^9jqo^\r9jqo^~>"},
        {std::string(12, '\0') + "Man ", 2, "zz\rz9jqo^\r~>"},
    };
    for (size_t k = 0; k < std::size(cases); ++k) {
        SCOPED_TRACE(k);
        const uint32_t length = cases[k].lineLength;
        ExpectOutput(
            [length] {
                auto enc = New<FILT_ASCII85Encode>();
                if (length) {
                    enc->SetLineLength(length);
                    enc->SetEndOfLine("\r");
                }
                return enc;
            },
            cases[k].in, cases[k].out);
    }
}
