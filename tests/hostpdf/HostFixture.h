// The viewer stand-in as the plug-in's host for one test: everything reset,
// the host binding filled from the stand-in as set-up will fill it, no
// host-error handler; the previous handler comes back afterwards.
#pragma once

#include "Exchange/XCHG/XCHG_HostBinding.h"
#include "hostpdf/PDFL_ExceptionHandler.h"
#include "viewer/VIEW_ErrorRegistry.h"
#include "viewer/VIEW_Frames.h"
#include "viewer/VIEW_Host.h"
#include "viewer/VIEW_Recorder.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

// Fills the binding variables from the stand-in's tables and lets host
// errors through the exception handler.
void BindStandInHost();

// (table, slot) of every recorded call, in order.
std::vector<std::pair<int, int>> RecordedSlots();

// What a test's host-error handler saw before it threw HostErrorSeen.
struct HostErrorSeen {
    PDFL_ErrorCode m_code;
    std::string m_unit;
    int32_t m_line;
};
[[noreturn]] void ThrowingHostErrorHandler(PDFL_ErrorCode code, const char* unit, int32_t line);

class HostTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Installs handler for this test only.
    void InstallHandler(PDFL_HostErrorHandlerProc handler) { PDFL_SetHostErrorHandler(handler); }

private:
    PDFL_HostErrorHandlerProc m_previousHandler = nullptr;
};

inline constexpr std::pair<int, int> Core(int slot) { return {PDFL_CoreTable, slot}; }
inline constexpr std::pair<int, int> Cos(int slot) { return {PDFL_CosTable, slot}; }
