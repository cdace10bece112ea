// Shorthands shared by the content-parser tests: content fed in chunks, and
// the parse written out step by step.
#pragma once

#include "CPDF/CPDF_TestUtil.h"
#include "CPDF/content/CPDF_ContentParser.h"
#include "CPDF/content/iCPDF_CPStateBase.h"
#include "support/GLOB_ChunkedCore.h"

#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

// text handed out in chunks of the given sizes (see GLOB_ChunkedCore).
inline GLOB_Stream Chunked(const std::string& text, const std::vector<size_t>& sizes = {0}) {
    return GLOB_Stream(new GLOB_ChunkedCore(text, sizes, GLOB_StreamCore::Input));
}

// The bytes as text: printable ones as they are, others as \xHH.
inline std::string Escaped(const std::string& bytes) {
    std::string s;
    for (unsigned char c : bytes) {
        char hex[8];
        std::snprintf(hex, sizeof hex, c > 32 && c < 127 && c != '\\' ? "%c" : "\\x%02X", c);
        s += hex;
    }
    return s;
}

// One line per step: the operator's offset, text and operands bottom first;
// after ID the image's raw data as "data=" bytes. Then "end", or "stopped: "
// and the message, or "threw " and what the step threw.
inline std::string Dump(CPDF_ContentParser& parser) {
    std::ostringstream os;
    try {
        while (parser.Step()) {
            os << parser.Lexer().TokenOffset() << " " << parser.OperatorText();
            for (size_t i = parser.Operands().Size(); i-- > 0;) {
                os << " ";
                parser.Operands().Operand(i).Print(os);
            }
            if (std::string(parser.OperatorText()) == "ID")
                os << " data=" << Escaped(ReadAll(parser.InlineImage().Stream(1)));
            os << "\n";
        }
        os << (parser.IsStopped() ? "stopped: " + parser.ErrorMessage() : std::string("end")) << "\n";
    } catch (...) {
        std::string what = Thrown([] { throw; });
        os << "threw " << what << (parser.IsStopped() ? " (stopped)" : "") << "\n";
    }
    return os.str();
}

inline std::string Dump(const std::string& text, const std::vector<size_t>& sizes = {0},
                        const GLOB_Object& resources = GLOB_Object()) {
    CPDF_ContentParser parser;
    parser.Start(Chunked(text, sizes), resources);
    return Dump(parser);
}
