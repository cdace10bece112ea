// The one exception of the viewer stand-in's Cos store. The slot boundary
// turns it into a host error; the kind picks the registered text there.
#pragma once

#include <stdexcept>
#include <string>

enum class VCOS_ErrorKind {
    BadObject,       // stale, foreign or wrong-type object, index out of range
    BadDocument,     // closed or unknown document, document without root
    PasswordNeeded,  // an encrypted file that needs a user password
    ReadFailed,      // the reader refused the file (carries qpdf's reason)
    Unsupported,     // a filter or parameter the store cannot apply
    WriteFailed,     // a short write or a failed finish of the byte sink
    DamagedPages,    // a page tree that cannot be walked: no tree, Kids not an array, a loop
};

class VCOS_Error : public std::runtime_error {
public:
    // The message starts with the class that throws, as "VCOS_Store: ...".
    VCOS_Error(VCOS_ErrorKind kind, const std::string& message)
        : std::runtime_error(message), m_kind(kind) {}

    VCOS_ErrorKind Kind() const { return m_kind; }

private:
    VCOS_ErrorKind m_kind;
};
