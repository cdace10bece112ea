// A page separated on the host's road as the plug-in separates it, for the
// tests and the fuzz targets that follow that road.
#pragma once

#include "CPDF/document/CPDF_Doc.h"
#include "CPDF/document/CPDF_Page.h"
#include "GLOB/GLOB_Object.h"
#include "viewer/host_api.h"
#include "separation/CSEP_SepJobContext.h"

#include <string>
#include <vector>

// The file at path opened as a host document; the path name is released
// whether it opens or not.
PDFL_PDDoc OpenHostDoc(const std::string& path);

// page separated into a new host document created at outPath, for its
// resources' spot inks, with external-file streams and compression mode 1;
// pages gets the separated pages. The output comes back open and unsaved;
// on a failure it is closed and its file removed. job backs the output's
// external streams: it must outlive any reopening of the file.
CPDF_Doc SeparateAsThePlugIn(const CPDF_Page& page, const std::string& outPath, CSEP_SepJobContext& job,
                             std::vector<GLOB_Object>& pages);
