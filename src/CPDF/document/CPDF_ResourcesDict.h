// A view of one PDF resource dictionary (the "ExtGState", "ColorSpace",
// "Pattern", "Shading", "XObject", "Font", "Properties" and "ProcSet"
// categories of a page, form XObject, tiling pattern or Type3 font), and of
// the object that carries it (its owner).
//
// A value: copies share the underlying objects, so an edit through any copy
// changes the one dictionary of the document. The owner is informational
// (only OwnerKind reads it); SetDict and copying reset it to Null.
//
// Every operation that reads or edits a category requires the resource
// dictionary to be a Dict; otherwise it throws CPDF_Exception 1128004
// "Resources dictionary must be a dictionary, found <type name>".
//
// The colour collections read only the "Shading", "ColorSpace", "XObject"
// and "Pattern" categories, never a content stream: a colour space counts as
// used when the resources hold it. Entries of those categories of the wrong
// kind are skipped after a warning ("Found invalid shading colorspace: ",
// "Found invalid xObject: ", "Found invalid pattern: " and the value); a
// value that is not a colour space throws CPDF_Exception 1128003 from the
// colour-space constructor, and nothing is appended then.
#pragma once

#include "CPDF/color/CPDF_ColorSpace.h"
#include "CPDF/color/CPDF_Colorant.h"
#include "GLOB/GLOB_Name.h"
#include "GLOB/GLOB_Object.h"

#include <cstdint>
#include <list>
#include <vector>

class CPDF_ResourcesDict {
public:
    // Kinds of owner (OwnerKind), OR-ed into the nested walk's kindMask.
    enum : uint32_t {
        OwnerNone = 0,
        OwnerForm = 1,            // a Stream of Type XObject, Subtype Form
        OwnerPage = 2,            // a Dict of Type Page or Pages
        OwnerTilingPattern = 4,   // a Stream of Type Pattern, PatternType 1
        OwnerType3Font = 8,       // a Dict of Type Font, Subtype Type3
        OwnerAll = 15,
    };
    // Flags of SetProcSets.
    enum : uint32_t {
        ProcSetPDF = 1,
        ProcSetText = 2,
        ProcSetImageB = 4,
        ProcSetImageC = 8,
        ProcSetImageI = 16,
    };

    // Dictionary and owner Null.
    CPDF_ResourcesDict();
    // SetDict(dict).
    explicit CPDF_ResourcesDict(const GLOB_Object& dict);
    // Both take other's dictionary through SetDict: a copy's owner is Null.
    CPDF_ResourcesDict(const CPDF_ResourcesDict& other);
    CPDF_ResourcesDict& operator=(const CPDF_ResourcesDict& other);
    virtual ~CPDF_ResourcesDict();

    // Keeps dict, whatever its kind, as the resource dictionary; owner Null.
    void SetDict(const GLOB_Object& dict);
    const GLOB_Object& Dict() const { return m_dict; }
    const GLOB_Object& Owner() const { return m_owner; }
    // The owner's "Resources" when it is a Dict, with owner as the owner;
    // otherwise (owner neither Dict nor Stream, or no Dict "Resources") both
    // Null.
    void SetOwner(const GLOB_Object& owner);
    // For a Page or Pages dictionary, the first Dict "Resources" up its
    // "Parent" chain with that node as owner, or both Null when the chain
    // ends (or loops) without one; for any other Dict or Stream its
    // "Resources" whatever the kind (SetDict) with object as owner; for
    // anything else both Null.
    void SetFromObject(const GLOB_Object& object);
    // One of the Owner… kinds, by the owner's Type, Subtype and PatternType.
    uint32_t OwnerKind() const;

    // The value under a category; Null when absent.
    GLOB_Object Category(const char* category) const;
    GLOB_Object FontDict() const { return Category("Font"); }
    GLOB_Object PatternDict() const { return Category("Pattern"); }
    GLOB_Object XObjectDict() const { return Category("XObject"); }
    GLOB_Object ColorSpaceDict() const { return Category("ColorSpace"); }
    GLOB_Object ShadingDict() const { return Category("Shading"); }
    // The value under name in the category; Null when the name is absent or
    // the category is not a Dict.
    GLOB_Object Resource(const char* category, const GLOB_Name& name) const;
    GLOB_Object ExtGState(const GLOB_Name& name) const { return Resource("ExtGState", name); }
    GLOB_Object Font(const GLOB_Name& name) const { return Resource("Font", name); }
    GLOB_Object Pattern(const GLOB_Name& name) const { return Resource("Pattern", name); }
    GLOB_Object Properties(const GLOB_Name& name) const { return Resource("Properties", name); }
    GLOB_Object Shading(const GLOB_Name& name) const { return Resource("Shading", name); }
    GLOB_Object XObject(const GLOB_Name& name) const { return Resource("XObject", name); }
    // The "ColorSpace" resource as a colour space; the Null space when
    // absent.
    CPDF_ColorSpace ColorSpace(const GLOB_Name& name) const;

