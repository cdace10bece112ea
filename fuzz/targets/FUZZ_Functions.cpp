// PDF functions: the PostScript calculator's compiler and interpreter behind
// a type 4 function.
#include "CPDF/function/CPDF_PSFunction.h"
#include "FUZZ_Input.h"
#include "FUZZ_TargetList.h"
#include "support/GLOB_ChunkedCore.h"
#include "GLOB/GLOB_ObjectFactory.h"

void FUZZ_PSFunction(const uint8_t* data, size_t size) {
    FUZZ_Input in(data, size);
    const unsigned inputs = 1 + in.Byte() % 4;
    const unsigned outputs = 1 + in.Byte() % 4;
    const std::vector<size_t> sizes = in.ChunkSizes();
    CPDF_PSFunction function(GLOB_ObjectFactory::MemoryDoc(),
                             GLOB_Stream(new GLOB_ChunkedCore(in.Rest(), sizes, GLOB_StreamCore::Input)),
                             CPDF_IntervalSet(inputs), CPDF_IntervalSet(outputs));
    // Points inside the Domain, on its edges and outside it.
    const double values[] = {0.25, 1, -3, 0, 0.5, 7, 0.75, 1e30, -0.5, 0.125, 1, 0};
    double point[4];
    double out[4];
    for (size_t p = 0; p < 3; ++p) {
        for (unsigned j = 0; j < inputs; ++j)
            point[j] = values[(p * 4 + j) % 12];
        try {
            function.Evaluate(point, out, 1);
        } catch (const CPDF_Exception&) {
        }
    }
}
