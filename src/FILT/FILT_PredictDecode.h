// Undoes the TIFF and PNG predictors of a FlateDecode stream's /DecodeParms,
// row by row.
//
// PNG rows start with a tag byte (0 None, 1 Sub, 2 Up, 3 Average, 4 Paeth)
// that chooses the row's algorithm, whatever PNG predictor (10 to 15) was
// declared. Input that ends in the middle of a row gives that partial row
// decoded, then EOD.
//
// States: Start (0) sets up the rows; RowStart (1) reads the PNG tag;
// Filling (2); Emitting (3); Finished (4): EOD on every later call; Error (5).
//
// Throws GLIB_Exception 1130012: from the constructor and SetParameters for
// parameters out of range (see FILT_PredictParameters::Check); from
// ProcessBytes for a row tag above 4, "Unrecognized PNG Prediction Code
// detected: T Offset: O" with the stream offset after the tag, and then
// "FILT_PredictDecode: ProcessBytes called while in the Error state".
#pragma once

#include "FILT/FILT_Filter.h"
#include "FILT/FILT_PredictParameters.h"

#include <memory>
#include <vector>

class FILT_PredictDecode : public FILT_Filter {
public:
    explicit FILT_PredictDecode(int32_t predictor = FILT_PredictParameters::None, uint32_t colors = 1,
                                uint32_t bitsPerComponent = 8, uint32_t columns = 1);
    FILT_PredictDecode(const FILT_PredictDecode&) = delete;
    FILT_PredictDecode& operator=(const FILT_PredictDecode&) = delete;

    // Before the first ProcessBytes; checks the values as the constructor does.
    void SetParameters(int32_t predictor, uint32_t colors, uint32_t bitsPerComponent, uint32_t columns);
    const FILT_PredictParameters& Parameters() const { return m_params; }

    const char* Name() const override { return "FILT_PredictDecode"; }
    void ProcessBytes(FILT_FilterBuffer& inBuf, FILT_FilterBuffer& outBuf) override;

private:
    enum : uint32_t { StateStart = 0, StateRowStart = 1, StateFilling = 2, StateEmitting = 3, StateFinished = 4,
                      StateError = 5 };

    void SetUp();
    void DecodeRow();
    // Decodes the first n bytes of a row.
    void DecodeTIFF(uint8_t* decoded, const uint8_t* encoded, FILT_Size n);

    uint32_t m_state = StateStart;
    FILT_PredictParameters m_params;
    // The PNG tag of the current row, -1 for rows without tags.
    int32_t m_rowTag = -1;
    FILT_Size m_rowSize = 0;
    FILT_Size m_pixelSize = 0;
    std::unique_ptr<uint8_t[]> m_storage;
    FILT_Size m_storageSize = 0;
    uint8_t* m_priorRow = nullptr;
    FILT_FilterBuffer m_encodedRow;
    FILT_FilterBuffer m_decodedRow;
    // The last decoded component of each colour in a TIFF row.
    std::vector<uint8_t> m_previousComponents;
};