    // Stores value under key in the category, first replacing a category
    // that is not a Dict (missing included) by a new empty direct one. A
    // value of another document is copied in.
    void PutResource(const char* category, const GLOB_Name& key, const GLOB_Object& value);
    // Stores value under the first key prefix1, prefix2, … that the category
    // lacks, as PutResource does, and returns that key.
    GLOB_Name AddResource(const char* category, const char* prefix, const GLOB_Object& value);
    // Appends the name to "ProcSet" unless a Name of it is there already; a
    // "ProcSet" that is not an Array is first replaced by an empty one.
    void AddProcSet(const char* procSet);
    // AddProcSet of each flag set, in the order PDF, Text, ImageB, ImageC,
    // ImageI.
    void SetProcSets(uint32_t flags);

    // The nested walk: depth first, in pre-order, over the forms of
    // "XObject", then the tiling patterns of "Pattern", then the Type3 fonts
    // of "Font", each category in its dictionary's order. Each nested
    // dictionary (made by SetOwner) is appended where it is first met under
    // an owner whose kind is in kindMask, and walked into where it is first
    // met whatever the mask: a dictionary met again (a form used twice,
    // forms sharing one dictionary or one list of resources, a form whose
    // resources reach itself or this dictionary) costs nothing more, so
    // cycles end and the walk costs what the distinct dictionaries hold,
    // not how often they are named. A dictionary is the same object met
    // again (GLOB_Object's ==); one written in place in its owner is known
    // by that owner when the owner is indirect. An owner without a Dict
    // "Resources" (legal in PDF 1.3 files) is skipped. Nesting deeper than
    // GLOB_Object::MaxNesting throws 1128004. On a failure the list is left
    // as it was.
    void CollectNestedDicts(std::list<CPDF_ResourcesDict>& list, uint32_t kindMask) const;
    // A copy of this one, then CollectNestedDicts.
    void AppendWithNested(std::list<CPDF_ResourcesDict>& list, uint32_t kindMask) const;
    // Clears the vector, then fills it as AppendWithNested does.
    void WithNested(std::vector<CPDF_ResourcesDict>& dicts, uint32_t kindMask) const;

    // Appends the colour spaces of this dictionary alone: those of the
    // shadings, then the "ColorSpace" entries, then those of the images (not
    // of stencil masks), then those of the shadings of shading patterns. An
    // indirect category, resource or colour space named again adds nothing.
    void ColorSpacesUsed(std::vector<CPDF_ColorSpace>& spaces) const;
    // Appends each name that the colour spaces of this dictionary alone name
    // themselves (NamedColorants), in order, unless colorants holds it
    // already.
    void ColorantsUsed(std::vector<CPDF_Colorant>& colorants) const;
    // The colour spaces of this dictionary, then (unless thisDictOnly) of
    // each dictionary of the nested walk over every owner kind, as
    // ColorSpacesUsed gives them over all those dictionaries at once: each
    // indirect category, resource and colour space read once, however many
    // dictionaries name it. The vector is emptied first when clearFirst.
    void CollectColorSpaces(std::vector<CPDF_ColorSpace>* spaces, bool thisDictOnly, bool clearFirst) const;
    // The page's spot inks: the names the spaces of CollectColorSpaces name
    // themselves, each once where first met, less the process and meta
    // colorants, appended to colorants (emptied first when clearFirst; the
    // entries it keeps are not compared with). colorants must not be null.
    void CollectSpotColorants(std::vector<CPDF_Colorant>* colorants, bool thisDictOnly, bool clearFirst) const;

private:
    class Met;
    class NestedWalk;
    class SpaceWalk;
    // This one alone, or this one followed by the nested walk over every
    // owner kind.
    std::list<CPDF_ResourcesDict> ThisAndNested(bool thisDictOnly) const;
    void WalkNested(std::list<CPDF_ResourcesDict>& list, uint32_t kindMask, NestedWalk& walk) const;
    void AppendSpaces(std::vector<CPDF_ColorSpace>& spaces, SpaceWalk& walk) const;
    // The resource dictionary, checked to be a Dict.
    const GLOB_Object& Checked() const;
    // The category as a Dict, made when it is not one.
    GLOB_Object CategoryForPut(const char* category);

    GLOB_Object m_dict;
    GLOB_Object m_owner;
};
