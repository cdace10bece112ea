// An object's value as bytes, by which a cache knows equal objects made
// apart: a direct object by what it holds (a dictionary's entries in key
// order, so their order does not count), an indirect one by its identity
// (CSEP_GroupInheritance::ObjectKey), whatever it holds. Two objects get one
// key exactly when they are equal so; an Integer and a Real of one value,
// or a Name and a String of one text, differ.
//
// Direct objects nest no deeper than their document let them be made, and
// an indirect one ends the walk, so no cycle is followed.
#pragma once

#include "GLOB/GLOB_Object.h"

#include <string>

class CSEP_ValueKey {
public:
    static std::string Of(const GLOB_Object& object);

private:
    static void Append(const GLOB_Object& object, std::string& key);
};
