// The collector through which every validator of the content model writes
// its messages.
//
// Validator convention: a static member named IsValid… takes the object and
// the caller's std::string* (may be null), makes one collector over it, and
// for each problem writes exactly one English message into a fresh Stream():
// a fixed text, then the offending value (type names by
// GLOB_Object::TypeString, numbers in the stream's default format, names
// without a slash, whole objects by GLOB_Object::Print). A problem that makes
// further checks meaningless returns false at once; independent problems are
// all reported. It returns IsValid(); the collector's destruction then
// leaves in the caller's string exactly that validator's lines, each ending
// in "\n" (an empty string when nothing was wrong), replacing what the string
// held before. A validator that checks a nested object passes it a string of
// its own and, when that fails, writes one message of its own: a prefix and
// then the nested text.
#pragma once

#include <memory>
#include <ostream>
#include <sstream>
#include <string>
#include <vector>

class iCPDF_ValidationMessage {
public:
    // sink: the caller's string, or null to discard the text.
    explicit iCPDF_ValidationMessage(std::string* sink);
    // Flushes.
    ~iCPDF_ValidationMessage();
    iCPDF_ValidationMessage(const iCPDF_ValidationMessage&) = delete;
    iCPDF_ValidationMessage& operator=(const iCPDF_ValidationMessage&) = delete;

    // Begins a message; write it into the stream returned.
    std::ostream& Stream();
    // True while no message has been begun, even an empty one; a Flush does
    // not make a collector valid again.
    bool IsValid() const { return m_numBegun == 0; }
    // Replaces the sink's content by the messages begun since the last
    // flush, each followed by "\n", then lets go of the sink: a second flush
    // leaves the caller's string as the first one left it.
    void Flush();

private:
    std::vector<std::unique_ptr<std::ostringstream>> m_streams;
    std::string* m_sink;
    size_t m_numBegun = 0;
};
