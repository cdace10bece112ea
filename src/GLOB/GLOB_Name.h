// The name of a PDF Name object: an immutable counted byte text without the
// leading solidus. The default name (no text) differs from the name "".
#pragma once

#include <cstdint>
#include <ostream>

class GLOB_String;

class GLOB_Name {
public:
    // The empty name: no text at all.
    GLOB_Name();
    // text must not be null.
    explicit GLOB_Name(const char* text);
    GLOB_Name(const GLOB_Name& other);
    GLOB_Name& operator=(const GLOB_Name& other);
    ~GLOB_Name();

    // The text, or null for the empty name.
    const char* CStr() const { return m_nameCore->m_text; }
    bool IsEmpty() const { return m_nameCore->m_text == nullptr; }

    bool operator==(const GLOB_Name& other) const;
    bool operator==(const char* text) const;
    bool operator!=(const GLOB_Name& other) const { return !(*this == other); }
    bool operator!=(const char* text) const { return !(*this == text); }
    // By the bytes of the text as unsigned values, a name before every longer
    // name it begins; the empty name comes first, then the name "". Walks
    // that list names by this order see CS1, CS10, CS2.
    bool operator<(const GLOB_Name& other) const;

    // The text unchanged, without solidus or escapes.
    std::ostream& Print(std::ostream& os) const;
    // The PDF form: "/" and the text with every non-regular byte as #XX.
    GLOB_String Escaped() const;

private:
    struct Core {
        uint32_t m_count;
        char* m_text;
        uint32_t RefCount() const { return m_count; }
    };
    void Release();

    Core* m_nameCore;
};
