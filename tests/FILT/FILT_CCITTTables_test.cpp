#include "FILT/FILT_CCITTTables.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Tables = FILT_CCITTTables;

// The code an encoder entry holds, as a bit string (entry at offset 0).
std::string CodeBits(const Tables::EncodeEntry& e, uint32_t length) {
    std::string bits;
    for (uint32_t i = 0; i < length; ++i)
        bits += (e.pattern[i / 8] & (0x80 >> (i % 8))) ? '1' : '0';
    return bits;
}

// Packs bits after `offset` leading 1 bits (already consumed) and pads
// with `trailer` bits to whole bytes.
std::vector<uint8_t> Place(const std::string& bits, int offset, char trailer) {
    std::string all = std::string(static_cast<size_t>(offset), '1') + bits;
    while (all.size() % 8)
        all += trailer;
    all += std::string(8, trailer);
    std::vector<uint8_t> bytes(all.size() / 8);
    for (size_t i = 0; i < all.size(); ++i)
        if (all[i] == '1')
            bytes[i / 8] |= static_cast<uint8_t>(0x80 >> (i % 8));
    return bytes;
}

struct Decoded {
    int value;
    int bits;  // bits consumed from the start of the code
};

// Walks the decoding tables over bytes the way the decoder does, with the
// code starting `offset` bits into the first byte; an EOL's end is found
// from the leading zeros of its last byte.
template <class Lookup>
Decoded Walk(const std::vector<uint8_t>& bytes, int offset, uint8_t terminal, Lookup lookup) {
    const Tables& t = Tables::Instance();
    const int unread = 8 - offset;
    uint8_t e = lookup(true, unread, bytes[0]);
    if (e >= terminal)
        return {lookup.Code(e).second, lookup.Code(e).first};
    int gathered = unread;
    for (size_t i = 1; i < bytes.size(); ++i) {
        e = lookup(false, e, bytes[i]);
        if (e >= terminal) {
            const auto [length, value] = lookup.Code(e);
            const int left = lookup.IsEOL(value) ? 7 - t.leadingZeros[bytes[i]] : gathered + 8 - length;
            return {value, gathered + 8 - left};
        }
        gathered += 8;
    }
    return {-100, -1};
}

struct OneDLookup {
    int colour;
    uint8_t operator()(bool first, int row, uint8_t byte) const {
        const Tables::OneDTables& t = Tables::Instance().oneD[colour];
        return first ? t.first[row][byte] : t.next[row][byte];
    }
    std::pair<int, int> Code(uint8_t e) const {
        const Tables::OneDCodeEntry& c = Tables::Instance().oneD[colour].codes[e - Tables::OneDCodeBase];
        return {c.length, c.value};
    }
    bool IsEOL(int value) const { return value == Tables::OneDEOL; }
};

struct TwoDLookup {
    uint8_t operator()(bool first, int row, uint8_t byte) const {
        const Tables& t = Tables::Instance();
        return first ? t.twoDFirst[row][byte] : t.twoDNext[row][byte];
    }
    std::pair<int, int> Code(uint8_t e) const {
        const Tables::TwoDCodeEntry& c = Tables::Instance().twoDCodes[e - Tables::TwoDTerminal];
        return {c.bits, c.value};
    }
    bool IsEOL(int value) const { return value == Tables::EOL; }
};

template <int N>
void CheckEntries(const Tables::EncodeEntry (&entries)[8][N], const uint32_t (&lengths)[N]) {
    for (int code = 0; code < N; ++code) {
        const std::string bits = CodeBits(entries[0][code], lengths[code]);
        for (uint32_t o = 0; o < 8; ++o) {
            SCOPED_TRACE(::testing::Message() << "code " << bits << " offset " << o);
            const Tables::EncodeEntry& e = entries[o][code];
            EXPECT_EQ(e.advance, (o + lengths[code]) / 8);
            std::string got;
            for (uint32_t i = 0; i < 32; ++i)
                got += (e.pattern[i / 8] & (0x80 >> (i % 8))) ? '1' : '0';
            EXPECT_EQ(got, std::string(o, '0') + bits + std::string(32 - o - bits.size(), '0'));
        }
    }
}

}  // namespace

