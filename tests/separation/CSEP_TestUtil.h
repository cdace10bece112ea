// Shorthands shared by the separation-engine tests.
#pragma once

#include "FILT/FILT_FilterBuffer.h"
#include "GLIB/GLIB_Exception.h"
#include "GLOB/GLOB_Doc.h"
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

// A stream object of doc holding data as stored bytes.
inline GLOB_Object NewStreamObject(const GLOB_Doc& doc, const std::string& data) {
    return doc.NewStream(GLOB_Stream(new GLOB_StringStream(data)), 1, GLOB_Object(), GLOB_Object(), -1);
}

// Every byte up to the end of data.
inline std::string ReadAll(GLOB_Stream stream) {
    std::string bytes;
    for (;;) {
        FILT_FilterBuffer* buffer = stream.Read();
        const FILT_Size n = buffer->DataAvailable();
        bytes.append(reinterpret_cast<const char*>(buffer->GetPtr()), n);
        buffer->AdvanceGetPtr(n);
        if (n == 0 && buffer->IsEOD())
            break;
    }
    stream.Close();
    return bytes;
}

inline std::string StreamData(const GLOB_Object& stream, int32_t openFlags = 0) {
    return ReadAll(stream.OpenStream(openFlags));
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
