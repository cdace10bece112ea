// PDF syntax: the lexer, the operator parser and ParseObject.
#include "FUZZ_Input.h"
#include "FUZZ_TargetList.h"
#include "support/GLOB_ChunkedCore.h"
#include "GLOB/GLOB_Doc.h"
#include "GLOB/GLOB_ObjectFactory.h"
#include "GLOB/GLOB_OperatorParser.h"
#include "GLOB/GLOB_StreamLexer.h"

#include <sstream>

namespace {
constexpr int MaxSteps = 1 << 20;
}

void FUZZ_Lexer(const uint8_t* data, size_t size) {
    FUZZ_Input in(data, size);
    const std::vector<size_t> sizes = in.ChunkSizes();
    GLOB_StreamLexer lexer(GLOB_Stream(new GLOB_ChunkedCore(in.Rest(), sizes, GLOB_StreamCore::Input)));
    for (int i = 0; i < MaxSteps; ++i) {
        const GLOB_StreamLexer::Token token = lexer.NextToken();
        if (token == GLOB_StreamLexer::TokenEndOfData || token == GLOB_StreamLexer::TokenError)
            break;
        lexer.TokenText();
    }
}

void FUZZ_OperatorParser(const uint8_t* data, size_t size) {
    FUZZ_Input in(data, size);
    const std::vector<size_t> sizes = in.ChunkSizes();
    GLOB_Stream stream(new GLOB_ChunkedCore(in.Rest(), sizes, GLOB_StreamCore::Input));
    GLOB_OperatorParser parser(stream, GLOB_ObjectFactory::MemoryDoc());
    for (int i = 0; i < MaxSteps && parser.Parse(); ++i) {
    }
}

void FUZZ_ParseObject(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    GLOB_Object object = GLOB_ObjectFactory::MemoryDoc().ParseObject(text);
    std::ostringstream printed;
    object.Print(printed);
    object.IsDeepEqual(object);
}
