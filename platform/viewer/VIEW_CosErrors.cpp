#include "viewer/VIEW_CosErrors.h"

#include "viewer/VIEW_ErrorRegistry.h"

namespace {

const char* Lead(VCOS_ErrorKind kind) {
    switch (kind) {
    case VCOS_ErrorKind::BadObject: return "Bad Cos object";
    case VCOS_ErrorKind::BadDocument: return "Bad Cos document";
    case VCOS_ErrorKind::PasswordNeeded: return "A password is needed to open this file";
    case VCOS_ErrorKind::ReadFailed: return "The file cannot be read";
    case VCOS_ErrorKind::Unsupported: return "The stream cannot be encoded or decoded";
    case VCOS_ErrorKind::WriteFailed: return "The document cannot be saved";
    case VCOS_ErrorKind::DamagedPages: return "The page tree is damaged";
    }
    return "Cos error";
}

// "VCOS_Reader: text" -> "text".
std::string WithoutClass(const std::string& message) {
    const size_t colon = message.find(": ");
    if (message.compare(0, 5, "VCOS_") == 0 && colon != std::string::npos)
        return message.substr(colon + 2);
    return message;
}

}  // namespace

std::string VIEW_CosErrors::Text(const VCOS_Error& error) {
    return std::string(Lead(error.Kind())) + ": " + WithoutClass(error.what());
}

PDFL_ErrorCode VIEW_CosErrors::Register(const VCOS_Error& error) {
    return VIEW_ErrorRegistry::Register(Severity, Text(error).c_str());
}

void VIEW_CosErrors::Raise(VCOS_ErrorKind kind, const std::string& message) {
    throw VIEW_HostRaise(Register(VCOS_Error(kind, message)));
}
