#include "CPDF/color/CPDF_ColorSpace.h"

#include "CPDF/CPDF_Exception.h"
#include "CPDF/color/CPDF_CalGrayColorSpace.h"
#include "CPDF/color/CPDF_CalRGBColorSpace.h"
#include "CPDF/color/CPDF_DeviceColorSpace.h"
#include "CPDF/color/CPDF_DeviceNColorSpace.h"
#include "CPDF/color/CPDF_ICCBasedColorSpace.h"
#include "CPDF/color/CPDF_IndexedColorSpace.h"
#include "CPDF/color/CPDF_LabColorSpace.h"
#include "CPDF/color/CPDF_PatternColorSpace.h"
#include "CPDF/color/CPDF_SeparationColorSpace.h"
#include "CPDF/iCPDF_MessageText.h"
#include "CPDF/iCPDF_ValidationMessage.h"
#include "GLIB/GLIB_Assert.h"
#include "GLIB/GLIB_Log.h"
#include "GLOB/GLOB_DepthGuard.h"

#include <new>

namespace {

// The innermost construction from an object under way.
GLOB_DepthGuard* s_innermost = nullptr;

// What the handle does with a core of one kind, in place.
struct KindOps {
    const char* m_familyName;
    void (*m_construct)(void* storage, const GLOB_Object& object);
    void (*m_copy)(void* storage, const CPDF_ColorSpaceCore& core);
    CPDF_ColorSpaceCore* (*m_core)(void* storage);
    bool (*m_isValid)(const GLOB_Object& object, std::string* messages);
};

template <class Kind>
constexpr KindOps OpsOf(const char* familyName) {
    static_assert(sizeof(Kind) <= CPDF_ColorSpace::CoreRoom, "a core does not fit CPDF_ColorSpace's room");
    static_assert(alignof(Kind) <= alignof(std::max_align_t), "a core needs more alignment than the room has");
    return {familyName,
            [](void* storage, const GLOB_Object& object) { new (storage) Kind(object); },
            [](void* storage, const CPDF_ColorSpaceCore& core) {
                const Kind* kind = dynamic_cast<const Kind*>(&core);
                GLIB_ASSERT(kind != nullptr);
                new (storage) Kind(*kind);
            },
            [](void* storage) -> CPDF_ColorSpaceCore* { return std::launder(static_cast<Kind*>(storage)); },
            &Kind::IsValidColorSpace};
}

// In SpaceType order.
const KindOps Kinds[CPDF_ColorSpace::NumTypes] = {
    OpsOf<CPDF_DeviceCMYKColorSpace>("DeviceCMYK"), OpsOf<CPDF_DeviceGrayColorSpace>("DeviceGray"),
    OpsOf<CPDF_DeviceRGBColorSpace>("DeviceRGB"),   OpsOf<CPDF_SeparationColorSpace>("Separation"),
    OpsOf<CPDF_DeviceNColorSpace>("DeviceN"),       OpsOf<CPDF_ICCBasedColorSpace>("ICCBased"),
    OpsOf<CPDF_IndexedColorSpace>("Indexed"),       OpsOf<CPDF_CalGrayColorSpace>("CalGray"),
    OpsOf<CPDF_CalRGBColorSpace>("CalRGB"),         OpsOf<CPDF_LabColorSpace>("Lab"),
    OpsOf<CPDF_PatternColorSpace>("Pattern"),
};

bool IsKind(int32_t type) { return type >= 0 && type < CPDF_ColorSpace::NumTypes; }

template <class Kind>
Kind CopyOf(const CPDF_ColorSpaceCore& core) {
    return dynamic_cast<const Kind&>(core);
}

// The kind of a family name, or NumTypes.
int32_t FindType(const GLOB_Name& name) {
    int32_t type = 0;
    while (type < CPDF_ColorSpace::NumTypes && !(name == Kinds[type].m_familyName))
        ++type;
    return type;
}

}  // namespace

CPDF_ColorSpace::CPDF_ColorSpace() = default;

CPDF_ColorSpace::CPDF_ColorSpace(const GLOB_Object& object) {
    const GLOB_DepthGuard level(s_innermost, MaxNesting, &object);
    if (!level.IsAdmitted())
        GLIB_THROW(CPDF_Exception, CPDF_InvalidColorSpaceCode, "ColorSpaces nested more than " << MaxNesting << " deep");
    ConstructCore(TypeFromObject(object), object);
}

CPDF_ColorSpace::CPDF_ColorSpace(const CPDF_ColorSpaceCore& core) { CopyCore(TypeFromName(core.FamilyName()), core); }

