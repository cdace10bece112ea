#include "viewer/program/VIEW_ProgramText.h"

namespace {

// The length of the valid UTF-8 sequence at bytes[at], 0 when none starts
// there. C1 controls count as none: some terminals obey them.
size_t SequenceAt(const std::string& bytes, size_t at) {
    const auto byte = [&](size_t i) { return static_cast<unsigned char>(bytes[i]); };
    const unsigned char lead = byte(at);
    size_t length = 0;
    unsigned char low = 0x80, high = 0xBF;  // the second byte's range
    if (lead >= 0xC2 && lead <= 0xDF)
        length = 2;
    else if (lead >= 0xE0 && lead <= 0xEF)
        length = 3;
    else if (lead >= 0xF0 && lead <= 0xF4)
        length = 4;
    else
        return 0;
    if (lead == 0xE0)
        low = 0xA0;  // overlong
    else if (lead == 0xED)
        high = 0x9F;  // surrogates
    else if (lead == 0xF0)
        low = 0x90;  // overlong
    else if (lead == 0xF4)
        high = 0x8F;  // past U+10FFFF
    if (at + length > bytes.size() || byte(at + 1) < low || byte(at + 1) > high)
        return 0;
    for (size_t i = 2; i < length; ++i)
        if (byte(at + i) < 0x80 || byte(at + i) > 0xBF)
            return 0;
    if (lead == 0xC2 && byte(at + 1) <= 0x9F)
        return 0;
    return length;
}

}  // namespace

void VIEW_AppendEscapedByte(std::string* text, unsigned char byte) {
    static const char hex[] = "0123456789abcdef";
    *text += '#';
    *text += hex[byte >> 4];
    *text += hex[byte & 15];
}

std::string VIEW_EscapedText(const std::string& bytes) {
    std::string text;
    text.reserve(bytes.size());
    for (size_t at = 0; at < bytes.size();) {
        const unsigned char byte = static_cast<unsigned char>(bytes[at]);
        if (byte < 0x80) {
            if (byte < 0x20 || byte == 0x7f || byte == '#')
                VIEW_AppendEscapedByte(&text, byte);
            else
                text += static_cast<char>(byte);
            ++at;
        } else if (const size_t length = SequenceAt(bytes, at)) {
            text.append(bytes, at, length);
            at += length;
        } else {
            VIEW_AppendEscapedByte(&text, byte);
            ++at;
        }
    }
    return text;
}

std::string VIEW_ShortText(const std::string& text, size_t most) {
    if (text.size() <= most)
        return text;
    const std::string tail = "...";
    size_t end = most > tail.size() ? most - tail.size() : 0;
    // Back to the start of a character, then before a "#xx" it would cut.
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80)
        --end;
    if (end >= 1 && text[end - 1] == '#')
        end -= 1;
    else if (end >= 2 && text[end - 2] == '#')
        end -= 2;
    return text.substr(0, end) + tail;
}
