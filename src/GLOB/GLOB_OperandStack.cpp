#include "GLOB/GLOB_OperandStack.h"

#include "GLIB/GLIB_Assert.h"
#include "GLIB/GLIB_Exception.h"
#include "GLIB/GLIB_Log.h"
#include "GLIB/GLIB_MessageStream.h"
#include "GLOB/GLOB_Impl.h"
#include "GLOB/GLOB_ObjectFactory.h"

#include <ostream>

GLOB_OperandStack::GLOB_OperandStack() : m_doc(GLOB_ObjectFactory::MemoryDoc()) {}

GLOB_OperandStack::GLOB_OperandStack(const GLOB_Doc& doc) : m_doc(doc) {}

GLOB_OperandStack::~GLOB_OperandStack() { PopAll(); }

GLOB_OperandStack& GLOB_OperandStack::operator=(const GLOB_OperandStack& other) {
    if (this == &other)
        return *this;
    PopAll();
    for (size_t i = 0; i < other.Size(); ++i)
        Push(other.m_stack[i]);
    return *this;
}

void GLOB_OperandStack::Push(const GLOB_Object& obj) {
    m_stack.Push(obj);
    if (obj.Type() == GLOB_Object::KindMark)
        ++m_marks;
}

void GLOB_OperandStack::Pop(size_t n) {
    GLIB_ASSERT_CMP(n, <=, Size());
    if (n > Size())
        n = Size();
    for (size_t k = 0; k < n; ++k)
        if (m_stack.Top(k).Type() == GLOB_Object::KindMark)
            --m_marks;
    m_stack.Pop(n);
}

GLOB_Object GLOB_OperandStack::Operand(size_t i) const {
    GLIB_CHECK_BOUND(i, <, Size());
    return m_stack.Top(i);
}

int64_t GLOB_OperandStack::TopmostMark() const {
    if (m_marks == 0)
        return -1;
    for (size_t k = 0; k < Size(); ++k)
        if (m_stack.Top(k).Type() == GLOB_Object::KindMark)
            return static_cast<int64_t>(k);
    return -1;
}

uint32_t GLOB_OperandStack::CountToMark() const {
    const int64_t mark = TopmostMark();
    return static_cast<uint32_t>(mark < 0 ? Size() : static_cast<size_t>(mark));
}

GLOB_Object GLOB_OperandStack::Local(GLOB_Impl* impl, const GLOB_Object& obj) const {
    return obj.GetImpl() == impl ? obj : impl->CopyObject(obj, true);
}

void GLOB_OperandStack::MakeArray(bool indirect) {
    const int64_t mark = TopmostMark();
    if (mark < 0)
        GLIB_THROW(GLIB_Exception, GLOB_MissingOpenCode, "Array is missing opening [");
    const uint32_t n = static_cast<uint32_t>(mark);
    const GLOB_Object array = m_doc.NewArray(n, indirect);
    GLOB_Impl* impl = array.GetImpl();
    for (uint32_t i = 0; i < n; ++i)
        impl->ArrayPut(array, i, Local(impl, m_stack.Top(n - 1 - i)));
    Pop(n + 1);
    Push(array);
}

void GLOB_OperandStack::MakeDict(bool indirect) {
    const int64_t mark = TopmostMark();
    if (mark < 0)
        GLIB_THROW(GLIB_Exception, GLOB_MissingOpenCode, "Dictionary is missing opening <<");
    const uint32_t n = static_cast<uint32_t>(mark);
    if (n % 2 != 0)
        GLIB_THROW(GLIB_Exception, GLOB_DictSyntaxCode,
                   "Dictionary must have an even number of objects between << and >>, found " << n);
    const GLOB_Object dict = m_doc.NewDict(n / 2, indirect);
    GLOB_Impl* impl = dict.GetImpl();
    for (uint32_t i = 0; i < n; i += 2) {
        const GLOB_Object& key = m_stack.Top(n - 1 - i);
        const int32_t keyType = key.Type();
        if (keyType != GLOB_Object::KindName)
            GLIB_THROW(GLIB_Exception, GLOB_DictSyntaxCode,
                       "Dictionary keys must be names, found " << GLOB_Object::TypeString(keyType) << ": ");
        impl->DictPut(dict, key.AsName(), Local(impl, m_stack.Top(n - 2 - i)));
    }
    Pop(n + 1);
    Push(dict);
}

std::ostream& GLOB_OperandStack::Print(std::ostream& os) const {
    for (size_t i = 0; i < Size(); ++i) {
        os << "  [" << i << "]: ";
        m_stack.Top(i).Print(os);
        os << "\n";
    }
    return os;
}

void GLOB_OperandStack::Log() const {
    for (size_t i = 0; i < Size(); ++i) {
        GLIB_MessageStream ms;
        ms << "  [" << i << "]: ";
        m_stack.Top(i).Print(ms);
        ms.Log(GLIB_LogInfo, __FILE__, __LINE__);
    }
}
