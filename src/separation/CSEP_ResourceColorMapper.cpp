#include "separation/CSEP_ResourceColorMapper.h"

#include "GLIB/GLIB_Exception.h"
#include "separation/CSEP_LeadMessage.h"

#include <string>

namespace {

// What a failure's message is led by, per category: the resource as the
// source content names it. A form's or a pattern's failures name what
// inside it failed (or the form or pattern itself); an inline image has no
// name of its own.
std::string Construct(uint32_t category, const GLOB_Name& name) {
    static const char* const words[CSEP_ResourceCache::NumCategories] = {
        "colour space /", "ExtGState /", "font /", nullptr, "image /", "inline image", nullptr, "shading /",
    };
    const char* const word = words[category];
    if (!word)
        return std::string();
    if (category == CSEP_ResourceCache::InlineImageCategory || name.IsEmpty())
        return std::string(word, std::string(word).find_last_not_of(" /") + 1);
    return word + std::string(name.CStr());
}

}  // namespace

CSEP_ResourceColorMapper::~CSEP_ResourceColorMapper() = default;

const std::vector<GLOB_Name>& CSEP_ResourceColorMapper::SourceParts() const {
    static const std::vector<GLOB_Name> all;
    return m_pParts != nullptr ? *m_pParts : all;
}

const CSEP_InkStreamState& CSEP_ResourceColorMapper::SourceInkState() const {
    static const CSEP_InkStreamState none;
    return m_pInkState != nullptr ? *m_pInkState : none;
}

void CSEP_ResourceColorMapper::MapResources(const CSEP_ResourceCache& cache) {
    using Map = void (CSEP_ResourceColorMapper::*)(const GLOB_Name&, const GLOB_Object&, const CPDF_GraphicsState&);
    static const Map maps[CSEP_ResourceCache::NumCategories] = {
        &CSEP_ResourceColorMapper::MapColorSpace, &CSEP_ResourceColorMapper::MapExtGState,
        &CSEP_ResourceColorMapper::MapFont,       &CSEP_ResourceColorMapper::MapForm,
        &CSEP_ResourceColorMapper::MapImage,      &CSEP_ResourceColorMapper::MapInlineImage,
        &CSEP_ResourceColorMapper::MapPattern,    &CSEP_ResourceColorMapper::MapShading,
    };
    for (uint32_t category = 0; category < CSEP_ResourceCache::NumCategories; ++category) {
        for (CSEP_ResourceCache::Iterator it = cache.Begin(category); !it.AtEnd();) {
            const CSEP_ResourceCache::Entry entry = it.Next();
            const CSEP_Resource& record = entry.second;
            m_sourceName = entry.first;
            try {
                if (record.NumStates() == 0)
                    (this->*maps[category])(entry.first, record.Object(), CPDF_GraphicsState());
                for (uint32_t k = 0; k < record.NumStates(); ++k) {
                    m_pParts = &record.Parts(k);
                    m_pInkState = &record.InkState(k);
                    (this->*maps[category])(record.Name(k), record.Object(), record.State(k));
                    m_pParts = nullptr;
                    m_pInkState = nullptr;
                }
            } catch (GLIB_Exception& e) {
                m_pParts = nullptr;
                m_pInkState = nullptr;
                CSEP_LeadMessage(e, Construct(category, entry.first));
                throw;
            }
        }
    }
}
