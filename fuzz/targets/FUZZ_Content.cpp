// Content streams: the content parser with its states, inline images
// included, read in fuzzed chunks, over resources that hold one entry of
// each category its operators look up.
#include "CPDF/content/CPDF_ContentParser.h"
#include "FUZZ_Input.h"
#include "FUZZ_TargetList.h"
#include "GLOB/GLOB_ObjectFactory.h"
#include "support/GLOB_ChunkedCore.h"

#include <cstring>

namespace {

constexpr int MaxSteps = 1 << 20;

// A Separation space for cs, a graphics state for gs, a font for Tf and an
// image for Do.
const GLOB_Object& Resources() {
    static const GLOB_Object resources = GLOB_ObjectFactory::MemoryDoc().ParseObject(
        "<< /ColorSpace << /CS0 [/Separation /Gold /DeviceCMYK << /FunctionType 2 /Domain [0 1] "
        "/C0 [0 0 0 0] /C1 [0 0.2 0.9 0.1] /N 1 >>] >> "
        "/ExtGState << /GS0 << /Type /ExtGState /LW 2 /OP true /op false /OPM 1 /D [[3 2] 1] "
        "/Font [<< /Type /Font /Subtype /Type1 /BaseFont /Courier >> 9] >> >> "
        "/Font << /F0 << /Type /Font /Subtype /Type1 /BaseFont /Helvetica >> >> "
        "/XObject << /Im0 << /Type /XObject /Subtype /Image /Width 1 /Height 1 /BitsPerComponent 8 "
        "/ColorSpace /DeviceGray >> >> >>");
    return resources;
}

void Drain(GLOB_Stream stream) {
    for (FILT_FilterBuffer* b = stream.Read(); b->DataAvailable() > 0; b = stream.Read())
        b->AdvanceGetPtr(b->DataAvailable());
}

}  // namespace

// Three chunk sizes, then the content. Its last byte also chooses, two bits
// per image in turn, what the client does with each inline image's data:
// reads them raw, reads them decoded, or leaves them to the next step.
void FUZZ_ContentParser(const uint8_t* data, size_t size) {
    FUZZ_Input in(data, size);
    const std::vector<size_t> sizes = in.ChunkSizes();
    const std::string content = in.Rest();
    const uint8_t choices = content.empty() ? 0 : static_cast<uint8_t>(content.back());
    CPDF_ContentParser parser;
    parser.Start(GLOB_Stream(new GLOB_ChunkedCore(content, sizes, GLOB_StreamCore::Input)), Resources());
    unsigned images = 0;
    for (int i = 0; i < MaxSteps && parser.Step(); ++i) {
        if (std::strcmp(parser.OperatorText(), "ID") != 0)
            continue;
        const unsigned choice = choices >> (2 * (images++ % 4)) & 3;
        if (choice < 2)
            Drain(parser.InlineImage().Stream(choice == 0 ? 1 : 2));
    }
}
