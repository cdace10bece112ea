// The process-wide memory document, in which objects that belong to no file
// are made: the Null of a fresh handle, the Null of a missing key, operands,
// parameters made up in code. Objects made here can be put into any document;
// the handle's put operations copy them in.
//
// The document exists from the static initialisation of the first unit that
// includes this header to the exit of the last: every such unit holds one
// GLOB_ObjectFactoryInit (below), and the first one made creates the
// document, the last one destroyed deletes it. Objects made earlier stay
// valid through their own back-end references.
#pragma once

#include <cstdint>

class GLOB_Array;
class GLOB_Dict;
class GLOB_Doc;
class GLOB_Name;
class GLOB_Object;

class GLOB_ObjectFactory {
public:
    // Every maker asserts sm_pMemoryDoc != NULL, then asks the memory
    // document's maker of the same meaning.
    static GLOB_Doc MemoryDoc();
    static GLOB_Object NewNull();
    static GLOB_Object NewInteger(int32_t value, bool indirect = false);
    static GLOB_Object NewBoolean(bool value, bool indirect = false);
    static GLOB_Object NewReal(double value, bool indirect = false);
    static GLOB_Object NewName(const GLOB_Name& value, bool indirect = false);
    // count Null elements.
    static GLOB_Object NewEmptyArray(uint32_t count, bool indirect = false);
    static GLOB_Object NewEmptyDict(uint32_t room = 0, bool indirect = false);
    // Objects holding the value's elements (entries); those of other
    // back-ends are copied in.
    static GLOB_Object NewArray(const GLOB_Array& value, bool indirect = false);
    static GLOB_Object NewDict(const GLOB_Dict& value, bool indirect = false);

private:
    friend class GLOB_ObjectFactoryInit;
    static const GLOB_Doc& Checked();
    static GLOB_Doc* sm_pMemoryDoc;
};

// Counts the units that use the factory; see the header comment.
class GLOB_ObjectFactoryInit {
public:
    GLOB_ObjectFactoryInit();
    ~GLOB_ObjectFactoryInit();
    GLOB_ObjectFactoryInit(const GLOB_ObjectFactoryInit&) = delete;
    GLOB_ObjectFactoryInit& operator=(const GLOB_ObjectFactoryInit&) = delete;
};

// One per unit, made before any static object of the unit that follows.
static GLOB_ObjectFactoryInit sGLOB_ObjectFactoryInit;
