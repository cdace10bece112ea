// The image decoders: CCITT fax with its parameters taken from the input,
// and DCT with the colour transform taken from the input.
#include "FILT/FILT_CCITTFaxDecode.h"
#include "FILT/FILT_DCTDecode.h"
#include "FUZZ_Input.h"
#include "FUZZ_TargetList.h"

void FUZZ_CCITTFaxDecode(const uint8_t* data, size_t size) {
    FUZZ_Input in(data, size);
    const uint8_t flags = in.Byte();
    const int32_t k = static_cast<int8_t>(in.Byte());
    const int32_t rows = in.Byte();
    const int32_t columns = in.Byte() * 16 + in.Byte() % 16;
    FILT_CCITTFaxDecode filter;
    filter.SetParams(k, flags & 1, flags & 2, flags & 4, flags & 8, rows, columns);
    FUZZ_Decode(filter, in);
}

void FUZZ_DCTDecode(const uint8_t* data, size_t size) {
    FUZZ_Input in(data, size);
    const uint8_t transform = in.Byte();
    FILT_DCTDecode filter;
    if (transform < 2)
        filter.SetColorTransform(transform);
    FUZZ_Decode(filter, in);
}
