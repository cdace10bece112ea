#include "FUZZ_Targets.h"

#include "GLIB/GLIB_Exception.h"
#include "support/FilterDriver.h"

#include <new>

int FUZZ_Run(const FUZZ_Target& target, const uint8_t* data, size_t size) {
    try {
        target.run(data, size);
    } catch (const GLIB_Exception&) {
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
    {"PSFunction", FUZZ_PSFunction},
    {"ContentParser", FUZZ_ContentParser},
};
const size_t FUZZ_NumTargets = sizeof FUZZ_AllTargets / sizeof FUZZ_AllTargets[0];
