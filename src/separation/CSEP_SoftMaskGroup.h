// The soft mask of a separated graphics state. Its group is not separated:
// every ink's page draws the same mask. A group that sets every colour it
// paints with keeps its mask as it is (CSEP_GroupInheritance). One that takes
// a colour from the state in force where the mask is used would take the grey
// each ink's page put there, so each such state gets a mask whose group is a
// form that first sets what the source had in force at gs, in the source's
// own spaces, then draws the group's content:
//
//   fill and stroke   g, rg or k for a device space; another space under a
//                     "CS" name with cs (CS) and sc or scn; a pattern with
//                     its object from the resources under a "P" name (over
//                     an underlying space, the space under a "CS" name and
//                     the components before the pattern's). A pattern those
//                     resources lack sets nothing.
//   text mode         Tr, which an ink's page sets to hide text it does
//                     not paint
//
// The form holds that prefix, then draws by Do, under an "Fm" name, a copy
// of the group without "Group" (its data as stored, filters and "Matrix"
// included), a form XObject whatever the group's "Type" and "Subtype"; the
// form has the group's "Group", so isolation and knockout apply once, and
// its box mapped by its matrix. The copy's resources are the group's, else
// those in force at gs. The copy, and the form's resources with the names
// the prefix adds, are made once per group and value of the resources lent
// to it (CSEP_ValueKey: dictionaries made apart that name the same things
// are one) for as long as the object lives (a job keeps one for its whole
// run), so the group's data are stored once however many forms lend it
// equal dictionaries of their own, each
// state costs its prefix alone, and a space or pattern is named there once,
// whatever the number of forms, cells, glyphs and states that set the mask.
// Whatever source object they refer to (an image, a form) is copied into the
// document once for all of them.
//
// A group that takes nothing keeps its mask where it has resources of its
// own; one that has none is drawn likewise without a prefix, so that it
// still finds the names of the page or form that sets the mask.
#pragma once

#include "CPDF/color/CPDF_ColorSpace.h"
#include "CPDF/content/CPDF_GraphicsState.h"
#include "CPDF/document/CPDF_ResourcesDict.h"
#include "GLOB/GLOB_CopyMemo.h"
#include "GLOB/GLOB_Doc.h"
#include "GLOB/GLOB_Object.h"
#include "GLOB/GLOB_ObjectWriter.h"

#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

class CSEP_SoftMaskGroup {
public:
    // Whether the "SMask" of extGState is a dictionary whose "G" is a stream
    // with a BBox of four numbers: a group such a form can draw.
    static bool DrawsGroup(const GLOB_Object& extGState);

    // The "SMask" of extGState (DrawsGroup asserted) for a page whose graphics
    // state at gs was state, with resources in force there: a new indirect
    // dictionary of doc holding the mask's entries, "G" the form above.
    GLOB_Object InSourceColors(const GLOB_Doc& doc, const GLOB_Object& extGState, const CPDF_GraphicsState& state,
                               const CPDF_ResourcesDict& resources);
    // The "SMask" of extGState (DrawsGroup asserted) for a group that takes
    // nothing, drawn with resources in force at gs: null when its group has
    // resources of its own (the mask serves as it is), else a new such
    // dictionary whose form is made once per group and resources.
    GLOB_Object WhereItStands(const GLOB_Doc& doc, const GLOB_Object& extGState,
                              const CPDF_ResourcesDict& resources);

    // Forgets every copy made. Calls for another document than the last
    // one's do so first.
    void Clear();

private:
    // The forms' shared resources for one group under one resources dictionary.
    struct Drawn {
        // The group and the resources lent to it, held so that the handles
        // its key is made of name no other object.
        std::pair<GLOB_Object, GLOB_Object> sources;
        CPDF_ResourcesDict resources;
        // The copy's name in resources.
        GLOB_Name group;
        // WhereItStands's form, once made.
        GLOB_Object kept;
        std::vector<std::pair<CPDF_ColorSpace, GLOB_Name>> spaces;
        std::vector<std::pair<GLOB_Object, GLOB_Name>> patterns;
    };
    Drawn& DrawnFor(const GLOB_Doc& doc, const GLOB_Object& group, const CPDF_ResourcesDict& inForce);
    // CSEP_ValueKey of lent, made once per dictionary.
    const std::string& LentValue(const GLOB_Object& lent);
    // One side's colour; "CS" and "P" names in drawn.
    void WriteColor(bool fill, const CPDF_GraphicsState& state, const CPDF_ResourcesDict& inForce, Drawn& drawn,
                    GLOB_ObjectWriter& writer) const;
    static GLOB_Name SpaceName(const CPDF_ColorSpace& space, Drawn& drawn);
    // A new form of the group's "Group" and mapped box over drawn's
    // resources whose content is what writer wrote into data, then Do of the
    // copy.
    GLOB_Object Form(const GLOB_Doc& doc, const GLOB_Object& group, const Drawn& drawn, const GLOB_Stream& data,
                     GLOB_ObjectWriter& writer) const;
    // A new indirect dictionary of the "SMask" of extGState's entries, with
    // form as its "G".
    GLOB_Object MaskDrawing(const GLOB_Doc& doc, const GLOB_Object& extGState, const GLOB_Object& form) const;

    std::unordered_map<std::string, Drawn> m_drawn;
    // By the lent dictionary's identity: the dictionary, held so that no
    // other object takes its handle, and its value.
    std::unordered_map<std::string, std::pair<GLOB_Object, std::string>> m_lentValues;
    // Every source object the forms refer to, copied once for all of them.
    GLOB_CopyMemo m_copies;
};
