// Read-only code tables of the CCITT fax filters, generated once (on first
// use) from the run-length and mode code lists of ITU-T T.4 and T.6.
//
// Decoding works a byte at a time. With r bits of the current byte unread
// (1 to 8), entry [r][byte] of a first-byte table either completes a code
// (a terminal value) or names the partial-code state reached; each further
// byte is looked up in the continuation table at [state][byte]. A terminal
// selects a code entry with the code's length in bits and its value. A run
// of more than eleven 0 bits stays in one state until a 1 arrives (EOL
// fill), and EOLs are of variable length: the decoder recomputes its
// position after one from the leading-zero table.
//
// Encoding turns an input byte into runs with one lookup (byte-to-runs) and
// writes each code through entries that hold it pre-shifted to each of the
// 8 bit offsets: OR the first pattern byte into the current byte, store the
// other three, advance by the entry's whole-byte count.
#pragma once

#include <cstdint>
#include <string>

class FILT_CCITTTables {
public:
    // The process-wide tables (built on first use, then read-only).
    static const FILT_CCITTTables& Instance();

    // Colour numbers; they select the one-dimensional tables.
    enum Colour : int32_t { Black = 0, White = 1 };

    // Two-dimensional code values (ITU-T T.4 table 4): EOL is ten or more
    // 0 bits and a 1; Invalid stands for the prefixes 0000001 to 0000000001,
    // which cover the extension codes.
    enum TwoDCode : int32_t { V0, VR1, VR2, VR3, VL1, VL2, VL3, Pass, Horizontal, EOL, Invalid };
    // One-dimensional code values besides run lengths 0 to 2560: EOL (eleven
    // or more 0 bits and a 1) and the invalid prefixes 000000001 to
    // 00000000001.
    static constexpr int16_t OneDEOL = -3;
    static constexpr int16_t OneDInvalid = -2;

    // Two-dimensional tables: entries below TwoDTerminal are partial-code
    // states, entries TwoDTerminal + i select twoDCodes[i].
    static constexpr uint8_t TwoDTerminal = 15;
    static constexpr int TwoDNumCodes = 15;
    // One-dimensional tables: entries below OneDTerminal are partial-code
    // states, entries OneDCodeBase + i select codes[i].
    static constexpr uint8_t OneDTerminal = 108;
    static constexpr uint8_t OneDCodeBase = 128;
    static constexpr int OneDNumCodes = 108;
    // Rows of the first-byte tables: index 1 to 8 = unread bits (0 unused).
    static constexpr int FirstByteRows = 9;

    struct TwoDCodeEntry {
        int32_t bits;
        int32_t value;  // a TwoDCode
    };
    struct OneDCodeEntry {
        uint8_t length;
        int16_t value;  // run length, OneDEOL or OneDInvalid
    };
    struct OneDTables {
        uint8_t first[FirstByteRows][256];
        uint8_t next[OneDTerminal][256];
        OneDCodeEntry codes[OneDNumCodes];
    };

    // A code pre-shifted to one bit offset.
    struct EncodeEntry {
        uint8_t advance;     // (offset + length) / 8
        uint8_t pattern[4];  // the code from bit offset on, MSB first
    };
    // One-dimensional encoding codes: 0 to 63 terminating, 63 + k the make-up
    // code for 64 * k (k = 1 to 40, the extended codes from 1792 on), EOL.
    static constexpr int OneDEncodeEOL = 104;
    static constexpr int OneDEncodeCodes = 105;
    struct OneDEncodeTable {
        uint32_t length[OneDEncodeCodes];
        EncodeEntry entry[8][OneDEncodeCodes];
    };
    // Two-dimensional encoding codes, indexed by TwoDEncodeIndex.
    enum TwoDEncodeIndex : int32_t {
        EncV0, EncVR1, EncVR2, EncVR3, EncVL1, EncVL2, EncVL3, EncHorizontal, EncPass, EncEOL,
        EncPrefix7, EncPrefix8, EncPrefix9, EncPrefix10, EncPrefix11
    };
    static constexpr int TwoDEncodeCodes = 15;
    struct TwoDEncodeTable {
        uint32_t length[TwoDEncodeCodes];
        EncodeEntry entry[8][TwoDEncodeCodes];
    };
    // Entries of the byte-to-runs table: leading pixels equal to the
    // previous one, then the following runs, ended by 0.
    static constexpr int ByteRunsEntry = 10;

    // Decoder tables.
    uint8_t leadingZeros[256];
    uint8_t twoDFirst[FirstByteRows][256];
    uint8_t twoDNext[TwoDTerminal][256];
    TwoDCodeEntry twoDCodes[TwoDNumCodes];
    OneDTables oneD[2];  // by Colour
    // Raster masks over a 64-bit word whose most significant bit is the
    // first pixel: rasterFirst[i] has the first i bits set, rasterFrom[i]
    // the other 64 - i.
    uint64_t rasterFirst[65];
    uint64_t rasterFrom[65];

    // Encoder tables.
    uint8_t byteToRuns[512][ByteRunsEntry];  // [previous pixel * 256 + byte]
    OneDEncodeTable oneDEncode[2];           // by Colour
    TwoDEncodeTable twoDEncode;

    // Trace names: "Vert0 (1)" … "Error" by TwoDCode; "Black", "White".
    static const char* TwoDName(int32_t value);
    static const char* ColourName(int32_t colour);
    // The bits of the one-dimensional code with that value (a run length,
    // OneDEOL) as text; an invalid prefix by its length (9 to 11).
    static std::string OneDName(int32_t colour, int32_t value, int32_t length);

private:
    FILT_CCITTTables();
    FILT_CCITTTables(const FILT_CCITTTables&) = delete;
    FILT_CCITTTables& operator=(const FILT_CCITTTables&) = delete;
};
