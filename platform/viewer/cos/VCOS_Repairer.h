// The C++ side of the MuPDF repair: the rebuilt file and MuPDF's warnings,
// or the store's own error, thrown after the C call has returned.
#pragma once

#include <string>
#include <vector>

struct VCOS_Rebuilt {
    std::string m_bytes;                  // a whole PDF file qpdf can read
    std::vector<std::string> m_warnings;  // MuPDF's, in order, at most the kept ones
};

class VCOS_Repairer {
public:
    // Refusals: std::bad_alloc when memory runs out; VCOS_Error
    // PasswordNeeded for a document with a user password, ReadFailed with
    // MuPDF's reason for anything else (the message without the class).
    static VCOS_Rebuilt Rebuild(const std::string& bytes);
};
