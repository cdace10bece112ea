#include "FILT/FILT_CCITTTables.h"

#include "GLIB/GLIB_Assert.h"

#include <cstring>
#include <vector>

namespace {

// ITU-T T.4 tables 2 and 3: terminating codes by run length 0 to 63.
const char* const WhiteTerminating[64] = {
    "00110101", "000111",   "0111",     "1000",     "1011",     "1100",     "1110",     "1111",
    "10011",    "10100",    "00111",    "01000",    "001000",   "000011",   "110100",   "110101",
    "101010",   "101011",   "0100111",  "0001100",  "0001000",  "0010111",  "0000011",  "0000100",
    "0101000",  "0101011",  "0010011",  "0100100",  "0011000",  "00000010", "00000011", "00011010",
    "00011011", "00010010", "00010011", "00010100", "00010101", "00010110", "00010111", "00101000",
    "00101001", "00101010", "00101011", "00101100", "00101101", "00000100", "00000101", "00001010",
    "00001011", "01010010", "01010011", "01010100", "01010101", "00100100", "00100101", "01011000",
    "01011001", "01011010", "01011011", "01001010", "01001011", "00110010", "00110011", "00110100",
};
const char* const BlackTerminating[64] = {
    "0000110111",   "010",          "11",           "10",           "011",
    "0011",         "0010",         "00011",        "000101",       "000100",
    "0000100",      "0000101",      "0000111",      "00000100",     "00000111",
    "000011000",    "0000010111",   "0000011000",   "0000001000",   "00001100111",
    "00001101000",  "00001101100",  "00000110111",  "00000101000",  "00000010111",
    "00000011000",  "000011001010", "000011001011", "000011001100", "000011001101",
    "000001101000", "000001101001", "000001101010", "000001101011", "000011010010",
    "000011010011", "000011010100", "000011010101", "000011010110", "000011010111",
    "000001101100", "000001101101", "000011011010", "000011011011", "000001010100",
    "000001010101", "000001010110", "000001010111", "000001100100", "000001100101",
    "000001010010", "000001010011", "000000100100", "000000110111", "000000111000",
    "000000100111", "000000101000", "000001011000", "000001011001", "000000101011",
    "000000101100", "000001011010", "000001100110", "000001100111",
};
// Make-up codes by run length / 64 - 1 (64 to 1728).
const char* const WhiteMakeUp[27] = {
    "11011",     "10010",     "010111",    "0110111",   "00110110",  "00110111",  "01100100",
    "01100101",  "01101000",  "01100111",  "011001100", "011001101", "011010010", "011010011",
    "011010100", "011010101", "011010110", "011010111", "011011000", "011011001", "011011010",
    "011011011", "010011000", "010011001", "010011010", "011000",    "010011011",
};
const char* const BlackMakeUp[27] = {
    "0000001111",    "000011001000",  "000011001001",  "000001011011",  "000000110011",
    "000000110100",  "000000110101",  "0000001101100", "0000001101101", "0000001001010",
    "0000001001011", "0000001001100", "0000001001101", "0000001110010", "0000001110011",
    "0000001110100", "0000001110101", "0000001110110", "0000001110111", "0000001010010",
    "0000001010011", "0000001010100", "0000001010101", "0000001011010", "0000001011011",
    "0000001100100", "0000001100101",
};
// Extended make-up codes shared by both colours (1792 to 2560).
const char* const ExtendedMakeUp[13] = {
    "00000001000",  "00000001100",  "00000001101",  "000000010010", "000000010011",
    "000000010100", "000000010101", "000000010110", "000000010111", "000000011100",
    "000000011101", "000000011110", "000000011111",
};
const char* const EOLCode = "000000000001";
constexpr int NumTerminating = 64;
constexpr int NumMakeUp = 27;
constexpr int NumExtended = 13;
// Prefixes of 0 bits and a 1 that start no code of their table.
const char* const OneDInvalidPrefixes[3] = {"000000001", "0000000001", "00000000001"};

// ITU-T T.4 table 4, in the order of the two-dimensional terminals.
struct ModeCode {
    const char* bits;
    int32_t value;
};
const ModeCode TwoDDecodeCodes[FILT_CCITTTables::TwoDNumCodes] = {
    {"1", FILT_CCITTTables::V0},           {"011", FILT_CCITTTables::VR1},
    {"000011", FILT_CCITTTables::VR2},     {"0000011", FILT_CCITTTables::VR3},
    {"010", FILT_CCITTTables::VL1},        {"000010", FILT_CCITTTables::VL2},
    {"0000010", FILT_CCITTTables::VL3},    {"001", FILT_CCITTTables::Horizontal},
    {"0001", FILT_CCITTTables::Pass},      {"000000000001", FILT_CCITTTables::EOL},
    {"0000001", FILT_CCITTTables::Invalid}, {"00000001", FILT_CCITTTables::Invalid},
    {"000000001", FILT_CCITTTables::Invalid}, {"0000000001", FILT_CCITTTables::Invalid},
    {"00000000001", FILT_CCITTTables::EOL},
};
// The encoder's order: V0 … VL3, Horizontal, Pass, EOL, then the prefixes.
const char* const TwoDEncodeBits[FILT_CCITTTables::TwoDEncodeCodes] = {
    "1",   "011",          "000011",  "0000011",  "010",       "000010",     "0000010",
    "001", "0001",         EOLCode,   "0000001",  "00000001",  "000000001",  "0000000001",
    "00000000001",
};
// The node after eleven 0 bits loops on further 0 bits: EOL fill.
constexpr int EOLFillZeros = 11;

uint32_t BitsOf(const char* code) {
    uint32_t v = 0;
    for (const char* c = code; *c; ++c)
        v = (v << 1) | static_cast<uint32_t>(*c == '1');
    return v;
}

const char* Terminating(int colour, int run) {
    return colour == FILT_CCITTTables::White ? WhiteTerminating[run] : BlackTerminating[run];
}

// The make-up code for 64 * k, k = 1 to 40.
const char* MakeUp(int colour, int k) {
    if (k <= NumMakeUp)
        return colour == FILT_CCITTTables::White ? WhiteMakeUp[k - 1] : BlackMakeUp[k - 1];
    return ExtendedMakeUp[k - NumMakeUp - 1];
}

// A binary code tree; leaves carry terminal values.
class CodeTree {
public:
    CodeTree() : m_nodes(1) {}

