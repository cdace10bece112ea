#include "FUZZ_Targets.h"

#include "CPDF/CPDF_Exception.h"
#include "GLOB/GLOB_Object.h"
#include "support/FilterDriver.h"

#include <cstdio>
#include <new>

namespace {
// The code blocks of the object model and of the filters.
constexpr uint32_t ObjectModelBlock = 1151;
constexpr uint32_t FilterBlock = 1130;
}  // namespace

bool FUZZ_IsExpected(const GLIB_Exception& e, bool validated) {
    if (dynamic_cast<const CPDF_Exception*>(&e))
        return true;
    const uint32_t block = e.Code() / 1000;
    return (block == ObjectModelBlock && !(validated && e.Code() == GLOB_TypeMismatchCode)) || block == FilterBlock;
}

FUZZ_Finding::FUZZ_Finding(const GLIB_Exception& e)
    : std::runtime_error("Wrong-kind read past a validator: " + e.Description()) {}

FUZZ_Finding::FUZZ_Finding(const std::string& what) : std::runtime_error(what) {}

int FUZZ_Run(const FUZZ_Target& target, const uint8_t* data, size_t size) {
    try {
        target.run(data, size);
    } catch (const GLIB_Exception& e) {
        if (target.strict && !FUZZ_IsExpected(e)) {
            std::fprintf(stderr, "Unexpected exception: %s\n", e.Description().c_str());
            throw;
        }
    } catch (const FUZZ_Finding& e) {
        std::fprintf(stderr, "%s\n", e.what());
        throw;
    } catch (const std::bad_alloc&) {
    } catch (const FilterOutputBound&) {
    }
    return 0;
}

#include "FUZZ_TargetList.h"

const FUZZ_Target FUZZ_AllTargets[] = {
    {"Lexer", FUZZ_Lexer},
    {"OperatorParser", FUZZ_OperatorParser},
    {"ParseObject", FUZZ_ParseObject},
    {"FlateDecode", FUZZ_FlateDecode},
    {"FlatePredictDecode", FUZZ_FlatePredictDecode},
    {"RunLengthDecode", FUZZ_RunLengthDecode},
    {"ASCIIHexDecode", FUZZ_ASCIIHexDecode},
    {"ASCII85Decode", FUZZ_ASCII85Decode},
    {"CCITTFaxDecode", FUZZ_CCITTFaxDecode},
    {"DCTDecode", FUZZ_DCTDecode},
    {"FilterChain", FUZZ_FilterChain},
    {"MemoryStream", FUZZ_MemoryStream},
    {"PSFunction", FUZZ_PSFunction, /*strict=*/true},
    {"ContentParser", FUZZ_ContentParser, /*strict=*/true},
    {"MeshReader", FUZZ_MeshReader, /*strict=*/true},
    {"ColorReaders", FUZZ_ColorReaders, /*strict=*/true},
    {"SeparatePage", FUZZ_SeparatePage},
    {"SliceFunction", FUZZ_SliceFunction},
    {"SliceShading", FUZZ_SliceShading},
    {"SliceImage", FUZZ_SliceImage},
    {"HostSeparatePage", FUZZ_HostSeparatePage},
};
const size_t FUZZ_NumTargets = sizeof FUZZ_AllTargets / sizeof FUZZ_AllTargets[0];
