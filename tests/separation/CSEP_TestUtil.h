// Shorthands shared by the separation-engine tests.
#pragma once

#include "GLIB/GLIB_Exception.h"
#include "GLOB/GLOB_Memory_Impl.h"
#include "GLOB/GLOB_Object.h"
#include "GLOB/GLOB_Stream.h"
#include "GLOB/GLOB_StringStream.h"
#include "support/TestSupport.h"
#include "win32/TmpDirScope.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

// TMPDIR is a fresh folder during each test, and the folder must end empty:
// every temporary file goes with its last owner, on error paths too.
class CSEP_TempDirTest : public ::testing::Test {
protected:
    void TearDown() override { EXPECT_EQ(TempFiles(), std::vector<std::string>()); }
    std::vector<std::string> TempFiles() const { return m_tmp.Dir().List(); }

private:
    TmpDirScope m_tmp;
};

// An open, empty memory document.
inline GLOB_Doc NewDoc() {
    GLOB_Doc doc = GLOB_Memory_Impl::Make();
    doc.Create("%PDF-1.3", 0);
    return doc;
}

// A stream object of doc storing data.
inline GLOB_Object NewStreamObject(const GLOB_Doc& doc, const std::string& data) {
    return doc.NewStream(GLOB_Stream(new GLOB_StringStream(data)), 1, GLOB_Object(), GLOB_Object(), -1);
}

// Every byte left in the stream, which is then closed.
inline std::string ReadAll(GLOB_Stream stream) {
    std::string bytes;
    for (FILT_FilterBuffer* buffer = stream.Read(); buffer->DataAvailable() > 0; buffer = stream.Read()) {
        bytes.append(reinterpret_cast<const char*>(buffer->GetPtr()), buffer->DataAvailable());
        buffer->AdvanceGetPtr(buffer->DataAvailable());
    }
    stream.Close();
    return bytes;
}

// Every byte of the object's data (openFlags as OpenStream takes them).
inline std::string StreamData(const GLOB_Object& object, int32_t openFlags = 0) {
    return ReadAll(object.OpenStream(openFlags));
}

// The code and message of the GLIB_Exception that call throws.
template <class Call>
std::string Failure(Call call) {
    try {
        call();
    } catch (const GLIB_Exception& e) {
        return std::to_string(e.Code()) + " " + e.What();
    }
    return "no exception";
}
