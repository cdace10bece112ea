#include "support/TestSupport.h"

#include "GLIB/GLIB_Assert.h"
#include "win32/win32_driver.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <dirent.h>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

namespace {

void ThrowingAssertHandler(const char* expression, const char* file, uint32_t line) {
    throw TestAssertionFailure(expression ? expression : "", file ? file : "", line);
}

class ThrowingAssertions : public ::testing::Environment {
public:
    void SetUp() override { GLIB_SetAssertHandler(ThrowingAssertHandler); }
};

// Every test runs on the test clock, so waits and timers cost no time.
const bool g_installed = [] {
    Win32Driver::UseTestClock();
    GLIB_SetAssertHandler(ThrowingAssertHandler);
    ::testing::AddGlobalTestEnvironment(new ThrowingAssertions);
    return true;
}();

std::vector<LogCapture::Entry>& CapturedEntries() {
    static std::vector<LogCapture::Entry> entries;
    return entries;
}

int CapturingLogger(int32_t level, const char* text, const char* file, int32_t line) {
    CapturedEntries().push_back({level, text ? text : "", file ? file : "", line});
    return 0;
}

void RemoveTree(const std::string& path) {
    if (DIR* dir = opendir(path.c_str())) {
        while (dirent* entry = readdir(dir)) {
            const std::string name = entry->d_name;
            if (name == "." || name == "..")
                continue;
            const std::string child = path + "/" + name;
            struct stat st;
            if (lstat(child.c_str(), &st) == 0 && S_ISDIR(st.st_mode))
                RemoveTree(child);
            else
                unlink(child.c_str());
        }
        closedir(dir);
    }
    rmdir(path.c_str());
}

}  // namespace

LogCapture::LogCapture() : m_previous(GLIB_SetLogger(CapturingLogger)) {
    (void)g_installed;
    CapturedEntries().clear();
}

LogCapture::~LogCapture() { GLIB_SetLogger(m_previous); }

const std::vector<LogCapture::Entry>& LogCapture::Entries() const { return CapturedEntries(); }

bool LogCapture::Contains(int32_t level, const std::string& text) const {
    return std::any_of(Entries().begin(), Entries().end(), [&](const Entry& e) {
        return e.level == level && e.text.find(text) != std::string::npos;
    });
}

ScratchDir::ScratchDir() {
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/tintscope-test-XXXXXX";
    if (!mkdtemp(&pattern[0]))
        throw std::runtime_error("cannot make a scratch folder");
    m_path = pattern;
}

ScratchDir::~ScratchDir() { RemoveTree(m_path); }

std::vector<std::string> ScratchDir::List() const { return ListFolder(m_path); }

std::vector<std::string> ListFolder(const std::string& path) {
    std::vector<std::string> names;
    if (DIR* dir = opendir(path.c_str())) {
        while (dirent* entry = readdir(dir)) {
            const std::string name = entry->d_name;
            if (name != "." && name != "..")
                names.push_back(name);
        }
        closedir(dir);
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::string ReadWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

void WriteWholeFile(const std::string& path, const std::string& data) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(data.data(), static_cast<std::streamsize>(data.size()));
}

// Sanitizer settings for test binaries run by hand as well as by CTest: an
// impossible allocation must return null so out-of-memory paths can be tested.
extern "C" const char* __asan_default_options() {
    return "allocator_may_return_null=1:detect_stack_use_after_return=1:detect_leaks=1";
}
extern "C" const char* __ubsan_default_options() { return "print_stacktrace=1:halt_on_error=1"; }
