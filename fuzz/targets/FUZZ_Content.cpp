// Content streams: the content parser with its states, inline images
// included, read in fuzzed chunks.
#include "CPDF/content/CPDF_ContentParser.h"
#include "FUZZ_Input.h"
#include "FUZZ_TargetList.h"
#include "support/GLOB_ChunkedCore.h"

#include <cstring>

namespace {
constexpr int MaxSteps = 1 << 20;
}

void FUZZ_ContentParser(const uint8_t* data, size_t size) {
    FUZZ_Input in(data, size);
    const std::vector<size_t> sizes = in.ChunkSizes();
    CPDF_ContentParser parser;
    parser.Start(GLOB_Stream(new GLOB_ChunkedCore(in.Rest(), sizes, GLOB_StreamCore::Input)), GLOB_Object());
    for (int i = 0; i < MaxSteps && parser.Step(); ++i) {
        // Every other image is read by the client, the rest skipped.
        if (std::strcmp(parser.OperatorText(), "ID") == 0 && i % 2 == 0) {
            GLOB_Stream image = parser.InlineImage().Stream(1);
            for (FILT_FilterBuffer* b = image.Read(); b->DataAvailable() > 0; b = image.Read())
                b->AdvanceGetPtr(b->DataAvailable());
        }
    }
}
