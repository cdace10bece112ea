#include "separation/CSEP_SepJobContext.h"

#include "GLIB/GLIB_Assert.h"
#include "GLIB/GLIB_Exception.h"
#include "GLIB/GLIB_New.h"

#include <algorithm>
#include <exception>
#include <unordered_map>

// Declared so that destruction releases the meter first, then the files,
// the document and the inks.
class iCSEP_SepJobContextCore {
public:
    std::vector<CPDF_Colorant> m_inks;
    CPDF_Doc m_doc;
    std::vector<CSEP_TempFile> m_tempFiles;
    uint32_t m_useExternalStreams = 0;
    CSEP_DocProgressMeter m_meter;
    uint32_t m_compressionMode = 0;
    std::vector<GLOB_Object> m_nested;  // under separation, outermost first
    uint32_t m_deepest = 0;  // most levels open since the innermost guard opened
    CSEP_SlicedFunctions m_slicedFunctions;
    CSEP_NestedSeparations m_nestedSeparations;
    CSEP_SoftMaskGroup m_softMaskGroups;
    CSEP_ObjectSet m_masksSet;
    uint32_t m_isolatedOrKnockoutGroups = 0;  // GroupScopes open that opened one
    // Objects of m_doc, so released before it.
    std::unordered_map<std::string, GLOB_Object> m_sharedStreams;
    size_t m_sharedBytes = 0;
};

CSEP_SepJobContext::CSEP_SepJobContext() : m_core(GLIB_NEW iCSEP_SepJobContextCore) {}

CSEP_SepJobContext::CSEP_SepJobContext(const CSEP_SepJobContext& other) = default;

CSEP_SepJobContext& CSEP_SepJobContext::operator=(const CSEP_SepJobContext& other) = default;

CSEP_SepJobContext::~CSEP_SepJobContext() = default;

CSEP_SepJobContext::GroupScope::GroupScope(const CSEP_SepJobContext& job, bool isolatedOrKnockout)
    : m_core(job.m_core), m_opened(isolatedOrKnockout) {
    if (m_opened)
        ++m_core->m_isolatedOrKnockoutGroups;
}

CSEP_SepJobContext::GroupScope::~GroupScope() {
    if (m_opened)
        --m_core->m_isolatedOrKnockoutGroups;
}

bool CSEP_SepJobContext::InsideIsolatedOrKnockoutGroup() const { return m_core->m_isolatedOrKnockoutGroups > 0; }

void CSEP_SepJobContext::SetDocAndColorants(const CPDF_Doc& document, const std::vector<CPDF_Colorant>& inks) {
    m_core->m_sharedStreams.clear();
    m_core->m_sharedBytes = 0;
    m_core->m_doc = document;
    std::vector<CPDF_Colorant>& list = m_core->m_inks;
    list.clear();
    for (const char* process : {"Cyan", "Magenta", "Yellow", "Black"})
        list.emplace_back(process);
    for (const CPDF_Colorant& ink : inks)
        if (!ink.IsMetaColorant() && std::find(list.begin(), list.end(), ink) == list.end())
            list.push_back(ink);
    for (CSEP_TempFile& file : m_core->m_tempFiles)
        file.Release();
    m_core->m_tempFiles.clear();
}

uint32_t CSEP_SepJobContext::NumColorants() const { return static_cast<uint32_t>(m_core->m_inks.size()); }

CPDF_Colorant CSEP_SepJobContext::Colorant(uint32_t index) const {
    GLIB_ASSERT(index < m_core->m_inks.size());
    return m_core->m_inks[index];
}

CPDF_Doc CSEP_SepJobContext::Doc() const { return m_core->m_doc; }

void CSEP_SepJobContext::SetUseExternalStreams(uint32_t flag) { m_core->m_useExternalStreams = flag; }

uint32_t CSEP_SepJobContext::UseExternalStreams() const { return m_core->m_useExternalStreams; }

void CSEP_SepJobContext::SetCompressionMode(uint32_t mode) { m_core->m_compressionMode = mode; }

uint32_t CSEP_SepJobContext::CompressionMode() const { return m_core->m_compressionMode; }

