// Text that came from a document (names, strings, operators, the engine's
// messages about them) as the program shows it, in inks.txt and on the
// error stream: nothing in it can steer a terminal or break a line.
#pragma once

#include <string>

// bytes with every control byte (0x00 to 0x1F, 0x7F), C1 control
// (U+0080 to U+009F), '#' and byte that is not part of valid UTF-8 written
// "#xx" (two lower-case hex digits); valid UTF-8 stays readable.
std::string VIEW_EscapedText(const std::string& bytes);
// One byte as "#xx".
void VIEW_AppendEscapedByte(std::string* text, unsigned char byte);

// text cut to at most most bytes, ending in "..." when cut, never inside
// a UTF-8 sequence or a "#xx" escape.
std::string VIEW_ShortText(const std::string& text, size_t most);