    void Add(const char* bits, uint8_t terminal) {
        int node = 0;
        for (const char* c = bits; *c; ++c) {
            GLIB_ASSERT(m_nodes[node].terminal < 0);  // a code is a prefix of another
            const int b = *c == '1';
            if (m_nodes[node].child[b] < 0) {
                m_nodes[node].child[b] = static_cast<int>(m_nodes.size());
                m_nodes.push_back(Node());
            }
            node = m_nodes[node].child[b];
        }
        GLIB_ASSERT(m_nodes[node].terminal < 0 && m_nodes[node].child[0] < 0 &&
                    m_nodes[node].child[1] < 0);
        m_nodes[node].terminal = terminal;
    }

    // Lets the node reached by zeros 0 bits loop to itself on a 0 bit.
    void LoopZeros(int zeros) {
        int node = 0;
        for (int i = 0; i < zeros; ++i)
            node = m_nodes[node].child[0];
        GLIB_ASSERT(node > 0 && m_nodes[node].child[0] < 0);
        m_nodes[node].child[0] = node;
    }

    // Numbers the inner nodes other than the root from 1; returns the count.
    int NumberStates() {
        int next = 1;
        for (size_t i = 1; i < m_nodes.size(); ++i)
            if (m_nodes[i].terminal < 0)
                m_nodes[i].state = next++;
        return next - 1;
    }

