// Shared test helpers: a throwing assertion handler (installed for every test
// executable), a capturing logger, and a scratch folder.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "GLIB/GLIB_Log.h"

// Thrown by the assertion handler that every test executable installs, so a
// reached assertion fails the test instead of ending the process.
struct TestAssertionFailure : std::runtime_error {
    TestAssertionFailure(const std::string& expression, const std::string& file, uint32_t line)
        : std::runtime_error("assertion failed: " + expression), m_expression(expression),
          m_file(file), m_line(line) {}
    std::string m_expression;
    std::string m_file;
    uint32_t m_line;
};

// Records every log entry while it lives; restores the previous logger after.
class LogCapture {
public:
    struct Entry {
        int32_t level;
        std::string text;
        std::string file;
        int32_t line;
    };
    LogCapture();
    ~LogCapture();
    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;

    const std::vector<Entry>& Entries() const;
    // True when some entry at that level contains the text.
    bool Contains(int32_t level, const std::string& text) const;

private:
    GLIB_Logger m_previous;
};

// A fresh folder under the system temporary folder, removed with its files.
class ScratchDir {
public:
    ScratchDir();
    ~ScratchDir();
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    const std::string& Path() const { return m_path; }
    std::string File(const std::string& name) const { return m_path + "/" + name; }
    // Names of the entries in the folder, sorted.
    std::vector<std::string> List() const;

private:
    std::string m_path;
};

// Names of the entries in a folder, sorted; empty when it cannot be read.
std::vector<std::string> ListFolder(const std::string& path);

// Reads a whole file; empty when it cannot be read.
std::string ReadWholeFile(const std::string& path);
void WriteWholeFile(const std::string& path, const std::string& data);
