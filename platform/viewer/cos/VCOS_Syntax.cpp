#include "viewer/cos/VCOS_Syntax.h"

#include <charconv>
#include <cstring>

#include "viewer/cos/VCOS_Error.h"

std::string VCOS_FormatReal(double value) {
    // Shortest round-trip digits in fixed notation; 1e308 needs 309 of them.
    char text[400];
    const auto result = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed);
    if (result.ec != std::errc())
        throw VCOS_Error(VCOS_ErrorKind::BadObject, "VCOS_Writer: cannot write the real " + std::to_string(value));
    std::string out(text, result.ptr);
    if (out.find('.') == std::string::npos)
        out += ".0";
    return out;
}

std::string VCOS_FormatName(const std::string& name) {
    static const char hex[] = "0123456789ABCDEF";
    std::string out = "/";
    for (const char c : name) {
        const auto byte = static_cast<unsigned char>(c);
        const bool regular = byte > 0x20 && byte < 0x7F && !std::strchr("()<>[]{}/%#", c);
        if (regular) {
            out += c;
        } else {
            out += '#';
            out += hex[byte >> 4];
            out += hex[byte & 15];
        }
    }
    return out;
}

std::string VCOS_FormatString(const std::string& bytes) {
    std::string out = "(";
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '\\' || c == '(' || c == ')') {
            out += '\\';
            out += c;
        } else if (byte >= 0x20 && byte < 0x7F) {
            out += c;
        } else {
            out += '\\';
            out += static_cast<char>('0' + (byte >> 6));
            out += static_cast<char>('0' + ((byte >> 3) & 7));
            out += static_cast<char>('0' + (byte & 7));
        }
    }
    out += ')';
    return out;
}
