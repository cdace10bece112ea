#include "CPDF/document/CPDF_Impl.h"

#include "GLIB/GLIB_Assert.h"

CPDF_Impl::~CPDF_Impl() = default;

void CPDF_Impl::Release(CPDF_Impl** pImpl) {
    GLIB_ASSERT(pImpl != NULL);
    CPDF_Impl* impl = *pImpl;
    if (!impl)
        return;
    GLIB_ASSERT_CMP(impl->m_refCount, >, 0u);
    if (--impl->m_refCount == 0) {
        *pImpl = nullptr;
        delete impl;
    }
}
