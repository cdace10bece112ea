// Flate-encodes bytes as they come, at zlib's fastest level, appending the
// encoded bytes to a string.
#pragma once

#include <zlib.h>

#include <cstddef>
#include <string>

class VDRW_FlateWriter {
public:
    explicit VDRW_FlateWriter(std::string& out);
    ~VDRW_FlateWriter();
    VDRW_FlateWriter(const VDRW_FlateWriter&) = delete;
    VDRW_FlateWriter& operator=(const VDRW_FlateWriter&) = delete;

    // False when zlib fails (out of memory); nothing more may be added then.
    bool Add(const char* bytes, size_t count);
    // Ends the stream; false when zlib fails.
    bool Finish();

private:
    bool Run(int flush);

    std::string& m_out;
    z_stream m_zlib{};
    bool m_ready = false;
};
