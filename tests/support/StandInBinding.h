// The viewer stand-in's function tables bound as the plug-in's set-up binds
// its host, for the tests and the fuzz targets that run the plug-in's code
// over the stand-in.
#pragma once

// Fills the binding variables (extension id, tables and their versions) from
// the stand-in.
void BindStandInTables();
