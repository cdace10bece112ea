// The walker over a resource cache: every resource the separated content
// uses, category by category (colour spaces, ExtGState, fonts, forms,
// images, inline images, patterns, shadings), each category in name order.
// A resource recorded without variants is handed over once under its own
// name with a default graphics state; one with variants once per variant,
// under the variant's new name with its graphics state, so that a resource
// used under two colour states is separated twice. A subclass writes what
// each one becomes.
#pragma once

#include "CPDF/content/CPDF_GraphicsState.h"
#include "GLOB/GLOB_Name.h"
#include "GLOB/GLOB_Object.h"
#include "separation/CSEP_InkStreamState.h"
#include "separation/CSEP_ResourceCache.h"

#include <vector>

class CSEP_ResourceColorMapper {
public:
    virtual ~CSEP_ResourceColorMapper();

    // The walk; what the operations throw ends it.
    void MapResources(const CSEP_ResourceCache& cache);

protected:
    CSEP_ResourceColorMapper() = default;

    // One per category, in category order.
    virtual void MapColorSpace(const GLOB_Name& name, const GLOB_Object& resource, const CPDF_GraphicsState& state) = 0;
    virtual void MapExtGState(const GLOB_Name& name, const GLOB_Object& resource, const CPDF_GraphicsState& state) = 0;
    virtual void MapFont(const GLOB_Name& name, const GLOB_Object& resource, const CPDF_GraphicsState& state) = 0;
    virtual void MapForm(const GLOB_Name& name, const GLOB_Object& resource, const CPDF_GraphicsState& state) = 0;
    virtual void MapImage(const GLOB_Name& name, const GLOB_Object& resource, const CPDF_GraphicsState& state) = 0;
    virtual void MapInlineImage(const GLOB_Name& name, const GLOB_Object& resource,
                                const CPDF_GraphicsState& state) = 0;
    virtual void MapPattern(const GLOB_Name& name, const GLOB_Object& resource, const CPDF_GraphicsState& state) = 0;
    virtual void MapShading(const GLOB_Name& name, const GLOB_Object& resource, const CPDF_GraphicsState& state) = 0;

    // The name the source content gives the resource being mapped, for
    // messages: a variant's new name means nothing to a reader of the file.
    const GLOB_Name& SourceName() const { return m_sourceName; }
    // The parts of the resource its variant uses (CSEP_Resource::Parts);
    // empty: all of it.
    const std::vector<GLOB_Name>& SourceParts() const;
    // What the inks' streams had in force where the variant is drawn
    // (CSEP_Resource::InkState).
    const CSEP_InkStreamState& SourceInkState() const;

private:
    GLOB_Name m_sourceName;
    const std::vector<GLOB_Name>* m_pParts = nullptr;
    const CSEP_InkStreamState* m_pInkState = nullptr;
};
