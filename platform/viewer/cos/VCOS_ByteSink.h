// Where the writer's bytes go: later the host file system's write procedure.
#pragma once

#include <cstddef>
#include <string>

class VCOS_ByteSink {
public:
    virtual ~VCOS_ByteSink() = default;
    // Stores up to count bytes and answers how many it stored; the writer
    // takes fewer than count as a failed save.
    virtual size_t Write(const char* bytes, size_t count) = 0;
    // Called once after the last write (flush, close what the save opened);
    // false fails the save.
    virtual bool Finish() = 0;
};

// Collects the bytes in memory.
class VCOS_StringSink : public VCOS_ByteSink {
public:
    size_t Write(const char* bytes, size_t count) override {
        m_bytes.append(bytes, count);
        return count;
    }
    bool Finish() override { return true; }
    const std::string& Bytes() const { return m_bytes; }

private:
    std::string m_bytes;
};