CPDF_ColorSpace::CPDF_ColorSpace(const CPDF_ColorSpace& other) {
    if (!other.IsNull())
        CopyCore(other.m_type, other.Core());
}

CPDF_ColorSpace& CPDF_ColorSpace::operator=(const CPDF_ColorSpace& other) {
    if (this == &other)
        return *this;
    if (other.IsNull())
        Reset();
    else
        CopyCore(other.m_type, other.Core());
    return *this;
}

CPDF_ColorSpace::~CPDF_ColorSpace() { Reset(); }

void CPDF_ColorSpace::Reset() {
    if (IsNull())
        return;
    // The virtual destructor destroys the core as its own class.
    Core().~CPDF_ColorSpaceCore();
    m_type = Null;
}

void CPDF_ColorSpace::ConstructCore(SpaceType type, const GLOB_Object& object) {
    Reset();
    if (!IsKind(type)) {
        GLIB_LOG(GLIB_LogFatal, "Invalid enumeration value (CPDF_ColorSpace::SpaceType) " << type);
        return;
    }
    Kinds[type].m_construct(Storage(), object);
    m_type = type;
}

void CPDF_ColorSpace::CopyCore(SpaceType type, const CPDF_ColorSpaceCore& core) {
    Reset();
    if (!IsKind(type)) {
        GLIB_LOG(GLIB_LogFatal, "Invalid enumeration value (CPDF_ColorSpace::SpaceType) " << type);
        return;
    }
    Kinds[type].m_copy(Storage(), core);
    m_type = type;
}

CPDF_ColorSpaceCore& CPDF_ColorSpace::Core() {
    GLIB_ASSERT_CMP(m_type, !=, Null);
    return *Kinds[m_type].m_core(m_storage);
}

const CPDF_ColorSpaceCore& CPDF_ColorSpace::Core() const {
    GLIB_ASSERT_CMP(m_type, !=, Null);
    return *Kinds[m_type].m_core(const_cast<unsigned char*>(m_storage));
}

CPDF_DeviceCMYKColorSpace CPDF_ColorSpace::AsDeviceCMYK() const {
    GLIB_ASSERT_CMP(m_type, ==, DeviceCMYK);
    return CopyOf<CPDF_DeviceCMYKColorSpace>(Core());
}

CPDF_DeviceGrayColorSpace CPDF_ColorSpace::AsDeviceGray() const {
    GLIB_ASSERT_CMP(m_type, ==, DeviceGray);
    return CopyOf<CPDF_DeviceGrayColorSpace>(Core());
}

CPDF_DeviceRGBColorSpace CPDF_ColorSpace::AsDeviceRGB() const {
    GLIB_ASSERT_CMP(m_type, ==, DeviceRGB);
    return CopyOf<CPDF_DeviceRGBColorSpace>(Core());
}

CPDF_SeparationColorSpace CPDF_ColorSpace::AsSeparation() const {
    GLIB_ASSERT_CMP(m_type, ==, Separation);
    return CopyOf<CPDF_SeparationColorSpace>(Core());
}

CPDF_DeviceNColorSpace CPDF_ColorSpace::AsDeviceN() const {
    GLIB_ASSERT_CMP(m_type, ==, DeviceN);
    return CopyOf<CPDF_DeviceNColorSpace>(Core());
}

CPDF_ICCBasedColorSpace CPDF_ColorSpace::AsICCBased() const {
    GLIB_ASSERT_CMP(m_type, ==, ICCBased);
    return CopyOf<CPDF_ICCBasedColorSpace>(Core());
}

CPDF_IndexedColorSpace CPDF_ColorSpace::AsIndexed() const {
    GLIB_ASSERT_CMP(m_type, ==, Indexed);
    return CopyOf<CPDF_IndexedColorSpace>(Core());
}

CPDF_CalGrayColorSpace CPDF_ColorSpace::AsCalGray() const {
    GLIB_ASSERT_CMP(m_type, ==, CalGray);
    return CopyOf<CPDF_CalGrayColorSpace>(Core());
}

CPDF_CalRGBColorSpace CPDF_ColorSpace::AsCalRGB() const {
    GLIB_ASSERT_CMP(m_type, ==, CalRGB);
    return CopyOf<CPDF_CalRGBColorSpace>(Core());
}

CPDF_LabColorSpace CPDF_ColorSpace::AsLab() const {
    GLIB_ASSERT_CMP(m_type, ==, Lab);
    return CopyOf<CPDF_LabColorSpace>(Core());
}

CPDF_PatternColorSpace CPDF_ColorSpace::AsPattern() const {
    GLIB_ASSERT_CMP(m_type, ==, Pattern);
    return CopyOf<CPDF_PatternColorSpace>(Core());
}

