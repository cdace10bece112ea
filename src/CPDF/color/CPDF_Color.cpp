#include "CPDF/color/CPDF_Color.h"

#include "CPDF/CPDF_Exception.h"
#include "CPDF/iCPDF_ValidationMessage.h"
#include "GLIB/GLIB_Assert.h"
#include "GLIB/GLIB_New.h"
#include "GLOB/GLOB_ObjectFactory.h"

#include <algorithm>
#include <memory>

class iCPDF_ColorCore {
public:
    explicit iCPDF_ColorCore(uint32_t n) : m_values(GLIB_NEW double[n]()), m_count(n), m_capacity(n) {}
    iCPDF_ColorCore(const iCPDF_ColorCore& other)
        : m_values(GLIB_NEW double[other.m_count]), m_count(other.m_count), m_capacity(other.m_count) {
        std::copy(other.m_values.get(), other.m_values.get() + m_count, m_values.get());
    }
    iCPDF_ColorCore& operator=(const iCPDF_ColorCore&) = delete;

    void SetCount(uint32_t n) {
        if (n > m_capacity) {
            m_values.reset(GLIB_NEW double[n]);
            m_capacity = n;
        }
        m_count = n;
        Zero();
    }
    void Zero() { std::fill(m_values.get(), m_values.get() + m_count, 0.0); }
    void SetValues(const double* values) { std::copy(values, values + m_count, m_values.get()); }

    double* Values() const { return m_values.get(); }
    uint32_t Count() const { return m_count; }
    uint32_t RefCount() const { return m_refCount; }
    void AddRef() { ++m_refCount; }
    uint32_t DropRef() { return --m_refCount; }

private:
    std::unique_ptr<double[]> m_values;
    uint32_t m_count;
    uint32_t m_capacity;
    uint32_t m_refCount = 0;
};

CPDF_Color::CPDF_Color() : CPDF_Color(8u) {}

CPDF_Color::CPDF_Color(unsigned n) : m_pColorCore(nullptr) { TakeCore(GLIB_NEW iCPDF_ColorCore(n)); }

CPDF_Color::CPDF_Color(const std::vector<double>& values) : CPDF_Color(values.data(), static_cast<unsigned>(values.size())) {}

CPDF_Color::CPDF_Color(const double* values, unsigned n) : CPDF_Color(n) { m_pColorCore->SetValues(values); }

CPDF_Color::CPDF_Color(const GLOB_Object& array) : CPDF_Color() {
    std::string messages;
    if (!IsValidColor(array, &messages))
        CPDF_THROW_INVALID(CPDF_InvalidColorCode, messages);
    const uint32_t n = array.Length();
    SetNumComponents(n);
    for (uint32_t i = 0; i < n; ++i)
        m_pColorCore->Values()[i] = array.Get(i).AsNumber();
}

CPDF_Color::CPDF_Color(const CPDF_Color& other) : m_pColorCore(nullptr) { TakeCore(other.m_pColorCore); }

CPDF_Color& CPDF_Color::operator=(const CPDF_Color& other) {
    if (m_pColorCore != other.m_pColorCore) {
        iCPDF_ColorCore* core = other.m_pColorCore;
        core->AddRef();
        ReleaseCore();
        m_pColorCore = core;
    }
    return *this;
}

CPDF_Color::~CPDF_Color() { ReleaseCore(); }

void CPDF_Color::TakeCore(iCPDF_ColorCore* core) {
    core->AddRef();
    m_pColorCore = core;
}

void CPDF_Color::ReleaseCore() {
    if (m_pColorCore == nullptr)
        return;
    GLIB_ASSERT_CMP(m_pColorCore->RefCount(), >, 0u);
    if (m_pColorCore->DropRef() == 0)
        delete m_pColorCore;
    m_pColorCore = nullptr;
}

unsigned CPDF_Color::NumComponents() const { return m_pColorCore->Count(); }

double CPDF_Color::Component(unsigned i) const { return m_pColorCore->Values()[i]; }

const double* CPDF_Color::Components() const { return m_pColorCore->Values(); }

bool CPDF_Color::operator==(const CPDF_Color& other) const {
    if (m_pColorCore == other.m_pColorCore)
        return true;
    const uint32_t n = NumComponents();
    return n == other.NumComponents() && std::equal(Components(), Components() + n, other.Components());
}

std::ostream& CPDF_Color::Print(std::ostream& os) const {
    os << "Color: ";
    for (uint32_t i = 0; i < NumComponents(); ++i)
        os << Component(i) << " ";
    return os;
}

GLOB_Object CPDF_Color::MakeObject(const GLOB_Doc* doc) const {
    const GLOB_Doc target = doc ? *doc : GLOB_ObjectFactory::MemoryDoc();
    const uint32_t n = NumComponents();
    const GLOB_Object array = target.NewArray(n, false);
    for (uint32_t i = 0; i < n; ++i)
        array.ArrayPut(i, target.NewReal(Component(i), false));
    return array;
}

bool CPDF_Color::IsValidColor(const GLOB_Object& object, std::string* messages) {
    iCPDF_ValidationMessage collector(messages);
    if (!object.IsArray()) {
        collector.Stream() << "Color should be an array, found " << GLOB_Object::TypeString(object.Type());
        return false;
    }
    const uint32_t n = object.Length();
    if (n == 0)
        collector.Stream() << "Color array has zero length.";
    for (uint32_t i = 0; i < n; ++i) {
        const GLOB_Object element = object.Get(i);
        if (!element.IsNumber())
            collector.Stream() << "Color array entries should be numeric. At index " << i << " found "
                               << GLOB_Object::TypeString(element.Type());
    }
    return collector.IsValid();
}

void CPDF_Color::SetComponent(unsigned i, double value) {
    MakeUnique();
    m_pColorCore->Values()[i] = value;
}

void CPDF_Color::Zero() {
    MakeUnique();
    m_pColorCore->Zero();
}

void CPDF_Color::SetNumComponents(unsigned n) {
    if (m_pColorCore->RefCount() == 1) {
        m_pColorCore->SetCount(n);
        return;
    }
    iCPDF_ColorCore* fresh = GLIB_NEW iCPDF_ColorCore(n);
    ReleaseCore();
    TakeCore(fresh);
}

void CPDF_Color::Assign(const std::vector<double>& values) { Assign(values.data(), static_cast<unsigned>(values.size())); }

void CPDF_Color::Assign(const double* values, unsigned n) {
    SetNumComponents(n);
    m_pColorCore->SetValues(values);
}

void CPDF_Color::SetComponents(const double* values) {
    MakeUnique();
    m_pColorCore->SetValues(values);
}

void CPDF_Color::MakeUnique() {
    if (m_pColorCore->RefCount() == 1)
        return;
    iCPDF_ColorCore* copy = GLIB_NEW iCPDF_ColorCore(*m_pColorCore);
    ReleaseCore();
    TakeCore(copy);
}

void CPDF_Color::AddRef() { m_pColorCore->AddRef(); }