    // Walks from node over the low bitCount bits of byte, most significant
    // first: the terminal reached, or the state of the node where bits ran out.
    uint8_t Walk(int node, int byte, int bitCount) const {
        for (int i = bitCount - 1; i >= 0; --i) {
            node = m_nodes[node].child[(byte >> i) & 1];
            GLIB_ASSERT(node >= 0);  // the code set leaves a gap
            if (m_nodes[node].terminal >= 0)
                return static_cast<uint8_t>(m_nodes[node].terminal);
        }
        return static_cast<uint8_t>(m_nodes[node].state);
    }

    template <size_t Rows>
    void FillTables(uint8_t (&first)[FILT_CCITTTables::FirstByteRows][256],
                    uint8_t (&next)[Rows][256]) const {
        std::memset(first, 0, sizeof first);
        std::memset(next, 0, sizeof next);
        for (int r = 1; r < FILT_CCITTTables::FirstByteRows; ++r)
            for (int byte = 0; byte < 256; ++byte)
                first[r][byte] = Walk(0, byte, r);
        for (size_t i = 1; i < m_nodes.size(); ++i) {
            if (m_nodes[i].terminal >= 0)
                continue;
            GLIB_ASSERT_CMP(m_nodes[i].state, <, static_cast<int>(Rows));
            for (int byte = 0; byte < 256; ++byte)
                next[m_nodes[i].state][byte] = Walk(static_cast<int>(i), byte, 8);
        }
    }

private:
    struct Node {
        int child[2] = {-1, -1};
        int terminal = -1;
        int state = 0;
    };
    std::vector<Node> m_nodes;
};

template <int N>
void FillEncodeEntries(const char* bits, int index, uint32_t (&lengths)[N],
                       FILT_CCITTTables::EncodeEntry (&entries)[8][N]) {
    const uint32_t length = static_cast<uint32_t>(std::strlen(bits));
    GLIB_ASSERT(length + 7 <= 32);
    lengths[index] = length;
    for (uint32_t offset = 0; offset < 8; ++offset) {
        const uint32_t shifted = BitsOf(bits) << (32 - length - offset);
        FILT_CCITTTables::EncodeEntry& e = entries[offset][index];
        e.advance = static_cast<uint8_t>((offset + length) / 8);
        for (int i = 0; i < 4; ++i)
            e.pattern[i] = static_cast<uint8_t>(shifted >> (24 - 8 * i));
    }
}

}  // namespace

const FILT_CCITTTables& FILT_CCITTTables::Instance() {
    // Held in static storage, not on the heap: the plug-in that holds the
    // pointer to heap tables may be unloaded before the process ends, which
    // leaves them unreachable, a leak to every leak checker.
    static const FILT_CCITTTables tables;
    return tables;
}

