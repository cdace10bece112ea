// The reference the SliceImage target checks a JPEG image's slices against,
// made apart from the engine's DCT decoder: libjpeg's own decoding through
// its memory source, whole, and the rows of it a slicer keeps by a rule of
// its own reading, libjpeg's counters at its first word that the data ran
// out (a marker met inside Huffman-coded data, other than a restart marker;
// the end of the data inside arithmetic-coded data): an image of one scan,
// or cut in its first, keeps the iMCU rows through the one being decoded
// then (not that one when the restart interval the data ran out in begins
// it and holds no byte: the scan's start, or a restart marker); an image of
// several scans cut in a later one keeps them all.
#pragma once

#include "GLOB/GLOB_Object.h"

#include <cstddef>
#include <cstdint>
#include <string>

struct FUZZ_JpegRows {
    // Every row libjpeg gives, width x components bytes each.
    std::string rows;
    size_t rowBytes = 0;
    uint64_t height = 0;
    // The rows a slicer keeps of them.
    uint64_t kept = 0;
};

// True, with out filled, when image is stored in DCTDecode alone, its
// decoded rows (PDF's ColorTransform rules applied) take at most limit
// bytes, and libjpeg decodes it without an error.
bool FUZZ_JpegReference(const GLOB_Object& image, size_t limit, FUZZ_JpegRows& out);
