#include "GLIB/GLIB_MessageStream.h"

#include "GLIB/GLIB_Assert.h"
#include "GLIB/GLIB_Log.h"

void GLIB_MessageStream::Assert(const char* file, uint32_t line) const {
    const std::string text = str();
    GLIB_AssertFailed(text.c_str(), file, line);
}

void GLIB_MessageStream::Log(int32_t level, const char* file, int32_t line) const {
    const std::string text = str();
    GLIB_Log(level, text.c_str(), file, line);
}