CSEP_SlicedFunctions& CSEP_SepJobContext::SlicedFunctions() const { return m_core->m_slicedFunctions; }

CSEP_NestedSeparations& CSEP_SepJobContext::NestedSeparations() const { return m_core->m_nestedSeparations; }

CSEP_SoftMaskGroup& CSEP_SepJobContext::SoftMaskGroups() const { return m_core->m_softMaskGroups; }

void CSEP_SepJobContext::NoteMaskSet(const GLOB_Object& extGState) { m_core->m_masksSet.Insert(extGState); }

const CSEP_ObjectSet& CSEP_SepJobContext::MasksSet() const { return m_core->m_masksSet; }

void CSEP_SepJobContext::ForgetMasksSet() { m_core->m_masksSet.Clear(); }

void CSEP_SepJobContext::SetCancelMgr(const GLIB_CancelMgr& cancelMgr) { m_core->m_meter.SetCancelMgr(cancelMgr); }

void CSEP_SepJobContext::SetProgressObserver(GLIB_CallbackBase* callback, double step) {
    m_core->m_meter.SetObserver(callback, step);
}

CSEP_DocProgressMeter& CSEP_SepJobContext::ProgressMeter() const { return m_core->m_meter; }

GLOB_Object CSEP_SepJobContext::SharedStream(const std::string& bytes, const std::function<GLOB_Object()>& make) {
    iCSEP_SepJobContextCore& core = *m_core;
    const auto found = core.m_sharedStreams.find(bytes);
    if (found != core.m_sharedStreams.end())
        return found->second;
    const GLOB_Object stream = make();
    if (core.m_sharedBytes + bytes.size() <= SharedStreamBytes) {
        core.m_sharedStreams.emplace(bytes, stream);
        core.m_sharedBytes += bytes.size();
    }
    return stream;
}

void CSEP_SepJobContext::AddTempFile(const CSEP_TempFile& file) { m_core->m_tempFiles.push_back(file); }

void CSEP_SepJobContext::DeleteTempFiles() {
    std::vector<CSEP_TempFile> files;
    files.swap(m_core->m_tempFiles);
    // One file that fails to go does not keep the others on disk.
    std::exception_ptr first;
    for (CSEP_TempFile& file : files) {
        try {
            file.Delete();
        } catch (const GLIB_Exception&) {
            if (!first)
                first = std::current_exception();
        }
    }
    if (first)
        std::rethrow_exception(first);
}

CSEP_SepJobContext::NestingGuard::NestingGuard(const CSEP_SepJobContext& job, const GLOB_Object& object,
                                               const char* kind, const GLOB_Name& name)
    : m_core(job.m_core) {
    std::vector<GLOB_Object>& nested = m_core->m_nested;
    const char* const text = name.IsEmpty() ? "" : name.CStr();
    if (std::find(nested.begin(), nested.end(), object) != nested.end())
        GLIB_THROW(GLIB_Exception, NestingCode, kind << " " << text << " is separated inside itself");
    if (nested.size() >= MaxNesting)
        GLIB_THROW(GLIB_Exception, NestingCode,
                   kind << " " << text << " is nested deeper than " << MaxNesting << " levels");
    nested.push_back(object);
    m_level = static_cast<uint32_t>(nested.size());
    m_outerDeepest = m_core->m_deepest;
    m_core->m_deepest = m_level;
}

CSEP_SepJobContext::NestingGuard::~NestingGuard() {
    m_core->m_nested.pop_back();
    m_core->m_deepest = std::max(m_outerDeepest, m_core->m_deepest);
}

uint32_t CSEP_SepJobContext::NestingGuard::Height() const { return m_core->m_deepest - m_level; }

bool CSEP_SepJobContext::MayReuseSeparation(const GLOB_Object& object, uint32_t height) const {
    const std::vector<GLOB_Object>& nested = m_core->m_nested;
    const uint64_t deepest = nested.size() + 1 + static_cast<uint64_t>(height);
    if (deepest > MaxNesting || std::find(nested.begin(), nested.end(), object) != nested.end())
        return false;
    m_core->m_deepest = std::max(m_core->m_deepest, static_cast<uint32_t>(deepest));
    return true;
}