// Spot checks against ITU-T T.4 tables 2 to 4.
TEST(FILT_CCITTTables, EncoderCodesAreTheStandardOnes) {
    const Tables& t = Tables::Instance();
    struct Case {
        int colour;
        int index;
        const char* bits;
    } cases[] = {
        {Tables::White, 0, "00110101"},        {Tables::Black, 0, "0000110111"},
        {Tables::White, 63, "00110100"},       {Tables::Black, 63, "000001100111"},
        {Tables::White, 64, "11011"},          {Tables::Black, 64, "0000001111"},
        {Tables::White, 90, "010011011"},      {Tables::Black, 90, "0000001100101"},
        {Tables::White, 91, "00000001000"},    {Tables::Black, 103, "000000011111"},
        {Tables::White, 104, "000000000001"},
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        SCOPED_TRACE(i);
        const Tables::OneDEncodeTable& e = t.oneDEncode[cases[i].colour];
        EXPECT_EQ(CodeBits(e.entry[0][cases[i].index], e.length[cases[i].index]), cases[i].bits);
    }
    const char* twoD[] = {"1", "011", "000011", "0000011", "010", "000010", "0000010", "001", "0001",
                          "000000000001", "0000001", "00000001", "000000001", "0000000001", "00000000001"};
    for (int i = 0; i < Tables::TwoDEncodeCodes; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(CodeBits(t.twoDEncode.entry[0][i], t.twoDEncode.length[i]), twoD[i]);
    }
}

TEST(FILT_CCITTTables, EncoderEntriesAtEveryOffsetReproduceTheCode) {
    const Tables& t = Tables::Instance();
    // The example of the code tables: white run 0 at offset 3.
    EXPECT_EQ(t.oneDEncode[Tables::White].entry[3][0].pattern[0], 0x06);
    EXPECT_EQ(t.oneDEncode[Tables::White].entry[3][0].pattern[1], 0xA0);
    EXPECT_EQ(t.oneDEncode[Tables::White].entry[3][0].advance, 1);
    CheckEntries(t.oneDEncode[Tables::White].entry, t.oneDEncode[Tables::White].length);
    CheckEntries(t.oneDEncode[Tables::Black].entry, t.oneDEncode[Tables::Black].length);
    CheckEntries(t.twoDEncode.entry, t.twoDEncode.length);
}

// Every code decodes to its value from each starting bit, split over two
// or three bytes; EOLs also after extra fill bits.
TEST(FILT_CCITTTables, EveryCodeDecodesFromEveryBitPosition) {
    const Tables& t = Tables::Instance();
    for (int colour = Tables::Black; colour <= Tables::White; ++colour) {
        const Tables::OneDEncodeTable& enc = t.oneDEncode[colour];
        for (int code = 0; code < Tables::OneDEncodeCodes; ++code) {
            const std::string bits = CodeBits(enc.entry[0][code], enc.length[code]);
            const int expected = code < 64 ? code : code == Tables::OneDEncodeEOL ? Tables::OneDEOL
                                                                                   : 64 * (code - 63);
            for (const std::string& fill : {std::string(), std::string(13, '0')}) {
                if (!fill.empty() && code != Tables::OneDEncodeEOL)
                    continue;
                for (int offset = 0; offset < 8; ++offset) {
                    for (char trailer : {'0', '1'}) {
                        SCOPED_TRACE(::testing::Message() << Tables::ColourName(colour) << " code "
                                                          << code << " offset " << offset
                                                          << " fill " << fill.size());
                        const Decoded d = Walk(Place(fill + bits, offset, trailer), offset,
                                               Tables::OneDTerminal, OneDLookup{colour});
                        EXPECT_EQ(d.value, expected);
                        EXPECT_EQ(d.bits, static_cast<int>(fill.size() + bits.size()));
                    }
                }
            }
        }
    }
    const int twoDValues[] = {Tables::V0,  Tables::VR1,        Tables::VR2,  Tables::VR3,
                              Tables::VL1, Tables::VL2,        Tables::VL3,  Tables::Horizontal,
                              Tables::Pass, Tables::EOL,       Tables::Invalid, Tables::Invalid,
                              Tables::Invalid, Tables::Invalid, Tables::EOL};
    for (int code = 0; code < Tables::TwoDEncodeCodes; ++code) {
        const std::string bits = CodeBits(t.twoDEncode.entry[0][code], t.twoDEncode.length[code]);
        for (int offset = 0; offset < 8; ++offset)
            for (char trailer : {'0', '1'}) {
                SCOPED_TRACE(::testing::Message() << "2-D code " << bits << " offset " << offset);
                // Trailing 0 bits would extend an invalid prefix into an EOL.
                if (twoDValues[code] == Tables::Invalid && trailer == '0')
                    continue;
                const Decoded d = Walk(Place(bits, offset, trailer), offset, Tables::TwoDTerminal, TwoDLookup{});
                EXPECT_EQ(d.value, twoDValues[code]);
                EXPECT_EQ(d.bits, static_cast<int>(bits.size()));
            }
    }
}

