#include "separation/CSEP_SepJobContext.h"

#include "CPDF/document/CPDF_MemoryImpl.h"
#include "CSEP_TestUtil.h"

namespace {

using CSEP_SepJobContextTest = CSEP_TempDirTest;

CSEP_TempFile NewFile() {
    CSEP_TempFile file;
    file.Create();
    return file;
}

}  // namespace

TEST_F(CSEP_SepJobContextTest, InkListStartsWithTheProcessInksAndSkipsMetaAndRepeats) {
    const std::vector<std::vector<std::string>> cases[] = {  // given, ink list
        {{}, {"Cyan", "Magenta", "Yellow", "Black"}},
        {{"Black", "All", "Orange", "None", "Orange", "Gold"}, {"Cyan", "Magenta", "Yellow", "Black", "Orange", "Gold"}},
        {{"Gray", "Yellow", "black"}, {"Cyan", "Magenta", "Yellow", "Black", "Gray", "black"}},
    };
    CSEP_SepJobContext job;
    EXPECT_THROW(job.Colorant(0), TestAssertionFailure);
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c[1]));
        std::vector<CPDF_Colorant> given;
        for (const std::string& name : c[0])
            given.emplace_back(name.c_str());
        job.SetDocAndColorants(CPDF_Doc(), given);
        std::vector<std::string> inks;
        for (uint32_t i = 0; i < job.NumColorants(); ++i)
            inks.push_back(job.Colorant(i).CStr());
        EXPECT_EQ(inks, c[1]);
    }
}

TEST_F(CSEP_SepJobContextTest, CopiesShareOneJob) {
    CSEP_SepJobContext job;
    EXPECT_EQ(job.UseExternalStreams() + job.CompressionMode() + job.NumColorants(), 0u);
    CSEP_SepJobContext copy(job), assigned;
    assigned = copy;
    const CPDF_Doc doc = CPDF_MemoryImpl::Make();
    job.SetUseExternalStreams(1);
    copy.SetCompressionMode(1);
    assigned.SetDocAndColorants(doc, {CPDF_Colorant("Spot")});
    for (const CSEP_SepJobContext* handle : {&job, &copy, &assigned}) {
        EXPECT_EQ(handle->UseExternalStreams() + handle->CompressionMode() + handle->NumColorants(), 7u);
        EXPECT_TRUE(handle->Doc().Impl() == doc.Impl() && &handle->ProgressMeter() == &job.ProgressMeter());
    }
    EXPECT_NE(&CSEP_SepJobContext().ProgressMeter(), &job.ProgressMeter());
}

TEST_F(CSEP_SepJobContextTest, TempFilesLiveWithTheJobUntilDeleted) {
    const GLOB_Doc doc = NewDoc();
    CSEP_SepJobContext job;
    CSEP_TempFile held = NewFile();  // a separator still holds this one
    job.AddTempFile(NewFile());
    job.AddTempFile(held);
    job.SetDocAndColorants(CPDF_Doc(), {});  // releases the job's files
    EXPECT_EQ(TempFiles().size(), 1u);
    EXPECT_TRUE(held.HoldsFile());

    // An external stream's file stays with the job, and goes at once with
    // DeleteTempFiles though a separator's handle is still there.
    const GLOB_Object stream = held.MakeExternalStream(doc, GLOB_Object(), GLOB_Object());
    job.AddTempFile(held);
    EXPECT_EQ(StreamData(stream), "");
    job.DeleteTempFiles();
    EXPECT_TRUE(TempFiles().empty());
    EXPECT_FALSE(held.HoldsFile());
    // The last handle of a job takes its files along.
    CSEP_SepJobContext().AddTempFile(NewFile());
}
