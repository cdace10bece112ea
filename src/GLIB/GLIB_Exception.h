// Coded exceptions: every failure the system reports by throwing is a
// GLIB_Exception (or a family made with GLIB_DerivedException), except out of
// memory, which is GLIB_BadAllocException so that std::bad_alloc catches it.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <new>
#include <string>
#include <vector>

class GLIB_Exception {
public:
    // message may be null (empty); file is a static string, kept by pointer.
    GLIB_Exception(uint32_t code, const char* message, const char* file, int32_t line);
    GLIB_Exception(uint32_t code, const std::string& message, const char* file, int32_t line);
    GLIB_Exception(uint32_t code, const std::vector<std::string>& params,
                   const char* message, const char* file, int32_t line);
    GLIB_Exception(const GLIB_Exception&) = default;
    GLIB_Exception& operator=(const GLIB_Exception&) = default;
    virtual ~GLIB_Exception();

    // The developer message.
    virtual const char* What() const;
    // "code = …; developer-speak message = '…'; source file = …; line number = …;
    // localized Message = '…'", each piece only when present; no end of line.
    virtual void Describe(std::ostream& os) const;
    std::string Description() const;

    uint32_t Code() const { return m_code; }
    const char* File() const { return m_file; }
    int32_t Line() const { return m_line; }
    const std::vector<std::string>& Params() const { return m_params; }

    void SetMessage(const std::string& text) { m_message = text; }
    // Grows the list with empty entries up to i when needed.
    void SetParam(size_t i, const std::string& text);
    // Entry i, or empty when i is out of range.
    std::string Param(size_t i) const;
    // What the message function of GLIB_Globals makes of (code, parameters).
    std::string LocalizedMessage() const;

private:
    uint32_t m_code;
    std::string m_message;
    const char* m_file;
    int32_t m_line;
    std::vector<std::string> m_params;
};

// A family of exceptions that a component can catch by one type.
template <class Tag>
class GLIB_DerivedException : public GLIB_Exception {
public:
    GLIB_DerivedException(uint32_t code, const char* message, const char* file, int32_t line)
        : GLIB_Exception(code, message, file, line) {}
    GLIB_DerivedException(uint32_t code, const std::string& message, const char* file, int32_t line)
        : GLIB_Exception(code, message, file, line) {}
};

class GLIB_BadAllocException : public std::bad_alloc {
public:
    GLIB_BadAllocException(uint32_t size, const char* file, int32_t line)
        : m_size(size), m_file(file), m_line(line) {}
    const char* what() const noexcept override { return "bad allocation"; }

    uint32_t Size() const { return m_size; }
    const char* File() const { return m_file; }
    int32_t Line() const { return m_line; }

private:
    uint32_t m_size;
    const char* m_file;
    int32_t m_line;
};

// "( code = 5; param[0] = 'a'; param[2] = 'c' )": empty parameters are skipped.
std::string GLIB_DefaultMessageFunction(uint32_t code, const std::vector<std::string>& params);

// Exception codes of the foundation library.
enum : uint32_t {
    GLIB_OutOfMemoryCode = 1125002,
    GLIB_BoundCheckCode = 1125003,
    GLIB_IncompleteUNCCode = 1125005,
    GLIB_NarrowPathCode = 1125006,
    GLIB_BasicIOCode = 1125007,
};
