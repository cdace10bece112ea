// The indirect objects of a real PDF file, cut out with the project's own
// lexer, parser and filters for fuzz seeds: a scan for "N G obj … endobj" and
// "obj … stream … endstream", not a reader of cross-reference tables, so a
// damaged or incrementally updated file gives whatever objects it holds.
// The objects of object streams (/Type /ObjStm) are cut out of their decoded
// data and follow the stream.
#pragma once

#include "GLOB/GLOB_Object.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

struct FUZZ_PdfObject {
    int32_t number = 0;
    // The text between "obj" and "endobj" or "stream", with every reference
    // "N G R" written as null, so that ParseObject takes it.
    std::string text;
    // The same text as the file has it.
    std::string rawText;
    // The text parsed in the memory document; Null when it does not parse.
    GLOB_Object object;
    bool isStream = false;
    // A stream's data as the file stores it.
    std::string data;
};

class FUZZ_PdfScan {
public:
    // Decoded data is refused beyond this size.
    static constexpr size_t MaxDecoded = size_t(16) << 20;

    // Every object found in file, in file order.
    static std::vector<FUZZ_PdfObject> Objects(const std::string& file);
    // stream's data through its /Filter and /DecodeParms (as stored when it
    // has none, or its dictionary did not parse). Throws what the filter-chain
    // factory and the filters throw, and FilterContractError (also for
    // output beyond MaxDecoded).
    static std::string Decoded(const FUZZ_PdfObject& stream);
    // text with each "N G R" written as null.
    static std::string WithoutReferences(const std::string& text);
    // text with each "N G R" written as written(N).
    static std::string ReplaceReferences(const std::string& text, const std::function<std::string(int32_t)>& written);

private:
    // Scans from offset to the end of the file or to a place the lexer must
    // restart from (after stream data, after a token error); returns that
    // place.
    static size_t ScanFrom(const std::string& file, size_t offset, std::vector<FUZZ_PdfObject>& objects);
    // The object of number with text, parsed.
    static FUZZ_PdfObject Parsed(int32_t number, const std::string& text);
    // The objects stored in an object stream.
    static void AddContained(const FUZZ_PdfObject& objectStream, std::vector<FUZZ_PdfObject>& objects);
};
