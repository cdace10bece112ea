// Conversions between the ANSI code page (UTF-8 here) and wide characters.
// They never throw: a failed conversion gives an empty result. Results are
// sized by the real converted length, so non-ASCII text survives.
#pragma once

#include <ostream>
#include <string>

// Into fixed buffers of size characters (or bytes), always terminated; size 0
// leaves the buffer untouched and returns a static empty string.
wchar_t* GLIB_NarrowToWide(wchar_t* wide, const char* narrow, size_t size);
char* GLIB_WideToNarrow(char* narrow, const wchar_t* wide, size_t size);
// Convert text onto the end of a buffer of total size; a full buffer stays.
wchar_t* GLIB_WStrAppendNarrow(wchar_t* wide, const char* narrow, size_t size);
char* GLIB_StrAppendWide(char* narrow, const wchar_t* wide, size_t size);

void GLIB_ToNarrowString(std::string& narrow, const std::wstring& wide);
void GLIB_ToWideString(std::wstring& wide, const std::string& narrow);
void GLIB_CopyNarrowString(std::string& out, const std::string& in);

// Puts the characters one by one, stopping at the first the stream refuses.
std::ostream& GLIB_WriteString(std::ostream& os, const std::string& text);
