// The common part of FILT_DCTDecode and FILT_DCTEncode: the DCTDecode /
// DCTEncode parameter set as PDF gives it (Colors, Columns, Rows, sampling
// factors, quantisation tables of 64 values in zigzag order scaled by
// QFactor, Huffman tables of 16 counts and 256 symbols, ColorTransform), its
// conversion to and from libjpeg's tables, and the libjpeg error manager.
//
// libjpeg errors never unwind through libjpeg: error_exit formats the text
// and longjmps back to JpegGuard, which returns false; the filter then logs
// the text at level 2, destroys the libjpeg object and throws
// GLIB_Exception with its code (1130007 decoding, 1130008 encoding) from
// plain C++ frames. Warnings are logged at level 4 (the first of each libjpeg
// object only) and counted; see SetDataEndTold, which holds them instead.
//
// Setters throw the filter's exception for values outside their ranges;
// calling the per-component setters before SetColors is a programming error
// (assertion).
#pragma once

#include "FILT/FILT_Filter.h"

#include <algorithm>
#include <csetjmp>
#include <cstdint>
#include <cstdio>
#include <vector>

#include <jpeglib.h>

class FILT_DCTBase : public FILT_Filter {
public:
    static constexpr int32_t MaxColors = 4;
    static constexpr int32_t MaxQuantTables = 4;
    static constexpr int32_t MaxHuffTables = 4;
    static constexpr int32_t QuantTableSize = 64;
    static constexpr int32_t HuffTableCounts = 16;
    static constexpr int32_t HuffTableSize = 272;  // 16 counts, 256 symbols
    static constexpr int32_t MaxDimension = JPEG_MAX_DIMENSION;
    static constexpr int32_t MaxSamples = MAX_SAMP_FACTOR;
    static constexpr float MaxQFactor = 1e6f;
    // Largest value a scaled quantisation entry is given to libjpeg as.
    static constexpr double MaxQuantValue = 65535.0;
    static constexpr size_t MessageSize = JMSG_LENGTH_MAX;

    // Per-component parameters; -1 means "not set": libjpeg's choice is used
    // and written back by the encoder.
    struct Component {
        int32_t hSamples = 1;
        int32_t vSamples = 1;
        int32_t quantTable = -1;
        int32_t acHuffTable = -1;
        int32_t dcHuffTable = -1;
    };

    ~FILT_DCTBase() override;

    // 1 to MaxColors.
    void SetColors(int32_t n);
    // 1 to MaxDimension.
    void SetColumns(int32_t n);
    void SetRows(int32_t n);
    // 0 or 1.
    void SetColorTransform(int32_t n);
    // 0 to MaxQFactor.
    void SetQFactor(float q);
    // After SetColors: one value (1 to MaxSamples) per colour; the vector
    // must hold at least Colors() values.
    void SetHSamples(const std::vector<int32_t>& values);
    void SetVSamples(const std::vector<int32_t>& values);
    // index 0 to 3; 64 values in zigzag order.
    void SetQuantTable(int32_t index, const float* values);
    // index 0 to 3; HuffTableSize bytes.
    void SetDCHuffTable(int32_t index, const uint8_t* table);
    void SetACHuffTable(int32_t index, const uint8_t* table);
    // After SetColors: per colour the index of a table that was set.
    void SetQuantTableMap(const std::vector<int32_t>& map);
    void SetDCHuffTableMap(const std::vector<int32_t>& map);
    void SetACHuffTableMap(const std::vector<int32_t>& map);
    // After SetColors: loads preset 0 to 5 (tables, maps, sampling, colour
    // transform, QFactor 1); any other level is logged at level 2.
    void SetQuality(int32_t level);

    int32_t Colors() const { return m_numColors; }
    int32_t Columns() const { return m_columns; }
    int32_t Rows() const { return m_rows; }
    int32_t ColorTransform() const { return m_colorTransform; }
    float QFactor() const { return m_qFactor; }
    const Component& ComponentParams(int32_t i) const { return m_component[i]; }
    const float* QuantTable(int32_t index) const { return m_quantTable[index]; }
    const uint8_t* DCHuffTable(int32_t index) const { return m_dcHuffTable[index]; }
    const uint8_t* ACHuffTable(int32_t index) const { return m_acHuffTable[index]; }
    bool QuantTableSet(int32_t index) const { return m_quantTableSet[index]; }
    // With SetDataEndTold: libjpeg's first warning other than the data's
    // end, as its text; empty when it gave none.
    const char* HeldWarning() const { return m_heldWarning; }

    // Natural (row-major) index of zigzag position k.
    static int32_t ZigzagToNatural(int32_t k);

protected:
    // errorCode: the code of every exception this filter throws.
    explicit FILT_DCTBase(uint32_t errorCode);

    // Installs the error manager into a libjpeg object and records this
    // filter as its client data.
    void InitErrorMgr(j_common_ptr jpeg);
    // Runs call, which calls libjpeg; false when libjpeg raised an error.
    // call and every frame between here and libjpeg's error_exit must hold
    // only trivially destructible objects, since the error longjmps here.
    template <class Call>
    bool JpegGuard(Call&& call) {
        if (setjmp(m_jump))
            return false;
        call();
        return true;
    }
    // After JpegGuard returned false: logs libjpeg's message at level 2,
    // destroys jpeg and throws the filter's exception.
    [[noreturn]] void RaiseJpegError(j_common_ptr jpeg);

