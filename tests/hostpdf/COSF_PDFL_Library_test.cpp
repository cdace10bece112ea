// The host library binding: host errors as exceptions and back, a round
// through the host from a failing source stream, and the single instance.
#include "HostFixture.h"
#include "HostLibraryFixture.h"

#include "GLOB/GLOB_Stream.h"
#include "GLOB/GLOB_StreamCore.h"
#include "hostpdf/COSF_PDFL_Library.h"
#include "hostpdf/COSF_PDFL_StreamProc.h"
#include "hostpdf/PDFL_ASCalls.h"
#include "support/TestSupport.h"

#include <memory>
#include <string>

namespace {

class LibraryTest : public WithHostLibrary<HostTest> {
protected:
    // A host error with code raised by the stand-in inside a wrapper.
    static void RaiseThroughAWrapper(PDFL_ErrorCode code) {
        VIEW_Recorder::InjectFault(PDFL_AcroSupportTable, 45, code);
        PDFL_ASStmClose(nullptr);
    }
};

TEST_F(LibraryTest, UnregisteredHostCodeTravelsAsItsDecimalAndMapsBack) {
    const PDFL_ErrorCode code = 0x00C0DE42;
    try {
        RaiseThroughAWrapper(code);
        FAIL() << "no exception";
    } catch (const GLIB_Exception& exception) {
        EXPECT_EQ(exception.Code(), 1127008u);
        EXPECT_EQ(exception.Param(0), std::to_string(code));
        EXPECT_EQ(std::string(exception.What()),
                  "PDF Library Error:  (" + std::to_string(code) + ")");
        EXPECT_STREQ(exception.File(), "PDFL_ASCalls");
        EXPECT_EQ(COSF_PDFL_Library::MapException(exception), code);
        EXPECT_EQ(COSF_PDFL_Library::LastException().Code(), 1127008u);
    }
}

TEST_F(LibraryTest, RegisteredHostCodeCarriesTheHostsText) {
    const PDFL_ErrorCode code = PDFL_ASRegisterErrorString(2, "The disk is full");
    try {
        RaiseThroughAWrapper(code);
        FAIL() << "no exception";
    } catch (const GLIB_Exception& exception) {
        EXPECT_EQ(std::string(exception.What()),
                  "PDF Library Error: The disk is full (" + std::to_string(code) + ")");
    }
    const std::string longText(600, 'x');
    const PDFL_ErrorCode longCode = PDFL_ASRegisterErrorString(2, longText.c_str());
    try {
        RaiseThroughAWrapper(longCode);
        FAIL() << "no exception";
    } catch (const GLIB_Exception& exception) {
        EXPECT_EQ(std::string(exception.What()), "PDF Library Error: " + longText.substr(0, 492))
            << "cut to the 512 bytes of the host's buffer and the message's";
        EXPECT_EQ(COSF_PDFL_Library::MapException(exception), longCode);
    }
}

TEST_F(LibraryTest, OutOfMemoryCodesKeepTheirKind) {
    try {
        RaiseThroughAWrapper(PDFL_OutOfMemoryErrorCode());
        FAIL() << "no exception";
    } catch (const GLIB_Exception& exception) {
        EXPECT_EQ(exception.Code(), static_cast<uint32_t>(PDFL_OutOfMemoryErrorCode()));
    }
    try {
        RaiseThroughAWrapper(PDFL_BadAllocErrorCode());
        FAIL() << "no exception";
    } catch (const std::bad_alloc& exception) {
        EXPECT_STREQ(exception.what(), "bad allocation");
    }
}

TEST_F(LibraryTest, ExceptionsMapToHostCodes) {
    struct Case {
        uint32_t m_code;
        std::vector<std::string> m_params;
        PDFL_ErrorCode m_expected;
    } cases[] = {
        {1127008, {"-17"}, -17},
        {1127008, {}, 0},
        {1125002, {}, PDFL_OutOfMemoryErrorCode()},
        {1151011, {"5"}, 0x40000001},
        {1127009, {}, 0x40000001},
        {0, {}, 0x40000001},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.m_code);
        const GLIB_Exception exception(c.m_code, c.m_params, "m", __FILE__, __LINE__);
        EXPECT_EQ(COSF_PDFL_Library::MapException(exception), c.m_expected);
        EXPECT_EQ(COSF_PDFL_Library::LastException().Code(), c.m_code);
        EXPECT_EQ(COSF_PDFL_Library::LastException().Params(), c.m_params);
    }
}

// A source whose data cannot be read.
class FailingCore : public GLOB_StreamCore {
public:
    FailingCore() { Open(Input); }
    ~FailingCore() override { Close(); }

protected:
    FILT_FilterBuffer* FillBuffer() override {
        GLIB_THROW(GLIB_Exception, GLOB_StreamCore::IOErrorCode, "the source is gone");
    }
    void FlushBuffer(FILT_FilterBuffer&) override {}
    void DoClose() override {}
};

TEST_F(LibraryTest, SourceFailureComesBackThroughTheHost) {
    LogCapture log;
    COSF_PDFL_StreamProc proc{GLOB_Stream(new FailingCore)};
    char buffer[64];
    try {
        PDFL_ASStmRead(buffer, 1, sizeof buffer, proc.HostStream());
        FAIL() << "no exception";
    } catch (const GLIB_Exception& exception) {
        EXPECT_EQ(exception.Code(), 1127008u);
        EXPECT_EQ(exception.Param(0), "1073741825");
    }
    EXPECT_EQ(PDFL_CallbackLevel(), 0);
    EXPECT_EQ(COSF_PDFL_Library::LastException().Code(), 1151011u);
    EXPECT_TRUE(log.Contains(GLIB_LogError, "the source is gone"));
}

TEST(LibraryInstanceTest, SecondObjectIsRefusedAndLeavesTheFirst) {
    LogCapture log;
    auto first = std::make_unique<COSF_PDFL_Library>();
    EXPECT_EQ(COSF_PDFL_Library::Instance(), first.get());
    EXPECT_FALSE(COSF_PDFL_Library::IsInitialized()) << "the flag is cleared at registration";
    {
        COSF_PDFL_Library second;
        EXPECT_EQ(COSF_PDFL_Library::Instance(), first.get());
        size_t errors = 0;
        for (const LogCapture::Entry& entry : log.Entries())
            errors += entry.level == GLIB_LogError;
        EXPECT_EQ(errors, 1u);
        EXPECT_TRUE(log.Contains(GLIB_LogError,
                                 "Only allowed to have one instance of COSF_PDFL_Library"));
    }
    EXPECT_EQ(COSF_PDFL_Library::Instance(), first.get()) << "the refused one leaves it";
    first.reset();
    EXPECT_EQ(COSF_PDFL_Library::Instance(), nullptr);
}

TEST(LibraryInstanceTest, LockIsOneSectionThatCanBeHeld) {
    CRITICAL_SECTION& lock = COSF_PDFL_Library::Lock();
    EXPECT_EQ(&lock, &COSF_PDFL_Library::Lock());
    EnterCriticalSection(&lock);
    LeaveCriticalSection(&lock);
}

}  // namespace
