// The bytes of a PDF String object: a counted byte string (NUL allowed) that
// copies its bytes before a change when another handle shares them.
#pragma once

#include <cstdint>
#include <ostream>
#include <string>

class GLOB_String {
public:
    GLOB_String();
    GLOB_String(const char* text);  // the bytes before the terminating zero
    GLOB_String(const void* bytes, size_t count);
    GLOB_String(const GLOB_String& other);
    GLOB_String& operator=(const GLOB_String& other);
    GLOB_String& operator=(const char* text);
    ~GLOB_String();

    size_t Length() const { return m_strCore->m_bytes.size(); }
    // The byte at index (below Length).
    uint8_t operator[](size_t index) const { return static_cast<uint8_t>(m_strCore->m_bytes[index]); }
    const uint8_t* Data() const { return reinterpret_cast<const uint8_t*>(m_strCore->m_bytes.data()); }
    std::string AsStdString() const { return m_strCore->m_bytes; }

    bool operator==(const GLOB_String& other) const;
    bool operator==(const char* text) const;
    bool operator!=(const GLOB_String& other) const { return !(*this == other); }
    bool operator!=(const char* text) const { return !(*this == text); }

    GLOB_String& Append(const GLOB_String& other);
    GLOB_String& Append(const void* bytes, size_t count);
    // Gives this handle its own copy of the bytes when they are shared.
    void Detach();

    // Exactly Length() bytes, unchanged.
    std::ostream& Print(std::ostream& os) const;

private:
    struct Core {
        uint32_t m_count;
        std::string m_bytes;
        uint32_t RefCount() const { return m_count; }
    };
    void Release();

    Core* m_strCore;
};
