// PDF functions: the PostScript calculator's compiler and interpreter behind
// a type 4 function.
#include "CPDF/function/CPDF_PSFunction.h"
#include "FUZZ_Input.h"
#include "FUZZ_TargetList.h"
#include "FUZZ_Targets.h"
#include "GLOB/GLOB_ObjectFactory.h"
#include "support/GLOB_ChunkedCore.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

namespace {

constexpr size_t Points = 3;
// The Domain and Range intervals a parameter byte chooses from.
constexpr double Intervals[][2] = {{0, 1}, {-1, 1}, {-1e5, 1e5}, {-1e300, 1e300}};

// Bytes 32 to 216 run over the interval, the rest a little beyond it; the
// last eight stand for values no interval holds.
double PointValue(uint8_t byte, const double* interval) {
    static const double special[] = {NAN, INFINITY, -INFINITY, 1e300, -1e300, -0.0, 2147483648.0, -2147483649.0};
    if (byte >= 248)
        return special[byte - 248];
    return interval[0] + (interval[1] - interval[0]) * (byte - 32) / 184.0;
}

}  // namespace

// The first byte gives the input and output counts (1 to 4 each, its low
// four bits) and the interval of every Domain and Range entry (the next two
// bits); three chunk sizes follow, then the program, whose last Points ×
// inputs bytes are cut off as the points to evaluate it at.
void FUZZ_PSFunction(const uint8_t* data, size_t size) {
    FUZZ_Input input(data, size);
    const uint8_t shape = input.Byte();
    const unsigned inputs = 1 + shape % 4;
    const unsigned outputs = 1 + shape / 4 % 4;
    const double* interval = Intervals[shape / 16 % 4];
    const std::vector<size_t> sizes = input.ChunkSizes();
    std::string program = input.Rest();
    const size_t points = std::min(program.size() / inputs, Points);
    const std::string pointBytes = program.substr(program.size() - points * inputs);
    program.resize(program.size() - pointBytes.size());

    const std::vector<double> bounds = {interval[0], interval[1], interval[0], interval[1],
                                        interval[0], interval[1], interval[0], interval[1]};
    CPDF_PSFunction function(GLOB_ObjectFactory::MemoryDoc(),
                             GLOB_Stream(new GLOB_ChunkedCore(program, sizes, GLOB_StreamCore::Input)),
                             CPDF_IntervalSet(bounds.data(), inputs), CPDF_IntervalSet(bounds.data(), outputs));
    std::vector<double> in(points * inputs), out(points * outputs);
    // One point at a time, then all of them in one call; Evaluate clips in
    // place, so each call gets the values afresh.
    for (size_t p = 0; p <= points; ++p) {
        for (size_t i = 0; i < in.size(); ++i)
            in[i] = PointValue(static_cast<uint8_t>(pointBytes[i]), interval);
        const size_t first = p < points ? p : 0;
        const unsigned count = p < points ? 1 : static_cast<unsigned>(points);
        if (count > 0)
            FUZZ_Expect([&] { function.Evaluate(&in[first * inputs], &out[first * outputs], count); });
    }
}
