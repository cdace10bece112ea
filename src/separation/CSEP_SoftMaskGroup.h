// The soft mask of a separated graphics state. Its group is not separated:
// every ink's page draws the same mask. But the group starts in the colours
// in force where the mask is used, and each ink's page has put its own grey
// there, so strokes and fills of a group that sets no colour would take the
// ink's tint. Each ink's graphics state therefore gets a mask whose group is
// a form that first sets what the source had in force at gs, in the
// source's own spaces, then draws the source's group:
//
//   fill and stroke   g, rg or k for a device space; another space as a new
//                     "CS" resource with cs (CS) and sc or scn; a pattern
//                     with its object from the resources under its name
//                     (over an underlying space, the space as a "CS"
//                     resource and the components before the name). A
//                     pattern those resources lack sets nothing.
//   text mode         Tr, which an ink's page sets to hide text it does
//                     not paint
//
// The form's "Group" is the group's own, its "BBox" the group's box mapped
// by the group's matrix; the group itself is drawn under a new "Fm"
// name. A group without resources of its own takes the form's, which are
// then a copy of those in force at gs.
#pragma once

#include "CPDF/content/CPDF_GraphicsState.h"
#include "CPDF/document/CPDF_ResourcesDict.h"
#include "GLOB/GLOB_Doc.h"
#include "GLOB/GLOB_Object.h"

namespace CSEP_SoftMaskGroup {

// Whether the "SMask" of extGState is a dictionary whose "G" is a stream
// with a BBox of four numbers: a group such a form can draw.
bool DrawsGroup(const GLOB_Object& extGState);

// The "SMask" of extGState (DrawsGroup asserted) for a page whose graphics
// state at gs was state, with resources in force there: a new indirect
// dictionary of doc holding the mask's entries, "G" the form above.
GLOB_Object InSourceColors(const GLOB_Doc& doc, const GLOB_Object& extGState, const CPDF_GraphicsState& state,
                           const CPDF_ResourcesDict& resources);

}  // namespace CSEP_SoftMaskGroup
