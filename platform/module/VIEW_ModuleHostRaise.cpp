// Linked into a plug-in module built for the viewer stand-in: the stand-in
// raises host errors by unwinding, and the module's catch-all barriers must
// let such a raise pass on to the host with its own code. The module's
// catch clause matches the host's raise by type name, which holds under
// hidden visibility (only types of internal linkage compare by address).
#include "hostpdf/PDFL_ExceptionHandler.h"
#include "viewer/VIEW_HostError.h"

namespace {

const bool g_installed = (PDFL_SetHostRaiseTest(&VIEW_IsHostRaise), true);

}  // namespace
