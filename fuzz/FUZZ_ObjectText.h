// Objects written back as FUZZ_Objects text, for seeds: root as object 0,
// then every indirect object it reaches, in the order they are met, each
// reference written as the name /@n. Streams are written with their stored
// data and dictionary (without "Length"), so that their filters decode them
// again. References past FUZZ_Objects::MaxObjects, and containers nested
// deeper than GLOB_Object::MaxNesting, are written as null.
#pragma once

#include "GLOB/GLOB_Object.h"

#include <string>

std::string FUZZ_ObjectText(const GLOB_Object& root);
