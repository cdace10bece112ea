// The exception of the stand-in's page drawing (a MuPDF failure, a device
// context without a 32-bit DIB section). VDRW_PageDrawer turns it into a
// host error at its boundary.
#pragma once

#include <stdexcept>
#include <string>

class VDRW_Error : public std::runtime_error {
public:
    // The message starts with the class that throws, as "VDRW_PageDrawer: ...".
    explicit VDRW_Error(const std::string& message) : std::runtime_error(message) {}
};
