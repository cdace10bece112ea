// Flate-encodes bytes as they come, appending the encoded bytes to a
// string: the drawing's inlined files at zlib's fastest level, the store's
// new streams at its default.
#pragma once

#include <zlib.h>

#include <cstddef>
#include <string>

class VCOS_FlateWriter {
public:
    explicit VCOS_FlateWriter(std::string& out, int level = Z_BEST_SPEED);
    ~VCOS_FlateWriter();
    VCOS_FlateWriter(const VCOS_FlateWriter&) = delete;
    VCOS_FlateWriter& operator=(const VCOS_FlateWriter&) = delete;

    // False when zlib fails (out of memory); nothing more may be added then.
    bool Add(const char* bytes, size_t count);
    // Ends the stream; false when zlib fails.
    bool Finish();
    // zlib's code of the failure, Z_OK while none.
    int Status() const { return m_status; }

private:
    bool Run(int flush);

    std::string& m_out;
    z_stream m_zlib{};
    bool m_ready = false;
    int m_status = Z_OK;
};