FILT_CCITTTables::FILT_CCITTTables() {
    for (int b = 0; b < 256; ++b) {
        int zeros = 0;
        while (zeros < 8 && !(b & (0x80 >> zeros)))
            ++zeros;
        leadingZeros[b] = static_cast<uint8_t>(zeros);
    }

    CodeTree twoD;
    for (int i = 0; i < TwoDNumCodes; ++i) {
        twoD.Add(TwoDDecodeCodes[i].bits, static_cast<uint8_t>(TwoDTerminal + i));
        twoDCodes[i].bits = static_cast<int32_t>(std::strlen(TwoDDecodeCodes[i].bits));
        twoDCodes[i].value = TwoDDecodeCodes[i].value;
    }
    twoD.LoopZeros(EOLFillZeros);
    GLIB_ASSERT_CMP(twoD.NumberStates(), <, static_cast<int>(TwoDTerminal));
    twoD.FillTables(twoDFirst, twoDNext);

    for (int colour = Black; colour <= White; ++colour) {
        OneDTables& t = oneD[colour];
        CodeTree tree;
        int index = 0;
        auto add = [&](const char* bits, int16_t value) {
            tree.Add(bits, static_cast<uint8_t>(OneDCodeBase + index));
            t.codes[index].length = static_cast<uint8_t>(std::strlen(bits));
            t.codes[index].value = value;
            ++index;
        };
        for (int run = 0; run < NumTerminating; ++run)
            add(Terminating(colour, run), static_cast<int16_t>(run));
        for (int k = 1; k <= NumMakeUp + NumExtended; ++k)
            add(MakeUp(colour, k), static_cast<int16_t>(64 * k));
        add(EOLCode, OneDEOL);
        for (const char* prefix : OneDInvalidPrefixes)
            add(prefix, OneDInvalid);
        GLIB_ASSERT_CMP(index, ==, OneDNumCodes);
        tree.LoopZeros(EOLFillZeros);
        GLIB_ASSERT_CMP(tree.NumberStates(), <, static_cast<int>(OneDTerminal));
        tree.FillTables(t.first, t.next);
    }

    for (int i = 0; i <= 64; ++i) {
        rasterFirst[i] = i == 0 ? 0 : ~uint64_t{0} << (64 - i);
        rasterFrom[i] = ~rasterFirst[i];
    }

    for (int previous = 0; previous < 2; ++previous) {
        for (int byte = 0; byte < 256; ++byte) {
            uint8_t* e = byteToRuns[previous * 256 + byte];
            std::memset(e, 0, ByteRunsEntry);
            int bit = 7;
            while (bit >= 0 && ((byte >> bit) & 1) == previous)
                --bit;
            e[0] = static_cast<uint8_t>(7 - bit);
            int n = 1;
            while (bit >= 0) {
                const int value = (byte >> bit) & 1;
                int run = 0;
                while (bit >= 0 && ((byte >> bit) & 1) == value) {
                    --bit;
                    ++run;
                }
                e[n++] = static_cast<uint8_t>(run);
            }
        }
    }

    for (int colour = Black; colour <= White; ++colour) {
        OneDEncodeTable& t = oneDEncode[colour];
        for (int run = 0; run < NumTerminating; ++run)
            FillEncodeEntries(Terminating(colour, run), run, t.length, t.entry);
        for (int k = 1; k <= NumMakeUp + NumExtended; ++k)
            FillEncodeEntries(MakeUp(colour, k), NumTerminating - 1 + k, t.length, t.entry);
        FillEncodeEntries(EOLCode, OneDEncodeEOL, t.length, t.entry);
    }
    for (int i = 0; i < TwoDEncodeCodes; ++i)
        FillEncodeEntries(TwoDEncodeBits[i], i, twoDEncode.length, twoDEncode.entry);
}

const char* FILT_CCITTTables::TwoDName(int32_t value) {
    static const char* const names[] = {
        "Vert0 (1)",        "VertR1 (011)",       "VertR2 (000011)", "VertR3 (0000011)",
        "VertL1 (010)",     "VertL2 (000010)",    "VertL3 (0000010)", "Pass (0001)",
        "Horz (001)",       "Eol (000000000001)", "Error"};
    return value >= 0 && value <= Invalid ? names[value] : names[Invalid];
}

const char* FILT_CCITTTables::ColourName(int32_t colour) {
    return colour == White ? "White" : "Black";
}

std::string FILT_CCITTTables::OneDName(int32_t colour, int32_t value, int32_t length) {
    if (value >= 0 && value < NumTerminating)
        return Terminating(colour, value);
    if (value >= 64 && value % 64 == 0 && value / 64 <= NumMakeUp + NumExtended)
        return MakeUp(colour, value / 64);
    if (value == OneDEOL)
        return EOLCode;
    if (value == OneDInvalid && length >= 9 && length <= 11)
        return OneDInvalidPrefixes[length - 9];
    return std::string();
}
