// A failure's message led by the construct it failed on ("image /Im0: "),
// so that the reason a user reads names what on the page cannot be
// separated. The lead follows a source unit's name that starts the message;
// a cancel and a message that already carries the lead are left as they are.
#pragma once

#include "GLIB/GLIB_Exception.h"

#include <string>

void CSEP_LeadMessage(GLIB_Exception& e, const std::string& construct);
