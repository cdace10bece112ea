// GLOB_Doc::ParseObject: one object from PDF text.
#include "GLOB/GLOB_Doc.h"

#include "GLIB/GLIB_Assert.h"
#include "GLIB/GLIB_Exception.h"
#include "GLIB/GLIB_New.h"
#include "GLOB/GLOB_Excerpt.h"
#include "GLOB/GLOB_OperatorParser.h"
#include "GLOB/GLOB_Stream.h"
#include "GLOB/GLOB_StringStream.h"

GLOB_Object GLOB_Doc::ParseObject(const char* text) const {
    GLIB_ASSERT(text != NULL);
    return ParseObject(std::string(text ? text : ""));
}

GLOB_Object GLOB_Doc::ParseObject(const std::string& text) const {
    Checked();
    GLOB_OperatorParser parser(GLOB_Stream(GLIB_NEW GLOB_StringStream(text)), *this);
    const GLOB_Excerpt quoted(text.data(), text.size(), true);
    if (parser.Parse())
        GLIB_THROW(GLIB_Exception, GLOB_ParseObjectCode,
                   "Unexpected operator detected: " << GLOB_Excerpt(parser.OperatorText(), false) << "while parsing "
                                                    << quoted);
    if (parser.IsStopped())
        GLIB_THROW(GLIB_Exception, GLOB_ParseObjectCode,
                   "Error encountered (" << parser.ErrorMessage() << ") while parsing " << quoted);
    const size_t count = parser.Operands().Size();
    if (count != 1)
        GLIB_THROW(GLIB_Exception, GLOB_ParseObjectCode,
                   "Encountered " << count << "objects (1 expected) while parsing " << quoted);
    return parser.Operands().Top();
}
