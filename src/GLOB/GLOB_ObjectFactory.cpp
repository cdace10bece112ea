#include "GLOB/GLOB_ObjectFactory.h"

#include "GLIB/GLIB_Assert.h"
#include "GLIB/GLIB_New.h"
#include "GLOB/GLOB_Array.h"
#include "GLOB/GLOB_Dict.h"
#include "GLOB/GLOB_Doc.h"
#include "GLOB/GLOB_Memory_Impl.h"

#include <new>

GLOB_Doc* GLOB_ObjectFactory::sm_pMemoryDoc = nullptr;

namespace {

// Units holding a GLOB_ObjectFactoryInit; constant-initialised, so it is 0
// before any of them is made.
int32_t s_initCount = 0;

}  // namespace

GLOB_ObjectFactoryInit::GLOB_ObjectFactoryInit() {
    if (s_initCount++ > 0)
        return;
    // Static initialisation cannot report a failure: the makers' assertion
    // does, at first use.
    try {
        GLOB_ObjectFactory::sm_pMemoryDoc = new (std::nothrow) GLOB_Doc(GLOB_Memory_Impl::Make());
    } catch (...) {
        GLOB_ObjectFactory::sm_pMemoryDoc = nullptr;
    }
}

GLOB_ObjectFactoryInit::~GLOB_ObjectFactoryInit() {
    if (--s_initCount == 0 && GLOB_ObjectFactory::sm_pMemoryDoc) {
        delete GLOB_ObjectFactory::sm_pMemoryDoc;
        GLOB_ObjectFactory::sm_pMemoryDoc = nullptr;
    }
}

const GLOB_Doc& GLOB_ObjectFactory::Checked() {
    GLIB_ASSERT(sm_pMemoryDoc != NULL);
    return *sm_pMemoryDoc;
}

GLOB_Doc GLOB_ObjectFactory::MemoryDoc() { return Checked(); }

GLOB_Object GLOB_ObjectFactory::NewNull() { return Checked().NewNull(); }

GLOB_Object GLOB_ObjectFactory::NewInteger(int32_t value, bool indirect) {
    return Checked().NewInteger(value, indirect);
}

GLOB_Object GLOB_ObjectFactory::NewBoolean(bool value, bool indirect) {
    return Checked().NewBoolean(value, indirect);
}

GLOB_Object GLOB_ObjectFactory::NewReal(double value, bool indirect) { return Checked().NewReal(value, indirect); }

GLOB_Object GLOB_ObjectFactory::NewName(const GLOB_Name& value, bool indirect) {
    return Checked().NewName(value, indirect);
}

GLOB_Object GLOB_ObjectFactory::NewEmptyArray(uint32_t count, bool indirect) {
    return Checked().NewArray(count, indirect);
}

GLOB_Object GLOB_ObjectFactory::NewEmptyDict(uint32_t room, bool indirect) {
    return Checked().NewDict(room, indirect);
}

GLOB_Object GLOB_ObjectFactory::NewArray(const GLOB_Array& value, bool indirect) {
    return Checked().NewArray(value, indirect);
}

GLOB_Object GLOB_ObjectFactory::NewDict(const GLOB_Dict& value, bool indirect) {
    return Checked().NewDict(value, indirect);
}