    // Table i times QFactor, rounded, into a natural-order libjpeg array.
    void QuantTableToJpeg(int32_t index, unsigned int* jpegQuantTable) const;
    // A libjpeg table (or null: zeros) divided by QFactor into table i.
    void QuantTableFromJpeg(int32_t index, const JQUANT_TBL* jpegQuantTable);
    static void HuffTableToJpeg(const uint8_t* table, JHUFF_TBL* jpegHuffTable);
    static void HuffTableFromJpeg(uint8_t* table, const JHUFF_TBL* jpegHuffTable);

    uint8_t (&ACHuffTables())[MaxHuffTables][HuffTableSize] { return m_acHuffTable; }
    uint8_t (&DCHuffTables())[MaxHuffTables][HuffTableSize] { return m_dcHuffTable; }
    Component* Components() { return m_component; }
    bool AnyHuffTableSet() const { return m_anyHuffTableSet; }
    bool AnyQuantTableSet() const { return m_anyQuantTableSet; }
    bool ACHuffTableSet(int32_t i) const { return m_acHuffTableSet[i]; }
    bool DCHuffTableSet(int32_t i) const { return m_dcHuffTableSet[i]; }
    // Where a decoder's scan data first ran out at a marker other than a
    // restart marker (libjpeg resynchronises on those) and libjpeg went on
    // with zeros: the scan (from 1) and the iMCU row it was decoding; scan
    // 0 while they have not. Cleared by ClearDataRanOut.
    struct DataEnd {
        int32_t scan = 0;
        uint32_t iMCURow = 0;
    };
    const DataEnd& DataRanOut() const { return m_dataEnd; }
    void ClearDataRanOut() {
        m_dataEnd = DataEnd();
        m_heldWarning[0] = 0;
        m_zeroPadding = m_zerosLeftSet = false;
        m_zerosGiven = m_zerosLeft = 0;
    }
    // The decoder gave count zero bytes past the data's end, then an
    // end-of-image marker: libjpeg's warning of the bytes it skipped before
    // that marker is then no word on the data, only how many of the zeros
    // decoding left (ZerosUsed).
    void NoteZeroPadding(uint32_t count);
    // Of the zeros given past the data's end, those decoding took.
    uint32_t ZerosUsed() const { return m_zerosLeftSet ? m_zerosGiven - std::min(m_zerosLeft, m_zerosGiven) : m_zerosGiven; }
    // told: the reader says where the data end, so libjpeg's warning that
    // they ran out is logged at debug level and not counted, and its other
    // warnings are logged at debug level too, the first held for the
    // reader to pass on after its own words (HeldWarning).
    void SetDataEndTold(bool told) { m_dataEndTold = told; }
    // Before RaiseJpegError: text stands for libjpeg's message.
    void RewordJpegError(const char* text);
    // Before RaiseJpegError: lead, then libjpeg's message as
    // "<lead> (libjpeg: <message>)".
    void LeadJpegError(const char* lead);
    // Called by the decoder's source manager when libjpeg asks for bytes past
    // the end of whole data: notes where they ran out, as a warning would.
    void NoteDataEndAt(j_decompress_ptr jpeg) { NoteDataEnd(jpeg); }

private:
    static void ErrorExit(j_common_ptr jpeg);
    static void EmitMessage(j_common_ptr jpeg, int level);
    static void OutputMessage(j_common_ptr jpeg);
    // libjpeg's warning that the scan data ran out, at the marker jpeg has
    // not read yet.
    void NoteDataEnd(j_decompress_ptr jpeg);
    void CheckIndex(int32_t index, int32_t limit, const char* what) const;
    void SetMap(const std::vector<int32_t>& map, const bool* tableSet, int32_t Component::*field,
                const char* what);
    void SetSamples(const std::vector<int32_t>& values, int32_t Component::*field, const char* what);

    uint32_t m_errorCode;
    int32_t m_numColors = -1;
    int32_t m_columns = -1;
    int32_t m_rows = -1;
    float m_qFactor = 1.0f;
    Component m_component[MaxColors];
    float m_quantTable[MaxQuantTables][QuantTableSize] = {};
    uint8_t m_acHuffTable[MaxHuffTables][HuffTableSize] = {};
    uint8_t m_dcHuffTable[MaxHuffTables][HuffTableSize] = {};
    int32_t m_colorTransform = -1;
    bool m_anyHuffTableSet = false;
    bool m_anyQuantTableSet = false;
    bool m_acHuffTableSet[MaxHuffTables] = {};
    bool m_dcHuffTableSet[MaxHuffTables] = {};
    bool m_quantTableSet[MaxQuantTables] = {};
    jpeg_error_mgr m_errorMgr = {};
    DataEnd m_dataEnd;
    bool m_zeroPadding = false;
    bool m_zerosLeftSet = false;
    uint32_t m_zerosGiven = 0;
    uint32_t m_zerosLeft = 0;
    bool m_dataEndTold = false;
    // Room for a lead before libjpeg's words.
    char m_messageText[2 * MessageSize] = {};
    char m_heldWarning[MessageSize] = {};
    std::jmp_buf m_jump;
};