unsigned CPDF_ColorSpace::NumComponents() const { return Core().NumComponents(); }

CPDF_Color CPDF_ColorSpace::InitialColor() const { return Core().InitialColor(); }

CPDF_ColorSpace CPDF_ColorSpace::BaseColorSpace() const { return Core().BaseColorSpace(); }

std::vector<CPDF_Colorant> CPDF_ColorSpace::NamedColorants() const { return Core().NamedColorantList(); }

std::vector<CPDF_Colorant> CPDF_ColorSpace::Colorants() const { return Core().Colorants(); }

int CPDF_ColorSpace::ColorantIndex(const CPDF_Colorant& colorant) const {
    const std::vector<CPDF_Colorant> names = NamedColorants();
    for (size_t i = 0; i < names.size(); ++i) {
        if (names[i] == colorant)
            return static_cast<int>(i);
    }
    return -1;
}

GLOB_Name CPDF_ColorSpace::FamilyName() const { return IsNull() ? GLOB_Name("null") : Core().FamilyName(); }

std::ostream& CPDF_ColorSpace::Print(std::ostream& os) const {
    return IsNull() ? os << "ColorSpace: Null" : Core().Print(os);
}

GLOB_Object CPDF_ColorSpace::MakeObject(const GLOB_Doc* doc) const {
    return IsNull() ? GLOB_Object() : Core().MakeObject(doc);
}

bool CPDF_ColorSpace::operator==(const CPDF_ColorSpace& other) const {
    if (m_type != other.m_type)
        return false;
    if (IsNull())
        return true;
    const GLOB_Object& a = Core().Object();
    const GLOB_Object& b = other.Core().Object();
    return a == b || a.IsDeepEqual(b);
}

CPDF_ColorSpace CPDF_ColorSpace::MakeDeviceGray() { return CPDF_ColorSpace(CPDF_DeviceGrayColorSpace()); }

CPDF_ColorSpace CPDF_ColorSpace::MakeDeviceRGB() { return CPDF_ColorSpace(CPDF_DeviceRGBColorSpace()); }

CPDF_ColorSpace CPDF_ColorSpace::MakeDeviceCMYK() { return CPDF_ColorSpace(CPDF_DeviceCMYKColorSpace()); }

bool CPDF_ColorSpace::IsFamilyName(const GLOB_Name& name) { return FindType(name) < NumTypes; }

CPDF_ColorSpace::SpaceType CPDF_ColorSpace::TypeFromName(const GLOB_Name& name) {
    const int32_t type = FindType(name);
    if (type < NumTypes)
        return static_cast<SpaceType>(type);
    GLIB_THROW(CPDF_Exception, CPDF_InvalidColorSpaceCode, "Unknown ColorSpace name: " << iCPDF_NameText{name});
}

CPDF_ColorSpace::SpaceType CPDF_ColorSpace::TypeFromObject(const GLOB_Object& object) {
    if (object.IsName())
        return TypeFromName(object.AsName());
    if (!object.IsArray())
        GLIB_THROW(CPDF_Exception, CPDF_InvalidColorSpaceCode,
                   "A colorspace must be an Array or Name, found " << iCPDF_TypeOf(object));
    if (object.Length() == 0)
        GLIB_THROW(CPDF_Exception, CPDF_InvalidColorSpaceCode,
                   "ColorSpaces in array form must have length of at least 1, found length 0");
    const GLOB_Object family = object.Get(0);
    if (!family.IsName())
        GLIB_THROW(CPDF_Exception, CPDF_InvalidColorSpaceCode,
                   "ColorSpaces in array form must have a Name at index 0, found " << iCPDF_TypeOf(family));
    return TypeFromName(family.AsName());
}

GLOB_Name CPDF_ColorSpace::TypeName(SpaceType type) {
    GLIB_ASSERT_CMP(type, <, NumTypes);
    return IsKind(type) ? GLOB_Name(Kinds[type].m_familyName) : GLOB_Name("null");
}

bool CPDF_ColorSpace::IsValid(const GLOB_Object& object, std::string* messages) {
    SpaceType type;
    try {
        type = TypeFromObject(object);
    } catch (const CPDF_Exception& e) {
        if (e.Code() != CPDF_InvalidColorSpaceCode)
            throw;
        iCPDF_ValidationMessage collector(messages);
        collector.Stream() << e.What();
        return false;
    }
    return Kinds[type].m_isValid(object, messages);
}

std::ostream& operator<<(std::ostream& os, const CPDF_ColorSpace& space) { return space.Print(os); }
