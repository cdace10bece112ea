// The host back-ends against the viewer stand-in: the host bound, the
// library initialised, the buffered file system fresh, a scratch folder;
// and small helpers for their tests.
#pragma once

#include "FileSysFixture.h"
#include "HostLibraryFixture.h"
#include "GLIB/GLIB_Exception.h"
#include "GLOB/GLOB_Doc.h"
#include "GLOB/GLOB_Stream.h"
#include "hostpdf/COSF_PDFL_Impl.h"
#include "support/StreamBytes.h"
#include "support/TestSupport.h"

#include <functional>
#include <string>
#include <vector>

class HostBackEndTest : public WithHostLibrary<FileSysTest> {
protected:
    // A new open PDF document of the host back-end, without a file.
    static GLOB_Doc NewPdfDoc();
};

// A PDF file with a correct cross-reference table: a catalog holding
// catalogEntries, an empty page tree, under header.
std::string MinimalPdf(const std::string& header, const std::string& catalogEntries);
// The code of the GLIB_Exception that work throws; 0 when none.
uint32_t CodeOf(const std::function<void()>& work);
size_t CountCalls(int table, int slot);
std::vector<std::string> Texts(const std::vector<GLOB_Name>& names);
