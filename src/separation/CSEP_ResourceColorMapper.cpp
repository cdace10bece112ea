#include "separation/CSEP_ResourceColorMapper.h"

CSEP_ResourceColorMapper::~CSEP_ResourceColorMapper() = default;

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
            if (record.NumStates() == 0)
                (this->*maps[category])(entry.first, record.Object(), CPDF_GraphicsState());
            for (uint32_t k = 0; k < record.NumStates(); ++k)
                (this->*maps[category])(record.Name(k), record.Object(), record.State(k));
        }
    }
}
