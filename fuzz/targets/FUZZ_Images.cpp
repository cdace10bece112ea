// The image decoders: CCITT fax with every parameter a PDF can set, made by
// the filter-chain factory from a dictionary as a stream's /DecodeParms would
// be, and DCT with the colour transform taken from the input.
#include "FILT/FILT_DCTDecode.h"
#include "FUZZ_Input.h"
#include "FUZZ_TargetList.h"
#include "GLOB/GLOB_Dict.h"
#include "GLOB/GLOB_Filter.h"
#include "GLOB/GLOB_ObjectFactory.h"

#include <memory>

namespace {
// Pages of up to 10,000 x 10,000 pixels, more than any fax standard.
constexpr uint32_t MaxCCITTSide = 10000;
}  // namespace

void FUZZ_CCITTFaxDecode(const uint8_t* data, size_t size) {
    FUZZ_Input in(data, size);
    const uint8_t flags = in.Byte();
    const int32_t k = static_cast<int8_t>(in.Byte());
    const int32_t rows = static_cast<int32_t>(in.Word() % (MaxCCITTSide + 1));
    const int32_t columns = static_cast<int32_t>(in.Word() % (MaxCCITTSide + 1));
    GLOB_Dict params;
    params.Put("K", GLOB_ObjectFactory::NewInteger(k));
    params.Put("Rows", GLOB_ObjectFactory::NewInteger(rows));
    params.Put("Columns", GLOB_ObjectFactory::NewInteger(columns));
    params.Put("EndOfLine", GLOB_ObjectFactory::NewBoolean(flags & 1));
    params.Put("EncodedByteAlign", GLOB_ObjectFactory::NewBoolean(flags & 2));
    params.Put("EndOfBlock", GLOB_ObjectFactory::NewBoolean(flags & 4));
    params.Put("BlackIs1", GLOB_ObjectFactory::NewBoolean(flags & 8));
    params.Put("DamagedRowsBeforeError", GLOB_ObjectFactory::NewInteger(flags >> 4));
    std::unique_ptr<FILT_Filter> filter(
        GLOB_Filter::MakeFilter(nullptr, GLOB_Name("CCITTFaxDecode"), params, GLOB_Filter::Decoding));
    FUZZ_Decode(*filter, in, FUZZ_Input::MaxCCITTOutput);
}

void FUZZ_DCTDecode(const uint8_t* data, size_t size) {
    FUZZ_Input in(data, size);
    const uint8_t transform = in.Byte();
    FILT_DCTDecode filter;
    if (transform < 2)
        filter.SetColorTransform(transform);
    FUZZ_Decode(filter, in, FUZZ_Input::MaxDCTOutput);
}
