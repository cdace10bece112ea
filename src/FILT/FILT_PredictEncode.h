// Applies the TIFF or a PNG predictor row by row before a Flate encoder.
//
// Predictor 1 passes rows unchanged and 2 writes TIFF differences, both
// without tags; 10 to 14 write every row with that PNG algorithm after its
// tag byte (0 to 4); 15 chooses per row the candidate (Sub, Up, Average,
// Paeth) whose bytes, read as signed, sum to the least magnitude, ties to
// the earlier one. A short last row is encoded with the bytes that came.
//
// States: Start (0); Filling (1); Tag (2); Emitting (3); Finished (4): EOD
// on every later call.
//
// Throws GLIB_Exception 1130013 from the constructor and SetParameters for
// parameters out of range (see FILT_PredictParameters::Check); ProcessBytes
// throws nothing of its own.
#pragma once

#include "FILT/FILT_Filter.h"
#include "FILT/FILT_PredictParameters.h"

#include <memory>
#include <vector>

class FILT_PredictEncode : public FILT_Filter {
public:
    explicit FILT_PredictEncode(int32_t predictor = FILT_PredictParameters::None, uint32_t colors = 1,
                                uint32_t bitsPerComponent = 8, uint32_t columns = 1);
    FILT_PredictEncode(const FILT_PredictEncode&) = delete;
    FILT_PredictEncode& operator=(const FILT_PredictEncode&) = delete;

    // Before the first ProcessBytes; checks the values as the constructor does.
    void SetParameters(int32_t predictor, uint32_t colors, uint32_t bitsPerComponent, uint32_t columns);
    const FILT_PredictParameters& Parameters() const { return m_params; }

    const char* Name() const override { return "FILT_PredictEncode"; }
    void ProcessBytes(FILT_FilterBuffer& inBuf, FILT_FilterBuffer& outBuf) override;

private:
    enum : uint32_t { StateStart = 0, StateFilling = 1, StateTag = 2, StateEmitting = 3, StateFinished = 4 };

    void SetUp();
    // Encodes the input row into a candidate row; returns the row to emit.
    uint8_t* EncodeRow(FILT_Size n);
    void EncodeTIFF(uint8_t* out, const uint8_t* in);
    void EncodePNG(int32_t tag, uint8_t* out, const uint8_t* in, FILT_Size n) const;

    uint32_t m_state = StateStart;
    FILT_PredictParameters m_params;
    // The PNG tag of the current row, -1 for rows without tags.
    int32_t m_rowTag = -1;
    FILT_Size m_rowSize = 0;
    FILT_Size m_pixelSize = 0;
    std::unique_ptr<uint8_t[]> m_storage;
    FILT_Size m_storageSize = 0;
    uint8_t* m_inputRow = nullptr;
    uint8_t* m_priorRow = nullptr;
    // Output rows: TIFF or one PNG candidate, or Sub, Up, Average, Paeth.
    uint8_t* m_candidateRows[4] = {};
    // Collects the input row, then is laid over the row to emit.
    FILT_FilterBuffer m_rowBuffer;
    std::vector<uint8_t> m_previousComponents;
};
