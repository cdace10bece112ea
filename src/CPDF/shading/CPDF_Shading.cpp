#include "CPDF/shading/CPDF_Shading.h"

#include "CPDF/CPDF_Exception.h"
#include "CPDF/iCPDF_MessageText.h"
#include "CPDF/iCPDF_ValidationMessage.h"
#include "CPDF/shading/CPDF_AxialShading.h"
#include "CPDF/shading/CPDF_CoonsPatchShading.h"
#include "CPDF/shading/CPDF_FunctionBasedShading.h"
#include "CPDF/shading/CPDF_GouraudShading.h"
#include "CPDF/shading/CPDF_RadialShading.h"
#include "GLIB/GLIB_Assert.h"
#include "GLIB/GLIB_New.h"

namespace {

template <class Kind>
Kind KindOf(const CPDF_ShadingCore& core) {
    return dynamic_cast<const Kind&>(core);
}

template <class Kind>
CPDF_ShadingCore* Made(const GLOB_Object& shading) {
    return GLIB_NEW Kind(shading);
}

template <class Kind>
CPDF_ShadingCore* Copied(const CPDF_ShadingCore& core) {
    return GLIB_NEW Kind(dynamic_cast<const Kind&>(core));
}

// One row per ShadingType, 1 to 7.
struct KindRow {
    bool (*isValid)(const GLOB_Object&, std::string*);
    CPDF_ShadingCore* (*make)(const GLOB_Object&);
    CPDF_ShadingCore* (*copy)(const CPDF_ShadingCore&);
};

template <class Kind>
constexpr KindRow RowOf() {
    return {&Kind::IsValidShading, &Made<Kind>, &Copied<Kind>};
}

const KindRow& Row(int type) {
    static const KindRow rows[] = {
        RowOf<CPDF_FunctionBasedShading>(), RowOf<CPDF_AxialShading>(),         RowOf<CPDF_RadialShading>(),
        RowOf<CPDF_GouraudShading>(),       RowOf<CPDF_GouraudLatticeShading>(), RowOf<CPDF_CoonsPatchShading>(),
        RowOf<CPDF_TensorPatchShading>(),
    };
    GLIB_ASSERT(type >= CPDF_Shading::FunctionBased && type <= CPDF_Shading::TensorPatch);
    return rows[type - CPDF_Shading::FunctionBased];
}

}  // namespace

CPDF_Shading::CPDF_Shading(const GLOB_Object& shading) : m_core(MakeCore(ReadShadingType(shading), shading)) {}

CPDF_Shading::CPDF_Shading(const CPDF_ShadingCore& core)
    : m_core(CopyCore(CheckShadingType(core.ShadingType()), core)) {}

int CPDF_Shading::ShadingType() const { return m_core.isNull() ? Null : m_core->ShadingType(); }

bool CPDF_Shading::IsMesh() const { return dynamic_cast<const CPDF_MeshShading*>(m_core.get()) != nullptr; }

CPDF_FunctionBasedShading CPDF_Shading::AsFunctionBased() const {
    GLIB_ASSERT(IsFunctionBased());
    return KindOf<CPDF_FunctionBasedShading>(*m_core);
}

CPDF_AxialShading CPDF_Shading::AsAxial() const {
    GLIB_ASSERT(IsAxial());
    return KindOf<CPDF_AxialShading>(*m_core);
}

CPDF_RadialShading CPDF_Shading::AsRadial() const {
    GLIB_ASSERT(IsRadial());
    return KindOf<CPDF_RadialShading>(*m_core);
}

CPDF_GouraudShading CPDF_Shading::AsGouraud() const {
    GLIB_ASSERT(IsGouraud());
    return KindOf<CPDF_GouraudShading>(*m_core);
}

CPDF_GouraudLatticeShading CPDF_Shading::AsGouraudLattice() const {
    GLIB_ASSERT(IsGouraudLattice());
    return KindOf<CPDF_GouraudLatticeShading>(*m_core);
}

CPDF_CoonsPatchShading CPDF_Shading::AsCoonsPatch() const {
    GLIB_ASSERT(IsCoonsPatch());
    return KindOf<CPDF_CoonsPatchShading>(*m_core);
}

CPDF_TensorPatchShading CPDF_Shading::AsTensorPatch() const {
    GLIB_ASSERT(IsTensorPatch());
    return KindOf<CPDF_TensorPatchShading>(*m_core);
}

CPDF_MeshShading CPDF_Shading::AsMesh() const {
    GLIB_ASSERT(IsMesh());
    return KindOf<CPDF_MeshShading>(*m_core);
}

GLOB_Object CPDF_Shading::Object() const {
    GLIB_ASSERT(!IsNull());
    return m_core->Object();
}

std::ostream& CPDF_Shading::Print(std::ostream& os) const {
    if (m_core.isNull())
        return os << "Shading: Null";
    return m_core->Print(os);
}

CPDF_ColorSpace CPDF_Shading::ColorSpace() const {
    GLIB_ASSERT(!m_core.isNull());
    return m_core->ColorSpace();
}

bool CPDF_Shading::Background(CPDF_Color* out) const {
    GLIB_ASSERT(!m_core.isNull());
    return m_core->Background(out);
}

bool CPDF_Shading::Function(GLOB_Object* out) const {
    GLIB_ASSERT(!m_core.isNull());
    return m_core->Function(out);
}

void CPDF_Shading::SetBackground(const CPDF_Color& backgroundColor) {
    GLIB_ASSERT(!m_core.isNull());
    m_core->SetBackground(backgroundColor);
}

int CPDF_Shading::ReadShadingType(const GLOB_Object& shading) {
    if (!shading.IsDict() && !shading.IsStream())
        GLIB_THROW(CPDF_Exception, CPDF_InvalidShadingCode,
                   "A Shading must be a Stream or Dictionary, found: " << iCPDF_TypeOf(shading));
    GLOB_Object type;
    if (!shading.Known(GLOB_Name("ShadingType"), &type))
        GLIB_THROW(CPDF_Exception, CPDF_InvalidShadingCode, "Shading missing ShadingType entry");
    if (!type.IsInteger())
        GLIB_THROW(CPDF_Exception, CPDF_InvalidShadingCode,
                   "ShadingType must be an Integer, found: " << iCPDF_TypeOf(type));
    return CheckShadingType(type.AsInteger());
}

int CPDF_Shading::CheckShadingType(int type) {
    if (type < FunctionBased || type > TensorPatch)
        GLIB_THROW(CPDF_Exception, CPDF_InvalidShadingCode, "Unknown Shading type: " << type);
    return type;
}

bool CPDF_Shading::IsValid(const GLOB_Object& shading, std::string* messages) {
    int type;
    try {
        type = ReadShadingType(shading);
    } catch (const CPDF_Exception& e) {
        iCPDF_ValidationMessage collector(messages);
        collector.Stream() << e.What();
        return false;
    }
    return Row(type).isValid(shading, messages);
}

CPDF_ShadingCore* CPDF_Shading::MakeCore(int type, const GLOB_Object& shading) { return Row(type).make(shading); }

CPDF_ShadingCore* CPDF_Shading::CopyCore(int type, const CPDF_ShadingCore& core) { return Row(type).copy(core); }

std::ostream& operator<<(std::ostream& os, const CPDF_Shading& shading) { return shading.Print(os); }
