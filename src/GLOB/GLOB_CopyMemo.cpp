#include "GLOB/GLOB_CopyMemo.h"

#include "GLIB/GLIB_Assert.h"

GLOB_CopyMemo::GLOB_CopyMemo(const GLOB_Doc& doc) : m_doc(doc), m_state(GLOB_Impl::NewCopyState()) {}

GLOB_Object GLOB_CopyMemo::Copy(const GLOB_Object& value) const {
    GLOB_Impl* const impl = m_doc.Impl();
    GLIB_ASSERT(impl != nullptr && m_state != nullptr);
    if (value.GetImpl() == impl || value.GetImpl() == nullptr)
        return value;
    return impl->CopyObjectWith(value, /*force=*/false, *m_state);
}
