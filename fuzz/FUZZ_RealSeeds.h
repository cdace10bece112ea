// Seeds for the fuzz targets cut out of the real PDF files of a folder
// (FUZZ_PdfScan), each behind the parameter bytes its target reads first.
//
// Every candidate belongs to a group (a kind of stream or object, a filter
// dictionary). Seeds are picked in rounds: round n takes the n-th candidate
// of every group, files taking turns inside a group, until a target has
// MaxSeeds seeds or MaxBytes bytes; identical seeds are kept once. Big data
// is cut short (a truncated stream is still a good seed); object texts for
// ParseObject are left out instead, as a cut one no longer parses.
#pragma once

#include "FUZZ_PdfScan.h"

#include <cstddef>
#include <map>
#include <string>
#include <vector>

class FUZZ_RealSeeds {
public:
    // Per target folder. The ASCII and RunLength decoders see all they can
    // in a few seeds, and the corpus holds a dozen distinct filter
    // dictionaries: FilterChain and MemoryStream take few seeds too.
    static constexpr size_t MaxSeeds = 100;
    static constexpr size_t MaxFewSeeds = 32;
    static constexpr size_t MaxBytes = size_t(192) << 10;
    // Per seed: content streams, object texts, encoded data, images, and
    // decoded samples given to the project's encoders.
    static constexpr size_t MaxText = 4096;
    static constexpr size_t MaxObject = 2048;
    static constexpr size_t MaxData = 8192;
    static constexpr size_t MaxImage = 12288;
    static constexpr size_t MaxSample = 2048;
    // Longest dictionary text FilterChain and MemoryStream take (a length
    // byte leads it).
    static constexpr size_t MaxDictText = 255;
    // ColorReaders: the data of each stream, and the whole seed.
    static constexpr size_t MaxColorData = 4096;
    static constexpr size_t MaxColorSeed = 16384;

    // Scans every *.pdf of folder in name order; a missing folder gives no
    // seeds.
    explicit FUZZ_RealSeeds(const std::string& folder);

    // Writes the picked seeds as root/<target>/<file>-<object number> and
    // prints how many each target got.
    void Write(const std::string& root) const;

private:
    struct Candidate {
        std::string name;
        std::string bytes;
        size_t rank;  // candidates of the same file before it in its group
    };
    struct Group {
        std::string key;
        std::vector<Candidate> candidates;
    };

    void AddFile(const std::string& stem, const std::string& file);
    // A colour space, function, shading, image, page or resource dictionary
    // of the file with the objects it reaches, for ColorReaders.
    void AddColorObjects(const FUZZ_PdfObject& root);
    // FUZZ_Objects text of root and, breadth first, the objects it refers
    // to; references beyond FUZZ_Objects::MaxObjects objects are null.
    std::string ObjectsText(const FUZZ_PdfObject& root) const;
    void AddObject(const FUZZ_PdfObject& object);
    void AddStream(const FUZZ_PdfObject& stream);
    void AddDecoded(const FUZZ_PdfObject& stream, const std::string& role, const std::string& decoded);
    // An image's samples through the project's predictor and Flate encoders
    // and, for a bilevel one, its CCITT encoder.
    void AddImage(const FUZZ_PdfObject& image, const std::string& samples);
    // A candidate of the file being scanned, named after it and suffix:
    // params, then chunkBytes of the chunk bytes (taking turns per target),
    // then data. Empty data adds nothing.
    void Add(const std::string& target, const std::string& group, const std::string& suffix,
             const std::string& params, const std::string& data, size_t chunkBytes = 6);
    static std::vector<Candidate> Picked(const std::vector<Group>& groups, size_t maxSeeds);

    std::map<std::string, std::vector<Group>> m_targets;
    std::map<std::string, size_t> m_perFile;  // candidates so far per target, group and file
    std::map<std::string, size_t> m_turns;    // chunk-byte turn per target
    size_t m_predictorTurn = 0;
    std::string m_stem;                       // the file being scanned
    std::string m_objectText;                 // the file's object texts, for the lexer
    std::map<int32_t, FUZZ_PdfObject> m_byNumber;  // the file's objects, the last of a number
};
