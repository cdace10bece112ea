// Shorthands shared by the separation-engine tests.
#pragma once

#include "CPDF/document/CPDF_MemoryImpl.h"
#include "GLIB/GLIB_Exception.h"
#include "GLOB/GLOB_Memory_Impl.h"
#include "GLOB/GLOB_Object.h"
#include "GLOB/GLOB_Stream.h"
#include "GLOB/GLOB_StringStream.h"
#include "CPDF/function/CPDF_Function.h"
#include "separation/CSEP_ColorSeparator.h"
#include "separation/CSEP_SepJobContext.h"
#include "separation/CSEP_SliceConverter.h"
#include "support/PackedSamples.h"
#include "support/TestSupport.h"
#include "win32/TmpDirScope.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

// TMPDIR is a fresh folder during each test, and the folder must end empty:
// every temporary file goes with its last owner, on error paths too.
class CSEP_TempDirTest : public ::testing::Test {
protected:
    void TearDown() override { EXPECT_EQ(TempFiles(), std::vector<std::string>()); }
    std::vector<std::string> TempFiles() const { return m_tmp.Dir().List(); }
    // Of those, the job's own ("VDQ…"); the documents may hold files of theirs.
    std::ptrdiff_t JobTempFileCount() const {
        const std::vector<std::string> files = TempFiles();
        return std::count_if(files.begin(), files.end(), [](const std::string& f) { return f.rfind("VDQ", 0) == 0; });
    }

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

// A job of the process inks and the given spot inks over a new, open
// memory document.
inline CSEP_SepJobContext NewJob(const std::vector<std::string>& spots, uint32_t compressionMode = 1,
                                 uint32_t externalStreams = 0) {
    CPDF_Doc doc = CPDF_MemoryImpl::Make();
    doc.Create();
    std::vector<CPDF_Colorant> inks;
    for (const std::string& spot : spots)
        inks.emplace_back(spot.c_str());
    CSEP_SepJobContext job;
    job.SetDocAndColorants(doc, inks);
    job.SetCompressionMode(compressionMode);
    job.SetUseExternalStreams(externalStreams);
    return job;
}

// A stream of doc under the dictionary given as text, storing data as it is,
// or encoded by its /Filter with encodeParams when they are given.
inline GLOB_Object NewStreamObject(const GLOB_Doc& doc, const std::string& dict, const std::string& data,
                                   const char* encodeParams = nullptr) {
    return doc.NewStream(GLOB_Stream(new GLOB_StringStream(data)), encodeParams ? 0 : 1, doc.ParseObject(dict.c_str()),
                         encodeParams ? doc.ParseObject(encodeParams) : GLOB_Object(), -1);
}

inline std::string Text(const GLOB_Object& object) {
    std::ostringstream os;
    object.Print(os);
    return os.str();
}

// The texts of the values under keys of object, one after another.
inline std::string Keys(const GLOB_Object& object, const std::vector<const char*>& keys) {
    std::string text;
    for (const char* key : keys)
        text += Text(object.DictGet(GLOB_Name(key)));
    return text;
}

// The outputs of a function object at point, evaluated by the function code.
inline std::vector<double> Outputs(const GLOB_Object& object, std::vector<double> point) {
    const CPDF_Function function(object);
    std::vector<double> out(function.RangeDimension());
    function.Evaluate(point.data(), out.data(), 1);
    return out;
}

// One object per ink from a colour separator set to the space of object (or
// to space when given): ConvertImage or ConvertShading.
inline std::vector<GLOB_Object> Separated(const CSEP_SepJobContext& job, const GLOB_Object& object,
                                          void (CSEP_ColorSeparator::*convert)(const GLOB_Object&,
                                                                               std::vector<GLOB_Object>&),
                                          const GLOB_Object& space = GLOB_Object()) {
    CSEP_ColorSeparator separator;
    separator.SetJobContext(job);
    separator.SetColorSpace(CPDF_ColorSpace(space.IsNull() ? object.DictGet(GLOB_Name("ColorSpace")) : space));
    std::vector<GLOB_Object> out;
    (separator.*convert)(object, out);
    EXPECT_EQ(out.size(), job.NumColorants());
    return out;
}

// The slicing operations of the converters, open to the tests; the root's
// object conversions.
struct Slicer : CSEP_SliceConverter {
    explicit Slicer(const CSEP_SepJobContext& job) { SetJobContext(job); }
    void ConvertColor(const CPDF_Color&, CPDF_Color&) override {}
    const char* ClassName() const override { return "Slicer"; }
    using CSEP_SliceConverter::CopyShadingKeys;
    using CSEP_SliceConverter::MakeConstantFunction;
    using CSEP_SliceConverter::MakeConstantShading;
    using CSEP_SliceConverter::SliceFunction;
    using CSEP_SliceConverter::SliceShading;
};
