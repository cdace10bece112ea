// Drives a FILT_Filter to the end of its output with the input cut into
// pieces and the output room cut into pieces, and checks the ProcessBytes
// contract on every call. Sizes cycle; a size of 0 means "everything".
#pragma once

#include "FILT/FILT_Filter.h"

#include <algorithm>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

struct Chunking {
    std::vector<size_t> in;
    std::vector<size_t> out;
    std::string Name() const {
        auto list = [](const std::vector<size_t>& v) {
            std::string s;
            for (size_t n : v)
                s += (s.empty() ? "" : ",") + (n ? std::to_string(n) : std::string("all"));
            return s;
        };
        return "in[" + list(in) + "] out[" + list(out) + "]";
    }
};

// Whole, one byte at a time, odd sizes, and the row-splitting pattern.
inline std::vector<Chunking> StandardChunkings(size_t rowBytes = 0) {
    std::vector<Chunking> c = {
        {{0}, {0}},
        {{1}, {1}},
        {{1}, {0}},
        {{0}, {1}},
        {{7, 3, 13}, {5, 11, 2}},
        {{4096}, {8192}},
        {{65536}, {3}},
    };
    if (rowBytes)
        c.push_back({{2 * rowBytes + 1, 1, 1}, {2 * rowBytes + 1, 1, 1}});
    return c;
}

// Thrown when a filter breaks the ProcessBytes contract or never finishes.
struct FilterContractError : std::runtime_error {
    using std::runtime_error::runtime_error;
};
// Thrown when the output passes the caller's bound (a decompression bomb).
struct FilterOutputBound : FilterContractError {
    using FilterContractError::FilterContractError;
};

// Runs the filter to its end, appending its output to output; untaken, when
// given, receives the count of input bytes the filter left untaken. When the
// filter throws, output holds every byte it gave before and in the failing
// call, and the exception passes on.
inline void RunFilterInto(FILT_Filter& filter, const std::string& input, const Chunking& chunking,
                          std::string& output, size_t maxOutput = 1u << 28, size_t* untaken = nullptr) {
    const size_t whole = std::max<size_t>(input.size(), 1);
    const size_t outWhole = std::max<size_t>(std::min<size_t>(maxOutput, 1u << 20), 64);
    std::vector<uint8_t> inStore(std::max<size_t>(whole, 1));
    FILT_FilterBuffer inBuf(inStore.data(), static_cast<FILT_Size>(inStore.size()), false);
    size_t given = 0, inIndex = 0, outIndex = 0;
    // A first call with no storage at all on either side: the filter may
    // only set itself up, never write or finish.
    {
        FILT_FilterBuffer noInput, noRoom;
        filter.ProcessBytes(noInput, noRoom);
        if (noRoom.IsEOD())
            throw FilterContractError(std::string(filter.Name()) + " finished before any input");
    }
    // A correct filter takes input or gives output on nearly every call.
    size_t idleCalls = 0;
    for (;;) {
        if (idleCalls > 1000)
            throw FilterContractError(std::string(filter.Name()) + " did not finish");
        const size_t givenBefore = given;
        const FILT_Size unreadBefore = inBuf.DataAvailable();
        if (inBuf.DataAvailable() == 0 && !inBuf.IsEOD()) {
            if (given < input.size()) {
                size_t n = chunking.in.empty() ? 0 : chunking.in[inIndex++ % chunking.in.size()];
                if (n == 0)
                    n = input.size();
                n = std::min(n, input.size() - given);
                inBuf.Reset();
                inBuf.Write(reinterpret_cast<const uint8_t*>(input.data()) + given, static_cast<FILT_Size>(n));
                given += n;
            }
            if (given == input.size())
                inBuf.SetEOD();
        }
        size_t room = chunking.out.empty() ? 0 : chunking.out[outIndex++ % chunking.out.size()];
        if (room == 0)
            room = outWhole;
        FILT_FilterBuffer outBuf(static_cast<FILT_Size>(room));
        try {
            filter.ProcessBytes(inBuf, outBuf);
        } catch (...) {
            output.append(reinterpret_cast<const char*>(outBuf.GetPtr()), outBuf.DataAvailable());
            throw;
        }
        idleCalls = (given == givenBefore && inBuf.DataAvailable() == unreadBefore &&
                     outBuf.DataAvailable() == 0) ? idleCalls + 1 : 0;
        output.append(reinterpret_cast<const char*>(outBuf.GetPtr()), outBuf.DataAvailable());
        if (output.size() > maxOutput)
            throw FilterOutputBound(std::string(filter.Name()) + " produced more than the bound");
        if (outBuf.IsEOD()) {
            // Once finished, every call sets EOD again and takes nothing.
            const FILT_Size unread = inBuf.DataAvailable();
            FILT_FilterBuffer again(16);
            filter.ProcessBytes(inBuf, again);
            if (!again.IsEOD() || again.DataAvailable() != 0 || inBuf.DataAvailable() != unread)
                throw FilterContractError(std::string(filter.Name()) + " did not stay finished");
            if (untaken)
                *untaken = unread + input.size() - given;
            return;
        }
        const bool needsInput = inBuf.DataAvailable() == 0 && !inBuf.IsEOD();
        const bool outFull = outBuf.SpaceRemaining() == 0;
        if (!needsInput && !outFull)
            throw FilterContractError(std::string(filter.Name()) +
                                      " returned with input left, room in its output and no EOD");
    }
}

inline std::string RunFilter(FILT_Filter& filter, const std::string& input, const Chunking& chunking,
                             size_t maxOutput = 1u << 28, size_t* untaken = nullptr) {
    std::string output;
    RunFilterInto(filter, input, chunking, output, maxOutput, untaken);
    return output;
}
