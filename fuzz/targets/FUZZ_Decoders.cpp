// The decoders, each fed with chunk sizes and parameters taken from the input.
#include "FILT/FILT_ASCII85Decode.h"
#include "FILT/FILT_ASCIIHexDecode.h"
#include "FILT/FILT_FlateDecode.h"
#include "FILT/FILT_PredictDecode.h"
#include "FILT/FILT_RunLengthDecode.h"
#include "FILT/FILT_Utils.h"
#include "FUZZ_Input.h"
#include "FUZZ_TargetList.h"

#include <memory>

void FUZZ_FlateDecode(const uint8_t* data, size_t size) {
    FUZZ_Input in(data, size);
    FILT_FlateDecode filter;
    FUZZ_Decode(filter, in, FUZZ_Input::MaxFlateOutput);
}

void FUZZ_FlatePredictDecode(const uint8_t* data, size_t size) {
    FUZZ_Input in(data, size);
    const int32_t predictor = in.Byte();
    const uint32_t colors = in.Byte();
    const uint32_t bits = in.Byte();
    const uint32_t columns = in.Byte() * 256u + in.Byte();
    auto predict = std::make_unique<FILT_PredictDecode>(predictor, colors, bits, columns);
    auto flate = std::make_unique<FILT_FlateDecode>();
    std::unique_ptr<FILT_Filter> chain(FILT_ConcatenateFilters(flate.release(), predict.release()));
    FUZZ_Decode(*chain, in, FUZZ_Input::MaxPredictOutput);
}

void FUZZ_RunLengthDecode(const uint8_t* data, size_t size) {
    FUZZ_Input in(data, size);
    FILT_RunLengthDecode filter;
    FUZZ_Decode(filter, in, FUZZ_Input::MaxRunLengthOutput);
}

void FUZZ_ASCIIHexDecode(const uint8_t* data, size_t size) {
    FUZZ_Input in(data, size);
    FILT_ASCIIHexDecode filter;
    FUZZ_Decode(filter, in);
}

void FUZZ_ASCII85Decode(const uint8_t* data, size_t size) {
    FUZZ_Input in(data, size);
    FILT_ASCII85Decode filter;
    FUZZ_Decode(filter, in);
}