TEST(FILT_CCITTTables, AZeroByteNeverCompletesACode) {
    const Tables& t = Tables::Instance();
    for (int r = 1; r < Tables::FirstByteRows; ++r) {
        SCOPED_TRACE(r);
        EXPECT_LT(t.twoDFirst[r][0], Tables::TwoDTerminal);
        EXPECT_LT(t.oneD[Tables::White].first[r][0], Tables::OneDTerminal);
        EXPECT_LT(t.oneD[Tables::Black].first[r][0], Tables::OneDTerminal);
        EXPECT_GT(t.twoDFirst[r][0], 0);
    }
    // Fill of any length stays in one state until its 1 bit.
    uint8_t s = t.twoDFirst[8][0];
    for (int i = 0; i < 4; ++i)
        s = t.twoDNext[s][0];
    EXPECT_EQ(t.twoDNext[s][0], s);
    EXPECT_EQ(t.twoDCodes[t.twoDNext[s][0x80] - Tables::TwoDTerminal].value, Tables::EOL);
}

TEST(FILT_CCITTTables, LeadingZerosAndByteRuns) {
    const Tables& t = Tables::Instance();
    EXPECT_EQ(t.leadingZeros[0], 8);
    EXPECT_EQ(t.leadingZeros[1], 7);
    EXPECT_EQ(t.leadingZeros[0x10], 3);
    EXPECT_EQ(t.leadingZeros[0x80], 0);
    EXPECT_EQ(t.leadingZeros[0xFF], 0);
    struct Case {
        int previous;
        int byte;
        std::vector<int> runs;
    } cases[] = {
        {0, 0x0F, {4, 4}},
        {1, 0x0F, {0, 4, 4}},
        {0, 0x55, {1, 1, 1, 1, 1, 1, 1, 1}},
        {1, 0x55, {0, 1, 1, 1, 1, 1, 1, 1, 1}},
        {1, 0xFF, {8}},
        {0, 0xFF, {0, 8}},
        {1, 0x80, {1, 7}},
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        SCOPED_TRACE(i);
        const uint8_t* e = t.byteToRuns[cases[i].previous * 256 + cases[i].byte];
        std::vector<int> got{e[0]};
        for (int k = 1; k < Tables::ByteRunsEntry && e[k]; ++k)
            got.push_back(e[k]);
        EXPECT_EQ(got, cases[i].runs);
    }
}

// Trace names of one-dimensional codes are their bits, found by value.
TEST(FILT_CCITTTables, OneDCodeNames) {
    EXPECT_EQ(Tables::OneDName(Tables::White, 2, 4), "0111");
    EXPECT_EQ(Tables::OneDName(Tables::White, 1728, 9), "010011011");
    EXPECT_EQ(Tables::OneDName(Tables::Black, 1792, 11), "00000001000");
    EXPECT_EQ(Tables::OneDName(Tables::Black, Tables::OneDInvalid, 10), "0000000001");
    EXPECT_EQ(Tables::OneDName(Tables::White, Tables::OneDEOL, 12), "000000000001");
}
