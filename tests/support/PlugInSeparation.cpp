#include "support/PlugInSeparation.h"

#include "CPDF/document/CPDF_ResourcesDict.h"
#include "GLOB/GLOB_FileName.h"
#include "hostpdf/CPDF_PDFL_Impl.h"
#include "hostpdf/PDFL_ASCalls.h"
#include "hostpdf/PDFL_PDCalls.h"
#include "separation/CSEP_PDFSeparator.h"

#include <cstdio>

PDFL_PDDoc OpenHostDoc(const std::string& path) {
    const PDFL_ASPathName pathName = PDFL_ASPathFromPlatformPath(path.c_str());
    try {
        const PDFL_PDDoc doc = PDFL_PDDocOpen(pathName, nullptr, nullptr, 0);
        PDFL_ASFileSysReleasePath(PDFL_ASGetDefaultFileSys(), pathName);
        return doc;
    } catch (...) {
        PDFL_ASFileSysReleasePath(PDFL_ASGetDefaultFileSys(), pathName);
        throw;
    }
}

CPDF_Doc SeparateAsThePlugIn(const CPDF_Page& page, const std::string& outPath, CSEP_SepJobContext& job,
                             std::vector<GLOB_Object>& pages) {
    std::vector<CPDF_Colorant> spots;
    page.ResourcesDict().CollectSpotColorants(&spots, false, false);
    CPDF_Doc out = CPDF_PDFL_NewDoc();
    out.CreateWithFileName(GLOB_FileName(outPath.c_str()));
    job.SetUseExternalStreams(1);
    job.SetCompressionMode(1);
    try {
        job.SetDocAndColorants(out, spots);
        CSEP_PDFSeparator separator;
        separator.SetJobContext(job);
        separator.SeparatePage(page, 0, pages);
    } catch (...) {
        out.Close();
        std::remove(outPath.c_str());
        throw;
    }
    return out;
}
