// Host errors of the stand-in's Cos layer. Each VCOS_Error of the store
// becomes a host error whose text is registered when it is raised, so the
// text carries the particulars (the file, qpdf's reason, the filter):
//   BadObject       "Bad Cos object: ..."
//   BadDocument     "Bad Cos document: ..."
//   PasswordNeeded  "A password is needed to open this file: ..."
//   ReadFailed      "The file cannot be read: ..." (qpdf's message)
//   Unsupported     "The stream cannot be encoded or decoded: ..."
//   WriteFailed     "The document cannot be saved: ..."
//   DamagedPages    "The page tree is damaged: ..."
// Host errors of files and file systems travel with their own codes.
#pragma once

#include "viewer/VIEW_HostError.h"
#include "viewer/cos/VCOS_Error.h"
#include "viewer/host_api.h"

#include <string>
#include <type_traits>

class VIEW_CosErrors {
public:
    // The severity the stand-in registers its error texts with.
    static constexpr uint16_t Severity = 4;

    // The text for error: the lead of its kind, then the store's message
    // without the name of the class that threw it.
    static std::string Text(const VCOS_Error& error);
    // Registers Text(error) and gives the new code.
    static PDFL_ErrorCode Register(const VCOS_Error& error);
    // Registers the text of a fault found outside the store and raises it.
    [[noreturn]] static void Raise(VCOS_ErrorKind kind, const std::string& message);
};

// Runs body, the work of one Cos slot; a VCOS_Error it throws is raised as
// a host error once the catch block has ended.
template <class Body>
auto VIEW_CosGuard(Body&& body) -> decltype(body()) {
    PDFL_ErrorCode code = 0;
    try {
        return body();
    } catch (const VCOS_Error& error) {
        code = VIEW_CosErrors::Register(error);
    }
    throw VIEW_HostRaise(code);
}
