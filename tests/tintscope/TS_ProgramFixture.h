// Runs of the tintscope program, in-process (VIEW_RunProgram, the screen
// capped at 2048) or as the built binary, each with its own TMPDIR, which
// must end empty, and its own output folder. The built program, however a
// test starts it, prints no progress lines unless the test asks for them
// (TINTSCOPE_PROGRESS_MS); in-process runs keep the test clock, which only
// moves when told.
#pragma once

#include "support/GrayPlate.h"
#include "support/PngReader.h"
#include "support/TestSupport.h"
#include "viewer/program/VIEW_Program.h"
#include "win32/TmpDirScope.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

struct TS_Run {
    int m_code = -1;
    std::string m_err;
    // Lines of m_err, without their ends.
    std::vector<std::string> Lines() const;
};

// XDG_CONFIG_HOME moved to a folder of its own while it lives, so that runs
// in parallel never read the plug-in's preferences file while another
// writes it. Every run of the program in the tests is made in one.
class TS_ConfigScope {
public:
    TS_ConfigScope();
    ~TS_ConfigScope();
    TS_ConfigScope(const TS_ConfigScope&) = delete;
    TS_ConfigScope& operator=(const TS_ConfigScope&) = delete;

private:
    ScratchDir m_folder;
    bool m_had = false;
    std::string m_saved;
};

class TS_ProgramTest : public ::testing::Test {
protected:
    void TearDown() override;

    TS_Run Run(const std::vector<std::string>& args);
    // With settings of the test's own (the screen still capped).
    TS_Run Run(const std::vector<std::string>& args, VIEW_ProgramSettings settings);
    // With the screen as large as the program allows, for views of up to
    // 8192 pixels a side.
    TS_Run RunFullScreen(const std::vector<std::string>& args);
    TS_Run RunBinary(const std::vector<std::string>& args);
    // args with "--out" and this test's output folder.
    std::vector<std::string> WithOut(std::vector<std::string> args) const;
    // A one-page file of width x height points with the given content and
    // colour spaces, in the documents folder.
    std::string WritePage(const std::string& name, double width, double height, const std::string& content,
                          const std::string& colorSpaces = "");
    std::string WriteFile(const std::string& name, const std::string& data);

    PngPixels Output(const std::string& name) const { return ReadPng(m_out.File(name)); }
    // Runs pdf at 150 dpi into *run; each process ink's plate, in ink order,
    // empty where the page has no such ink or the run failed.
    std::vector<std::vector<uint8_t>> ProcessPlates(const std::string& pdf, TS_Run* run);

    // Made before TMPDIR moves, so that they are not in it.
    ScratchDir m_out;
    ScratchDir m_docs;
    TmpDirScope m_tmp;
};

// VIEW_RunProgram in-process, with what it said on its error stream.
TS_Run TS_RunInProcess(const std::vector<std::string>& args, const std::string& programDir,
                       const VIEW_ProgramSettings& settings = VIEW_ProgramSettings());

// A one-page file: the page of 100 x 100 points with resources and more
// entries, its content, then further objects from number 5.
std::string TS_OnePage(const std::string& resources, const std::string& content,
                       const std::vector<std::string>& more = {}, const std::string& pageEntries = "");
// Content of count one-pixel grey inline images, perRow a row, one point
// apart.
std::string TS_OnePixelImages(int count, int perRow);
// The same with a page of side x side points.
std::string TS_SquarePage(int side, const std::string& resources, const std::string& content,
                          const std::vector<std::string>& more = {}, const std::string& pageEntries = "");

// mutool's CMYK drawing of page 1 of pdf at dpi, through the PAM file pam,
// as four plates, 255 meaning no ink; throws when mutool fails.
std::vector<GrayPlate> TS_MutoolPlates(const std::string& pdf, const std::string& pam, int dpi);
// Expects ours the size of mutool's plate and within 8 levels of it on at
// least share of the pixels either inks.
void TS_ExpectNearMutool(const GrayPlate& ours, const GrayPlate& mutool, double share = 0.95);

// Expects each process plate in folder (plate-N-INK.png) as mutool's: where
// mutool leaves a plate blank, 255 on every pixel; elsewhere within 8
// levels on 99% of the pixels either inks, and no ink above 10 levels on a
// pixel mutool leaves blank.
void TS_ExpectProcessPlatesAsMutool(const ScratchDir& folder, const std::vector<GrayPlate>& mutool);

// The RGB pixel of an RGBA image.
uint32_t TS_Rgb(const PngPixels& image, int x, int y);

// A plate file the program wrote, which must be a grey PNG; empty when it
// is not.
GrayPlate TS_ReadPlatePng(const std::string& path);

// What a program started by popen wrote into pipe, and its exit code (-1
// when a signal ended it); closes pipe. A null pipe gives an empty run.
TS_Run TS_FinishPiped(std::FILE* pipe);

// words as exec and posix_spawn take them: pointers into words, then null.
std::vector<char*> TS_CArgs(std::vector<std::string>& words);

// This process's environment with the NAME=value entries of set in place
// of any of the same names.
std::vector<std::string> TS_EnvironmentWith(const std::vector<std::string>& set);
