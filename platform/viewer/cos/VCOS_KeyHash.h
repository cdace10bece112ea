// The hash of a dictionary's index (VCOS_DictEntries): SipHash-2-4 under a
// key drawn once per process. A file's keys are chosen by whoever wrote the
// file; with a hash whose seed is fixed and public (the standard library's)
// they can all be made to share one value, and every look-up then walks
// them all. Under a key the file cannot know, keys that collide are as rare
// as for any random choice.
//
// Not noexcept, on purpose: for such a hash std::unordered_map keeps each
// key's hash beside it, compares keys only where the hashes are equal, and
// never hashes a stored key again.
#pragma once

#include <cstdint>
#include <string>

struct VCOS_KeyHash {
    size_t operator()(const std::string& key) const;

    // The value under a given 128-bit key, for the tests' known answers.
    static uint64_t SipHash24(uint64_t k0, uint64_t k1, const std::string& bytes);
};
